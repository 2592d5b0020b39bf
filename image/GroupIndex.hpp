#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "image/WalkTable.hpp"

namespace d88 {

// The lookups that let a large group of walks take each record in a few
// steps, however many walks it carries: which walks seek an identity, which
// started at a level, which still list. Entries of walks that have ended
// are dropped when next met.
class GroupIndex {
public:
    // Takes in `walk`'s identities sought, its start and its listing.
    void add(std::uint32_t walk, const WalkTable& walks);

    // The walks that seek `identity`, out of the index: the first record with
    // it is what each of them finds.
    std::vector<std::uint32_t> takeSeekers(std::uint32_t identity);
    // None seeks anything any more.
    void clearSeekers();
    // The walks that started at `start`, out of the index: they end together.
    std::vector<std::uint32_t> takeStartedAt(Level start);
    std::vector<std::uint32_t>& listers() { return listers_; }

private:
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> seekers_;
    std::unordered_map<Level, std::vector<std::uint32_t>> byStart_;
    Level leastStart_ = 0; // no walk started outside [least, greatest]
    Level greatestStart_ = -1;
    std::vector<std::uint32_t> listers_;
};

} // namespace d88
