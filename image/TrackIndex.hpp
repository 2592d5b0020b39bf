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
class TrackIndex {
public:
    TrackIndex() = default;
    explicit TrackIndex(std::vector<IndexedRecord> records) : records_(std::move(records)) {}
    std::size_t size() const { return records_.size(); }

    // The first record of the walk with this identity. A long walk that is
    // searched again and again gets an order by identity, so that each search
    // costs a binary search instead of a pass over the whole walk.
    const IndexedRecord* find(std::uint32_t identity);

private:
    static constexpr std::size_t scannedWalk = 32;      // shorter walks are always scanned
    static constexpr std::uint32_t scansBeforeOrder = 8; // a sort costs about this many passes

    void order();

    std::vector<IndexedRecord> records_;
    std::vector<std::uint32_t> byIdentity_; // positions in records_, by identity, then walk order
    std::uint32_t scans_ = 0;
};

// The walks read so far, by absolute start position, so track entries (of any
// disk of the file) that point at the same place share one. The records held
// are bounded: past the budget the walks used longest ago are dropped and
// read again if needed, so memory stays small whatever the image chains.
class TrackIndexCache {
public:
    static constexpr std::size_t defaultBudget = 1u << 19; // records, 20 bytes each with their order

    explicit TrackIndexCache(std::size_t budget = defaultBudget) : budget_(budget) {}

    TrackIndex* find(std::uint64_t start);
    TrackIndex& insert(std::uint64_t start, TrackIndex index);
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
