#include "image/WalkTable.hpp"

#include <algorithm>

namespace d88 {

void WalkTable::add(std::uint64_t origin, std::span<const std::uint32_t> identities, std::uint32_t listLimit)
{
    WalkState walk{origin, 0, static_cast<std::uint32_t>(sought_.size()), 0, 0, nullptr};
    std::vector<std::uint32_t> distinct(identities.begin(), identities.end());
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (const std::uint32_t identity : distinct)
        if (answers_.search(origin, identity) == nullptr) {
            sought_.push_back(Sought{identity, static_cast<std::uint32_t>(searches_.size())});
            searches_.push_back(WalkAnswers::Search{origin, 0, identity, 0, false});
            ++walk.sought;
        }
    if (listLimit > 0 && answers_.listing(origin, listLimit) == nullptr) {
        walk.toList = listLimit;
        walk.listing = &answers_.newListing(origin, listLimit);
    }
    if (walk.goesOn())
        walks_.push_back(walk);
}

std::span<const WalkTable::Sought> WalkTable::sought(std::uint32_t walk) const
{
    const WalkState& state = walks_[walk];
    return std::span(sought_).subspan(state.firstSought, state.sought);
}

bool WalkTable::found(std::uint32_t walk, std::uint64_t position, const SectorHeader& header)
{
    WalkState& state = walks_[walk];
    const auto first = sought_.begin() + state.firstSought;
    const auto last = first + state.sought;
    const auto at = std::find_if(first, last, [&](const Sought& s) { return s.identity == header.identity(); });
    if (at == last)
        return false;
    WalkAnswers::Search& search = searches_[at->search];
    search.dataPosition = position + SectorHeader::size;
    search.dataLength = header.dataLength;
    search.found = true;
    ++foundCount_;
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

void WalkTable::finish()
{
    answers_.add(std::move(searches_));
    searches_.clear();
}

} // namespace d88
