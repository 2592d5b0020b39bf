#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "ImageStream.hpp"

namespace d88 {

// Where a found record's data lies.
struct FoundRecord {
    std::uint64_t dataPosition;
    std::uint16_t dataLength;
};

// The sector searches of a whole run, answered from record headers that are
// each read once, whichever walks pass over them.
//
// A record's successor is fixed by its position and data length and always
// lies further on, so the records walks meet form chains that merge and then
// go on together. They are held as runs: stretches of one chain in walk
// order, each record at a level one above its predecessor's. A walk that
// reaches a known record joins the run holding it (in front, when that record
// begins its run) instead of reading it again. A walk's records are then its
// start's level onwards, through the runs its chain passes, and its position
// in the walk is its distance from the start's level, so the stop rules are
// answered per start without visiting the shared part again: the walk ends
// after the record whose count - 1 is that distance, at a count of 0 or an
// unreadable header (where a chain ends), or after maxWalk records.
//
// A run's records are ordered in blocks of levels by identity and by the
// start whose walk each would end, so a search through a long run costs a
// binary search per block. A block is scanned until scanning it has cost a
// few times its size; records it gains later are scanned until then again. The records held are bounded: past the
// budget the index starts afresh, so memory stays small whatever the image chains.
class ChainIndex {
public:
    static constexpr std::uint32_t maxWalk = 65535;

    struct Limits {
        std::size_t budget = std::size_t{448} << 10; // records; about 36 bytes each
        std::uint32_t blockSize = 1024;              // at most 65,536
    };

    ChainIndex() : ChainIndex(Limits{}) { }
    explicit ChainIndex(Limits limits);

    // The first record with this identity (SectorHeader::identity) that a walk
    // from `start` meets; nullopt when the walk ends first.
    std::optional<FoundRecord> find(ImageStream& stream, std::uint64_t start, std::uint32_t identity);
    // Writes C, H, R, N of each record from `start` on, at most `limit`
    // (itself at most maxWalk) of them, and returns how many. A listing ends
    // after the record whose count - 1 is its position in the walk, or where
    // a header cannot be read; unlike a search it goes on past a count of 0.
    std::uint32_t list(ImageStream& stream, std::uint64_t start, std::uint32_t limit, std::uint8_t* ids);
    void clear();

    std::size_t recordsHeld() const { return nodes_.size(); }
    // Record headers read from the file since construction.
    std::uint64_t headersRead() const { return headersRead_; }

private:
    struct Record {
        std::uint64_t position;
        std::uint32_t identity;
        std::uint16_t count; // never 0: such a record ends every walk and is not held
        std::uint16_t dataLength;
    };
    struct Node {
        std::uint64_t position; // kept here too, so a lookup reads one place
        std::uint32_t run;
        std::int32_t level;
    };
    enum class Tail : std::uint8_t { open, ended, joined };
    // The order of the records at levels [first, last] of one block, as
    // offsets in the block: by identity, and by the start whose walk each ends.
    // A search passes most blocks of a long walk by: a set of identity
    // hashes and the range of ends tell which ones it need not search.
    struct Block {
        std::int64_t first = 0;
        std::int64_t last = -1;
        std::vector<std::uint16_t> byIdentity;
        std::vector<std::uint16_t> byEnd;
        std::array<std::uint64_t, 4> identities{};
        std::int64_t leastEnd = 0;
        std::int64_t greatestEnd = -1;
        std::int64_t scanned = 0; // records scanned since the order was made
    };
    // A block is ordered once scans have cost about what ordering it costs
    // (two sorts), so ordering never costs much more than the scans it saves.
    static constexpr std::int64_t scansBeforeOrder = 16;
    static constexpr std::int64_t shortScan = 32;
    struct Run {
        std::deque<Record> records;
        std::int32_t first = 0; // level of records.front()
        Tail tail = Tail::open;
        std::uint32_t next = 0; // with Tail::joined: the node the last record leads to
        std::deque<Block> blocks;
        std::int64_t firstBlock = 0;

        std::int64_t last() const { return std::int64_t{first} + static_cast<std::int64_t>(records.size()) - 1; }
        std::deque<Record>::const_iterator from(std::int64_t level) const
        {
            return records.begin() + static_cast<std::ptrdiff_t>(level - first);
        }
        const Record& at(std::int64_t level) const { return records[static_cast<std::size_t>(level - first)]; }
    };
    // Records read on from a position, and how that reading ended.
    struct Reading {
        std::vector<Record> records;
        Tail tail = Tail::open;
        std::uint32_t next = 0;
    };
    struct Hit {
        std::optional<std::int64_t> found;
        bool stopped = false;
    };
    enum class Outcome : std::uint8_t { followed, restart };

    // Follows the walk from `start` through the runs, reading on where a run
    // is open: `visit(run, from, walked)` gets each stretch of held records
    // from level `from` to the run's last, `walked` records into the walk,
    // and returns true when it needs no more. `chainEnd` is set where the
    // held records end (the walk's start when it has none): the header there
    // ends a search, and a listing reads on from it.
    template <class Visit>
    Outcome follow(ImageStream& stream, std::uint64_t start, bool mayRestart, Visit&& visit,
                   std::optional<std::uint64_t>& chainEnd);
    std::optional<std::uint32_t> nodeFor(ImageStream& stream, std::uint64_t start);
    std::optional<std::uint32_t> addWalk(ImageStream& stream, std::uint64_t start);
    void extend(ImageStream& stream, std::uint32_t run);
    Reading readOn(ImageStream& stream, std::uint64_t position);
    void addNode(std::uint32_t run, std::int32_t level, std::uint64_t position);
    void coverBlocks(Run& run);
    Hit scan(Run& run, std::int64_t from, std::int64_t to, std::uint32_t identity, std::int64_t startLevel);
    Hit scanBlock(Run& run, std::int64_t block, std::int64_t from, std::int64_t to, std::uint32_t identity,
                  std::int64_t startLevel);
    static Hit scanRecords(const Run& run, std::int64_t from, std::int64_t to, std::uint32_t identity,
                           std::int64_t startLevel, std::int64_t& scanned);
    static Hit searchOrdered(const Run& run, std::int64_t base, const Block& ordered, std::int64_t from,
                             std::int64_t to, std::uint32_t identity, std::int64_t startLevel);
    void orderBlock(const Run& run, std::int64_t base, std::int64_t first, std::int64_t last, Block& ordered) const;

    std::optional<std::uint32_t> lookup(std::uint64_t position) const;
    void remember(std::uint32_t node);
    std::size_t slotFor(std::uint64_t position) const;

    Limits limits_;
    std::vector<Run> runs_;
    std::vector<Node> nodes_;
    std::vector<std::uint32_t> table_; // node + 1 by position, open addressing; 0 is empty
    std::uint64_t headersRead_ = 0;
};

} // namespace d88
