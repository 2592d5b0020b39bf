#include "WalkGroup.hpp"

#include "WalkLimits.hpp"

namespace d88 {

WalkGroup::WalkGroup(std::uint32_t walk, const WalkState& state, std::span<const std::uint32_t> identities)
{
    members_.push_back(walk);
    startAt(state.start, walk);
    for (const std::uint32_t identity : identities)
        seek(identity, walk);
    if (state.toList > 0)
        listers_.push_back(walk);
    live_ = state.goesOn() ? 1 : 0;
}

std::uint64_t WalkGroup::maskBit(std::uint32_t identity)
{
    return std::uint64_t{1} << ((identity * 0x9E3779B1u) >> 26);
}

void WalkGroup::seek(std::uint32_t identity, std::uint32_t walk)
{
    seekers_[identity].push_back(walk);
    ++seekerCount_;
    soughtMask_ |= maskBit(identity);
}

void WalkGroup::startAt(Level start, std::uint32_t walk)
{
    byStart_[start].push_back(walk);
    leastStart_ = std::min(leastStart_, start);
    greatestStart_ = std::max(greatestStart_, start);
}

void WalkGroup::absorb(WalkGroup& other, std::vector<WalkState>& walks)
{
    const Level shift = level_ - other.level_;
    for (const std::uint32_t walk : other.members_) {
        WalkState& state = walks[walk];
        if (!state.goesOn())
            continue;
        state.start += shift;
        members_.push_back(walk);
        startAt(state.start, walk);
    }
    for (const auto& [identity, seekers] : other.seekers_)
        for (const std::uint32_t walk : seekers)
            if (walks[walk].sought > 0)
                seek(identity, walk);
    for (const std::uint32_t walk : other.listers_)
        if (walks[walk].toList > 0)
            listers_.push_back(walk);
    live_ += other.live_;
    other = WalkGroup{};
}

bool WalkGroup::step(const SectorHeader* header, std::uint64_t position, std::vector<WalkState>& walks,
                     WalkAnswers& answers)
{
    if (header == nullptr) {
        endAll(walks);
        return false;
    }
    if (header->sectorCount == 0)
        endSearches(walks);
    else if ((soughtMask_ & maskBit(header->identity())) != 0)
        find(*header, position, walks, answers);
    if (!listers_.empty())
        list(*header, walks);
    if (header->sectorCount > 0)
        endWalksFrom(level_ - (Level{header->sectorCount} - 1), walks);
    endWalksFrom(level_ - (Level{maxWalkRecords} - 1), walks);
    ++level_;
    return live_ > 0;
}

void WalkGroup::settle(WalkState& walk, bool wentOn)
{
    if (wentOn && !walk.goesOn())
        --live_;
}

void WalkGroup::find(const SectorHeader& header, std::uint64_t position, std::vector<WalkState>& walks,
                     WalkAnswers& answers)
{
    const std::uint32_t identity = header.identity();
    const auto seekers = seekers_.find(identity);
    if (seekers == seekers_.end())
        return;
    const FoundRecord record{position + SectorHeader::size, header.dataLength};
    for (const std::uint32_t walk : seekers->second) {
        WalkState& state = walks[walk];
        if (state.sought == 0) // its search has ended
            continue;
        answers.found(state.origin, identity, record);
        --state.sought;
        settle(state, true);
    }
    seekerCount_ -= seekers->second.size();
    seekers_.erase(seekers);
}

void WalkGroup::list(const SectorHeader& header, std::vector<WalkState>& walks)
{
    for (std::size_t i = 0; i < listers_.size();) {
        WalkState& state = walks[listers_[i]];
        if (state.toList > 0) {
            if (state.listing->identities.empty())
                state.listing->firstCount = header.sectorCount;
            state.listing->identities.push_back(header.identity());
            --state.toList;
            settle(state, true);
        }
        if (state.toList > 0) {
            ++i;
        } else {
            listers_[i] = listers_.back();
            listers_.pop_back();
        }
    }
}

void WalkGroup::endSearches(std::vector<WalkState>& walks)
{
    std::erase_if(members_, [&](std::uint32_t walk) {
        WalkState& state = walks[walk];
        if (state.sought > 0) {
            state.sought = 0;
            settle(state, true);
        }
        return !state.goesOn();
    });
    seekers_.clear();
    seekerCount_ = 0;
    soughtMask_ = 0;
}

void WalkGroup::endWalksFrom(Level start, std::vector<WalkState>& walks)
{
    if (start < leastStart_ || start > greatestStart_)
        return;
    const auto ending = byStart_.find(start);
    if (ending == byStart_.end())
        return;
    for (const std::uint32_t walk : ending->second) {
        WalkState& state = walks[walk];
        const bool wentOn = state.goesOn();
        state.sought = 0;
        state.toList = 0;
        settle(state, wentOn);
    }
    byStart_.erase(ending);
}

void WalkGroup::endAll(std::vector<WalkState>& walks)
{
    for (const std::uint32_t walk : members_) {
        WalkState& state = walks[walk];
        const bool wentOn = state.goesOn();
        state.sought = 0;
        state.toList = 0;
        settle(state, wentOn);
    }
    *this = WalkGroup{};
}

} // namespace d88
