#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace d88 {

// The walks a run is going to make, gathered before any is made so that one
// pass over the file answers them all: searches (where a track's first
// record is, and the identity sought there) and listings (where, and how many
// records at most). Everything asked from one start is one walk.
class WalkPlan {
public:
    struct Walk {
        std::uint64_t start = 0;
        std::vector<std::uint32_t> identities; // SectorHeader::identity
        std::uint32_t listLimit = 0;           // 0: no listing
    };

    void search(std::uint64_t start, std::uint32_t identity);
    // A listing of `limit` records also answers every shorter one from there.
    void list(std::uint64_t start, std::uint32_t limit);

    const std::vector<Walk>& walks() const { return walks_; }

private:
    Walk& walkFrom(std::uint64_t start);

    std::vector<Walk> walks_;
    std::unordered_map<std::uint64_t, std::size_t> byStart_;
};

} // namespace d88
