#include "WalkTable.hpp"

#include <algorithm>

namespace d88 {

void WalkTable::add(std::uint64_t origin, std::span<const std::uint32_t> identities, std::uint32_t listLimit)
{
    WalkState walk{origin, 0, static_cast<std::uint32_t>(sought_.size()), 0, 0, nullptr};
    for (const std::uint32_t identity : identities)
        if (answers_.search(origin, identity) == nullptr) {
            answers_.expect(origin, identity);
            sought_.push_back(identity);
            ++walk.sought;
        }
    if (listLimit > 0 && answers_.listing(origin, listLimit) == nullptr) {
        walk.toList = listLimit;
        walk.listing = &answers_.newListing(origin, listLimit);
    }
    if (walk.goesOn())
        walks_.push_back(walk);
}

std::span<const std::uint32_t> WalkTable::sought(std::uint32_t walk) const
{
    const WalkState& state = walks_[walk];
    return std::span(sought_).subspan(state.firstSought, state.sought);
}

bool WalkTable::found(std::uint32_t walk, std::uint64_t position, const SectorHeader& header)
{
    WalkState& state = walks_[walk];
    const auto first = sought_.begin() + state.firstSought;
    const auto last = first + state.sought;
    const auto at = std::find(first, last, header.identity());
    if (at == last)
        return false;
    answers_.found(state.origin, *at, FoundRecord{position + SectorHeader::size, header.dataLength});
    *at = *(last - 1);
    --state.sought;
    return !state.goesOn();
}

bool WalkTable::listed(std::uint32_t walk, const SectorHeader& header)
{
    WalkState& state = walks_[walk];
    if (state.toList == 0)
        return false;
    if (state.listing->identities.empty())
        state.listing->firstCount = header.sectorCount;
    state.listing->identities.push_back(header.identity());
    --state.toList;
    return !state.goesOn();
}

bool WalkTable::endSearch(std::uint32_t walk)
{
    WalkState& state = walks_[walk];
    const bool wentOn = state.goesOn();
    state.sought = 0;
    return wentOn && !state.goesOn();
}

bool WalkTable::end(std::uint32_t walk)
{
    WalkState& state = walks_[walk];
    const bool wentOn = state.goesOn();
    state.sought = 0;
    state.toList = 0;
    return wentOn;
}

} // namespace d88
