#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/SectorHeader.hpp"
#include "image/WalkAnswers.hpp"

namespace d88 {

// A count of records along a chain. Each group of walks counts its own, so
// only differences between levels of one group mean anything.
using Level = std::int64_t;

// One walk as a pass carries it.
struct WalkState {
    std::uint64_t origin = 0;      // where it starts: the key of its answers
    Level start = 0;               // the level of its first record, counted by the group carrying it
    std::uint32_t firstSought = 0; // where its identities still sought begin in the table
    std::uint32_t sought = 0;
    std::uint32_t toList = 0; // records its listing still takes
    WalkAnswers::Listing* listing = nullptr;

    bool goesOn() const { return sought > 0 || toList > 0; }
};

// The walks of one pass and what each still needs. Every change to a walk
// goes through here and is written down as its answer; each change says
// whether the walk stopped going on by it.
class WalkTable {
public:
    struct Sought {
        std::uint32_t identity;
        std::uint32_t search; // its answer among the pass's
    };

    explicit WalkTable(WalkAnswers& answers) : answers_(answers) { }

    // A walk from `origin` for those of `identities` and the listing of
    // `listLimit` records (0: none) that `answers` does not hold yet;
    // nothing when it holds them all.
    void add(std::uint64_t origin, std::span<const std::uint32_t> identities, std::uint32_t listLimit);
    std::uint32_t size() const { return static_cast<std::uint32_t>(walks_.size()); }
    WalkState& operator[](std::uint32_t walk) { return walks_[walk]; }
    const WalkState& operator[](std::uint32_t walk) const { return walks_[walk]; }
    std::span<const Sought> sought(std::uint32_t walk) const;

    // The record with this header at `position` is the walk's first with its
    // identity: the search for it, if the walk still makes one, ends here.
    bool found(std::uint32_t walk, std::uint64_t position, const SectorHeader& header);
    bool listed(std::uint32_t walk, const SectorHeader& header);
    bool endSearch(std::uint32_t walk);
    bool end(std::uint32_t walk);
    // Searches answered by a record so far: a pass sees from it whether the
    // record it stands on answered one.
    std::uint64_t foundCount() const { return foundCount_; }

    // Hands the pass's searches to the answers.
    void finish();

private:
    WalkAnswers& answers_;
    std::vector<WalkState> walks_;
    std::vector<Sought> sought_; // each walk's in a stretch of its own
    std::vector<WalkAnswers::Search> searches_;
    std::uint64_t foundCount_ = 0;
};

} // namespace d88
