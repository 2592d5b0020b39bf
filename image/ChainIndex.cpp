#include "ChainIndex.hpp"

#include <algorithm>

#include "SectorHeader.hpp"

namespace d88 {
namespace {

std::int64_t blockOf(std::int64_t level, std::int64_t size)
{
    return level >= 0 ? level / size : -((-level + size - 1) / size);
}

// The level a walk must start from for the record at `level` to be its last:
// the one whose position in the walk is the record's count - 1.
std::int64_t endingStart(std::int64_t level, std::uint16_t count)
{
    return level - (count - 1);
}

// One of 256 bits for an identity.
unsigned identityBit(std::uint32_t identity)
{
    return (identity * 0x9E3779B1u) >> 24;
}

} // namespace

ChainIndex::ChainIndex(Limits limits) : limits_(limits)
{
    limits_.blockSize = std::clamp<std::uint32_t>(limits_.blockSize, 1, 1u << 16);
}

void ChainIndex::clear()
{
    runs_.clear();
    nodes_.clear();
    // The table keeps its size: an index that starts afresh soon fills again.
    std::fill(table_.begin(), table_.end(), 0u);
}

template <class Visit>
ChainIndex::Outcome ChainIndex::follow(ImageStream& stream, std::uint64_t start, bool mayRestart, Visit&& visit,
                                       std::optional<std::uint64_t>& chainEnd)
{
    chainEnd.reset();
    const auto node = nodeFor(stream, start);
    if (!node) {
        chainEnd = start; // the walk ends before its first record
        return Outcome::followed;
    }
    std::uint32_t run = nodes_[*node].run;
    std::int64_t level = nodes_[*node].level;
    std::int64_t walked = 0; // records of the walk before `level`
    for (;;) {
        Run& current = runs_[run];
        if (visit(current, level, walked))
            return Outcome::followed;
        walked += current.last() - level + 1;
        level = current.last() + 1;
        switch (current.tail) {
        case Tail::ended: {
            const Record& last = current.records.back();
            chainEnd = last.position + SectorHeader::size + last.dataLength;
            return Outcome::followed;
        }
        case Tail::joined:
            run = nodes_[current.next].run;
            level = nodes_[current.next].level;
            break;
        case Tail::open:
            // Starting afresh loses the runs in hand: the caller follows the
            // walk again, which then holds only this walk and needs no second start.
            if (mayRestart && nodes_.size() >= limits_.budget) {
                clear();
                return Outcome::restart;
            }
            extend(stream, run);
            break;
        }
    }
}

std::optional<FoundRecord> ChainIndex::find(ImageStream& stream, std::uint64_t start, std::uint32_t identity)
{
    std::optional<FoundRecord> answer;
    const auto visit = [&](Run& run, std::int64_t from, std::int64_t walked) {
        const std::int64_t lastAllowed = from + (maxWalk - walked) - 1;
        const std::int64_t to = std::min(run.last(), lastAllowed);
        const Hit hit = scan(run, from, to, identity, from - walked);
        if (hit.found) {
            const Record& record = run.at(*hit.found);
            answer = FoundRecord{record.position + SectorHeader::size, record.dataLength};
            return true;
        }
        return hit.stopped || to == lastAllowed;
    };
    std::optional<std::uint64_t> chainEnd; // a search ends there
    if (follow(stream, start, true, visit, chainEnd) == Outcome::restart)
        follow(stream, start, false, visit, chainEnd);
    return answer;
}

std::optional<std::uint32_t> ChainIndex::nodeFor(ImageStream& stream, std::uint64_t start)
{
    if (const auto known = lookup(start))
        return known;
    if (nodes_.size() >= limits_.budget)
        clear();
    return addWalk(stream, start);
}

std::uint32_t ChainIndex::list(ImageStream& stream, std::uint64_t start, std::uint32_t limit, std::uint8_t* ids)
{
    std::uint32_t listed = 0;
    const auto put = [&](std::uint32_t identity, std::uint16_t count) {
        for (int byte = 0; byte < 4; ++byte)
            ids[4 * listed + static_cast<std::uint32_t>(byte)] = static_cast<std::uint8_t>(identity >> (8 * byte));
        return ++listed == count || listed == limit;
    };
    const auto visit = [&](Run& run, std::int64_t from, std::int64_t) {
        for (std::int64_t level = from; level <= run.last(); ++level)
            if (put(run.at(level).identity, run.at(level).count))
                return true;
        return false;
    };
    // Through the runs first; the chain goes on unheld past a count of 0.
    std::optional<std::uint64_t> chainEnd;
    if (follow(stream, start, true, visit, chainEnd) == Outcome::restart) {
        listed = 0;
        follow(stream, start, false, visit, chainEnd);
    }
    for (std::uint64_t position = chainEnd.value_or(0); chainEnd;) {
        const std::uint8_t* raw = stream.view(position, SectorHeader::size);
        ++headersRead_;
        if (raw == nullptr)
            break;
        const SectorHeader header = SectorHeader::parse(raw);
        if (put(header.identity(), header.sectorCount))
            break;
        position += SectorHeader::size + header.dataLength;
    }
    return listed;
}

ChainIndex::Reading ChainIndex::readOn(ImageStream& stream, std::uint64_t position)
{
    Reading reading;
    for (std::uint32_t i = 0; i < maxWalk; ++i) {
        if (const auto known = lookup(position)) {
            reading.tail = Tail::joined;
            reading.next = *known;
            return reading;
        }
        const std::uint8_t* raw = stream.view(position, SectorHeader::size);
        ++headersRead_;
        if (raw == nullptr) {
            reading.tail = Tail::ended;
            return reading;
        }
        const SectorHeader header = SectorHeader::parse(raw);
        if (header.sectorCount == 0) {
            reading.tail = Tail::ended;
            return reading;
        }
        reading.records.push_back(Record{position, header.identity(), header.sectorCount, header.dataLength});
        position += SectorHeader::size + header.dataLength;
    }
    return reading; // open: the chain may go on, read when a walk needs it
}

std::optional<std::uint32_t> ChainIndex::addWalk(ImageStream& stream, std::uint64_t start)
{
    Reading reading = readOn(stream, start);
    if (reading.records.empty())
        return std::nullopt;

    const auto count = static_cast<std::int32_t>(reading.records.size());
    if (reading.tail == Tail::joined && nodes_[reading.next].level == runs_[nodes_[reading.next].run].first) {
        // It leads into the first record of a run: it becomes that run's front.
        const std::uint32_t run = nodes_[reading.next].run;
        for (auto record = reading.records.rbegin(); record != reading.records.rend(); ++record) {
            runs_[run].records.push_front(*record);
            addNode(run, --runs_[run].first, record->position);
        }
        coverBlocks(runs_[run]);
        return static_cast<std::uint32_t>(nodes_.size() - 1);
    }

    const auto run = static_cast<std::uint32_t>(runs_.size());
    runs_.push_back(Run{});
    Run& added = runs_.back();
    added.records.assign(reading.records.begin(), reading.records.end());
    added.tail = reading.tail;
    added.next = reading.next;
    const auto firstNode = static_cast<std::uint32_t>(nodes_.size());
    for (std::int32_t level = 0; level < count; ++level)
        addNode(run, level, reading.records[static_cast<std::size_t>(level)].position);
    coverBlocks(added);
    return firstNode;
}

void ChainIndex::extend(ImageStream& stream, std::uint32_t run)
{
    const Record& last = runs_[run].records.back();
    Reading reading = readOn(stream, last.position + SectorHeader::size + last.dataLength);
    Run& extended = runs_[run];
    for (const Record& record : reading.records) {
        extended.records.push_back(record);
        addNode(run, static_cast<std::int32_t>(extended.last()), record.position);
    }
    extended.tail = reading.tail;
    extended.next = reading.next;
    coverBlocks(extended);
}

void ChainIndex::addNode(std::uint32_t run, std::int32_t level, std::uint64_t position)
{
    nodes_.push_back(Node{position, run, level});
    remember(static_cast<std::uint32_t>(nodes_.size() - 1));
}

void ChainIndex::coverBlocks(Run& run)
{
    const std::int64_t size = limits_.blockSize;
    const std::int64_t first = blockOf(run.first, size);
    const std::int64_t last = blockOf(run.last(), size);
    if (run.blocks.empty()) {
        run.firstBlock = first;
        run.blocks.emplace_back();
    }
    for (; run.firstBlock > first; --run.firstBlock)
        run.blocks.emplace_front();
    while (run.firstBlock + static_cast<std::int64_t>(run.blocks.size()) - 1 < last)
        run.blocks.emplace_back();
}

ChainIndex::Hit ChainIndex::scan(Run& run, std::int64_t from, std::int64_t to, std::uint32_t identity,
                                 std::int64_t startLevel)
{
    const std::int64_t size = limits_.blockSize;
    for (std::int64_t block = blockOf(from, size); from <= to; ++block) {
        const std::int64_t end = std::min(to, (block + 1) * size - 1);
        const Hit hit = scanBlock(run, block, from, end, identity, startLevel);
        if (hit.found || hit.stopped)
            return hit;
        from = end + 1;
    }
    return {};
}

ChainIndex::Hit ChainIndex::scanBlock(Run& run, std::int64_t block, std::int64_t from, std::int64_t to,
                                      std::uint32_t identity, std::int64_t startLevel)
{
    const std::int64_t base = block * static_cast<std::int64_t>(limits_.blockSize);
    const std::int64_t first = std::max<std::int64_t>(run.first, base);
    const std::int64_t last = std::min<std::int64_t>(run.last(), base + limits_.blockSize - 1);
    Block& ordered = run.blocks[static_cast<std::size_t>(block - run.firstBlock)];
    // Records the order does not cover stand at the block's two ends and are
    // scanned, until scanning has cost more than ordering them would.
    const std::int64_t unordered = (last - first) - (ordered.last - ordered.first);
    if (unordered > 0 && ordered.scanned > scansBeforeOrder * (last - first + 1))
        orderBlock(run, base, first, last, ordered);

    if (ordered.last < ordered.first)
        return scanRecords(run, from, to, identity, startLevel, ordered.scanned);
    Hit hit = scanRecords(run, from, std::min(to, ordered.first - 1), identity, startLevel, ordered.scanned);
    if (!hit.found && !hit.stopped)
        hit = searchOrdered(run, base, ordered, std::max(from, ordered.first), std::min(to, ordered.last), identity,
                            startLevel);
    if (!hit.found && !hit.stopped)
        hit = scanRecords(run, std::max(from, ordered.last + 1), to, identity, startLevel, ordered.scanned);
    return hit;
}

ChainIndex::Hit ChainIndex::scanRecords(const Run& run, std::int64_t from, std::int64_t to, std::uint32_t identity,
                                        std::int64_t startLevel, std::int64_t& scanned)
{
    Hit hit;
    std::int64_t level = from;
    auto record = from <= to ? run.from(from) : run.records.end();
    for (; level <= to; ++level, ++record) {
        if (record->identity == identity) {
            hit = Hit{level, false};
            break;
        }
        if (endingStart(level, record->count) == startLevel) {
            hit = Hit{std::nullopt, true};
            break;
        }
    }
    // A short scan costs no more than a search of an order would: it does not count.
    if (level - from > shortScan)
        scanned += level - from;
    return hit;
}

ChainIndex::Hit ChainIndex::searchOrdered(const Run& run, std::int64_t base, const Block& ordered, std::int64_t from,
                                          std::int64_t to, std::uint32_t identity, std::int64_t startLevel)
{
    if (from > to)
        return {};
    // The first level in [from, to] whose key is `sought`: the order is by key, then level.
    const auto firstWith = [&](const std::vector<std::uint16_t>& order, auto key,
                               std::int64_t sought) -> std::optional<std::int64_t> {
        const auto found = std::lower_bound(order.begin(), order.end(), from, [&](std::uint16_t offset, std::int64_t) {
            const std::int64_t level = base + offset;
            const std::int64_t k = key(level);
            return k < sought || (k == sought && level < from);
        });
        if (found == order.end() || key(base + *found) != sought || base + *found > to)
            return std::nullopt;
        return base + *found;
    };
    const auto endsAt = [&run](std::int64_t level) { return endingStart(level, run.at(level).count); };
    const auto identityOf = [&run](std::int64_t level) { return std::int64_t{run.at(level).identity}; };
    const unsigned bit = identityBit(identity);
    const bool mayHold = (ordered.identities[bit / 64] >> (bit % 64) & 1) != 0;
    const bool mayEnd = startLevel >= ordered.leastEnd && startLevel <= ordered.greatestEnd;
    const auto stop = mayEnd ? firstWith(ordered.byEnd, endsAt, startLevel) : std::nullopt;
    const auto found = mayHold ? firstWith(ordered.byIdentity, identityOf, identity) : std::nullopt;
    if (found && *found <= stop.value_or(to))
        return Hit{found, false};
    return Hit{std::nullopt, stop.has_value()};
}

void ChainIndex::orderBlock(const Run& run, std::int64_t base, std::int64_t first, std::int64_t last,
                            Block& ordered) const
{
    std::vector<std::uint16_t> offsets;
    for (std::int64_t level = first; level <= last; ++level)
        offsets.push_back(static_cast<std::uint16_t>(level - base));
    // Stable, so equal keys stay in walk order and the first in the walk comes first.
    ordered.byIdentity = offsets;
    std::stable_sort(ordered.byIdentity.begin(), ordered.byIdentity.end(), [&](std::uint16_t a, std::uint16_t b) {
        return run.at(base + a).identity < run.at(base + b).identity;
    });
    ordered.byEnd = std::move(offsets);
    const auto endsAt = [&](std::uint16_t offset) { return endingStart(base + offset, run.at(base + offset).count); };
    std::stable_sort(ordered.byEnd.begin(), ordered.byEnd.end(),
                     [&](std::uint16_t a, std::uint16_t b) { return endsAt(a) < endsAt(b); });
    ordered.first = first;
    ordered.last = last;
    ordered.scanned = 0;
    ordered.identities.fill(0);
    for (std::int64_t level = first; level <= last; ++level) {
        const unsigned bit = identityBit(run.at(level).identity);
        ordered.identities[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    ordered.leastEnd = endsAt(ordered.byEnd.front());
    ordered.greatestEnd = endsAt(ordered.byEnd.back());
}

std::size_t ChainIndex::slotFor(std::uint64_t position) const
{
    return static_cast<std::size_t>((position * 0x9E3779B97F4A7C15u) >> 32) & (table_.size() - 1);
}

std::optional<std::uint32_t> ChainIndex::lookup(std::uint64_t position) const
{
    if (table_.empty())
        return std::nullopt;
    for (std::size_t slot = slotFor(position);; slot = (slot + 1) & (table_.size() - 1)) {
        if (table_[slot] == 0)
            return std::nullopt;
        if (nodes_[table_[slot] - 1].position == position)
            return table_[slot] - 1;
    }
}

void ChainIndex::remember(std::uint32_t node)
{
    if (table_.size() < 2 * nodes_.size()) {
        // Kept at most half full, so a probe ends soon at an empty slot.
        std::vector<std::uint32_t> old = std::move(table_);
        table_.assign(std::max<std::size_t>(1024, old.size() * 2), 0);
        for (const std::uint32_t entry : old)
            if (entry != 0)
                remember(entry - 1);
    }
    std::size_t slot = slotFor(nodes_[node].position);
    while (table_[slot] != 0)
        slot = (slot + 1) & (table_.size() - 1);
    table_[slot] = node + 1;
}

} // namespace d88
