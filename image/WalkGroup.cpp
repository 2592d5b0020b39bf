#include "image/WalkGroup.hpp"

#include "image/WalkLimits.hpp"

namespace d88 {

namespace {

// The position in its walk at which a record ends a walk: its count - 1,
// or the last the cap allows. A count of 0 ends no walk this way.
constexpr Level lastPosition = Level{maxWalkRecords} - 1;

bool endsAt(Level position, std::uint16_t count)
{
    return position == lastPosition || (count > 0 && position == Level{count} - 1);
}

} // namespace

WalkGroup::WalkGroup(std::uint32_t walk, const WalkTable& walks, std::size_t indexFrom)
{
    members_.push_back(walk);
    for (const WalkTable::Sought& sought : walks.sought(walk))
        soughtMask_ |= maskBit(sought.identity);
    live_ = walks[walk].goesOn() ? 1 : 0;
    weight_ = 1 + walks[walk].sought;
    if (weight_ >= indexFrom)
        index(walks);
}

std::uint64_t WalkGroup::maskBit(std::uint32_t identity)
{
    return std::uint64_t{1} << ((identity * 0x9E3779B1u) >> 26);
}

void WalkGroup::index(const WalkTable& walks)
{
    index_ = std::make_unique<GroupIndex>();
    for (const std::uint32_t walk : members_)
        if (walks[walk].goesOn())
            index_->add(walk, walks);
}

void WalkGroup::absorb(WalkGroup& other, WalkTable& walks, std::size_t indexFrom)
{
    const Level shift = level_ - other.level_;
    for (const std::uint32_t walk : other.members_) {
        if (!walks[walk].goesOn())
            continue;
        walks[walk].start += shift;
        members_.push_back(walk);
        weight_ += 1 + walks[walk].sought;
        if (index_)
            index_->add(walk, walks);
    }
    soughtMask_ |= other.soughtMask_;
    live_ += other.live_;
    if (!index_ && weight_ >= indexFrom)
        index(walks);
    other = WalkGroup{};
}

bool WalkGroup::step(const SectorHeader* header, std::uint64_t position, WalkTable& walks)
{
    if (header == nullptr) {
        for (const std::uint32_t walk : members_)
            walks.end(walk);
        *this = WalkGroup{};
        return false;
    }
    if (header->sectorCount == 0)
        endSearches(walks);
    if (index_)
        stepIndexed(*header, position, walks);
    else
        stepEach(*header, position, walks);
    ++level_;
    return live_ > 0;
}

void WalkGroup::endSearches(WalkTable& walks)
{
    std::erase_if(members_, [&](std::uint32_t walk) {
        live_ -= walks.endSearch(walk) ? 1 : 0;
        return !walks[walk].goesOn();
    });
    if (index_)
        index_->clearSeekers();
    soughtMask_ = 0;
}

void WalkGroup::stepEach(const SectorHeader& header, std::uint64_t position, WalkTable& walks)
{
    const bool sought = mayBeSought(header.identity());
    std::erase_if(members_, [&](std::uint32_t walk) {
        const WalkState& state = walks[walk];
        if (!state.goesOn())
            return true;
        bool stopped = sought && state.sought > 0 && walks.found(walk, position, header);
        stopped = stopped || (state.toList > 0 && walks.listed(walk, header));
        stopped = stopped || (endsAt(level_ - state.start, header.sectorCount) && walks.end(walk));
        live_ -= stopped ? 1 : 0;
        return stopped;
    });
}

void WalkGroup::stepIndexed(const SectorHeader& header, std::uint64_t position, WalkTable& walks)
{
    if (mayBeSought(header.identity()))
        for (const std::uint32_t walk : index_->takeSeekers(header.identity()))
            live_ -= walks[walk].sought > 0 && walks.found(walk, position, header) ? 1 : 0;
    std::erase_if(index_->listers(), [&](std::uint32_t walk) {
        if (walks[walk].toList == 0)
            return true;
        live_ -= walks.listed(walk, header) ? 1 : 0;
        return walks[walk].toList == 0;
    });
    const auto endFrom = [&](Level start) {
        for (const std::uint32_t walk : index_->takeStartedAt(start))
            live_ -= walks.end(walk) ? 1 : 0;
    };
    endFrom(level_ - lastPosition);
    if (header.sectorCount > 0)
        endFrom(level_ - (Level{header.sectorCount} - 1));
}

} // namespace d88
