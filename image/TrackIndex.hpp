#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace d88 {

// One record as a sector search meets it: its identity and where its data lies.
struct IndexedRecord {
    std::uint64_t dataPosition;
    std::uint32_t identity; // SectorHeader::identity()
    std::uint16_t dataLength;
};

// The records a sector search from one start position can reach, in walk
// order: the walk is read once and then searched in memory.
struct TrackIndex {
    std::vector<IndexedRecord> records;

    // The first record of the walk with this identity.
    const IndexedRecord* find(std::uint32_t identity) const;
};

// The walks read so far, by absolute start position, so track entries (of any
// disk of the file) that point at the same place share one. The records held
// are bounded: past the budget the walks used longest ago are dropped and
// read again if needed, so memory stays small whatever the image chains.
class TrackIndexCache {
public:
    static constexpr std::size_t defaultBudget = 1u << 20; // records, 16 bytes each

    explicit TrackIndexCache(std::size_t budget = defaultBudget) : budget_(budget) {}

    const TrackIndex* find(std::uint64_t start);
    const TrackIndex& insert(std::uint64_t start, TrackIndex index);
    void clear();
    std::size_t recordsHeld() const { return held_; }

private:
    struct Entry {
        TrackIndex index;
        std::uint64_t lastUse = 0;
    };

    std::size_t budget_;
    std::size_t held_ = 0;
    std::uint64_t clock_ = 0;
    std::unordered_map<std::uint64_t, Entry> walks_;
};

} // namespace d88
