#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace d88 {

// The walks a run is going to make, gathered before any is made so that a
// few passes over the file answer them all. A search names where its track's
// first record lies and the identity sought there (SectorHeader::identity);
// one that follows another in an extent is made only if that one's record
// holds the bytes the extent asked of it, as the run stops at a sector
// missing or short. A listing names where, and how many records at most.
class WalkPlan {
public:
    struct After {
        std::uint32_t search; // an earlier search of this plan
        std::uint32_t bytes;  // what its record's data must hold
    };
    struct Search {
        std::uint64_t start;
        std::uint32_t identity;
        std::optional<After> after; // none: made whatever else is found
    };

    // Returns the search's number in this plan, for a later one to follow.
    std::uint32_t search(std::uint64_t start, std::uint32_t identity, std::optional<After> after = std::nullopt)
    {
        searches_.push_back(Search{start, identity, after});
        return static_cast<std::uint32_t>(searches_.size() - 1);
    }
    // A listing of `limit` records also answers every shorter one from there.
    void list(std::uint64_t start, std::uint32_t limit)
    {
        std::uint32_t& longest = listings_[start];
        longest = std::max(longest, limit);
    }

    const std::vector<Search>& searches() const { return searches_; }
    const std::map<std::uint64_t, std::uint32_t>& listings() const { return listings_; }

private:
    std::vector<Search> searches_;
    std::map<std::uint64_t, std::uint32_t> listings_; // start -> limit
};

} // namespace d88
