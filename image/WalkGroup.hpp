#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <unordered_map>
#include <vector>

#include "SectorHeader.hpp"
#include "WalkAnswers.hpp"

namespace d88 {

// A count of records along a chain. Each group counts its own, so only
// differences between levels of one group mean anything.
using Level = std::int64_t;

// One walk as a pass carries it.
struct WalkState {
    std::uint64_t origin = 0; // where it starts: the key of its answers
    Level start = 0;          // the level of its first record, counted by the group carrying it
    std::uint32_t sought = 0; // identities it still seeks
    std::uint32_t toList = 0; // records its listing still takes
    WalkAnswers::Listing* listing = nullptr;

    bool goesOn() const { return sought > 0 || toList > 0; }
};

// Walks that stand on the same record. A record's successor is fixed by its
// position and data length, so from here on they meet the same records and
// go on together: each record is read once for all of them.
//
// The group counts the records it steps over as levels. A walk's position in
// its own walk is the group's level minus the walk's start, so the stop rules
// are looked up per record, not per walk: the record whose count - 1 is a
// walk's position ends the walks that started at level - (count - 1), and the
// 65,535th record the walks that started at level - 65,534. A count of 0 or
// an unreadable header ends every search; listings go on past a count of 0.
class WalkGroup {
public:
    WalkGroup() = default;
    // A group of one walk, which seeks `identities` and lists as `state` says.
    WalkGroup(std::uint32_t walk, const WalkState& state, std::span<const std::uint32_t> identities);

    // Takes over the walks of `other`, which stands on the same record; their
    // starts are recounted in this group's levels. `other` is left empty.
    void absorb(WalkGroup& other, std::vector<WalkState>& walks);
    // What absorbing the group costs: the smaller of two is absorbed.
    std::size_t size() const { return members_.size() + seekerCount_ + listers_.size(); }

    // Applies the record on which the group stands (nullptr: no header can be
    // read there) to its walks; false once none of them goes on.
    bool step(const SectorHeader* header, std::uint64_t position, std::vector<WalkState>& walks, WalkAnswers& answers);

private:
    void seek(std::uint32_t identity, std::uint32_t walk);
    void startAt(Level start, std::uint32_t walk);
    void find(const SectorHeader& header, std::uint64_t position, std::vector<WalkState>& walks, WalkAnswers& answers);
    void list(const SectorHeader& header, std::vector<WalkState>& walks);
    void endSearches(std::vector<WalkState>& walks);
    void endWalksFrom(Level start, std::vector<WalkState>& walks);
    void endAll(std::vector<WalkState>& walks);
    void settle(WalkState& walk, bool wentOn);
    static std::uint64_t maskBit(std::uint32_t identity);

    Level level_ = 0;
    std::size_t live_ = 0;                                                  // walks that go on
    std::vector<std::uint32_t> members_;                                    // ended walks are dropped when next met
    std::vector<std::uint32_t> listers_;                                    // walks whose listing goes on
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> seekers_; // by identity sought
    std::size_t seekerCount_ = 0;
    std::uint64_t soughtMask_ = 0; // a bit per identity sought: most records pass on at once
    std::unordered_map<Level, std::vector<std::uint32_t>> byStart_;
    Level leastStart_ = std::numeric_limits<Level>::max(); // no walk starts outside [least, greatest]
    Level greatestStart_ = std::numeric_limits<Level>::min();
};

} // namespace d88
