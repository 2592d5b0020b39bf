// The reader against any bytes: index, select every disk, look sectors up on
// every track, list tracks and read extents, comparing each answer with the
// plain in-memory reading. One reader walks plainly; two more answer a plan
// of searches and listings over the visited disks in two passes, one with
// the real limits and one with every mechanism on from the start (a memo of
// two records, groups indexed from their first walk, room for one sector's
// data), and may read no more headers than the plan's plain walks would,
// nor one header twice in a pass (nor in the run, while the memo holds the
// first pass's).
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "fuzz/FuzzInput.hpp"
#include "fuzz/ReferenceReader.hpp"
#include "image/D88Image.hpp"

using namespace d88;
using namespace d88::fuzz;

namespace {

constexpr std::int32_t disksVisited = 3; // bounds the work on a 64-disk chain
constexpr std::int32_t largeCapacity = 65536;
constexpr std::int32_t wholeTrack = 4 * 65535; // bytes that list any track whole

void checkSector(D88Image& image, const ReferenceReader& reference, int track, int c, int h, int r, int n,
                 std::int32_t capacity)
{
    static std::vector<std::uint8_t> got(largeCapacity), want(largeCapacity);
    const std::int32_t count =
        image.readSector(SectorAddress{track, c, h, r, n}, std::span(got).first(static_cast<std::size_t>(capacity)));
    const std::int32_t expected = reference.readSector(track, c, h, r, n, want.data(), capacity);
    require(count == expected, "readSector count");
    require(std::equal(got.begin(), got.begin() + count, want.begin()), "readSector bytes");
}

void checkListing(D88Image& image, const ReferenceReader& reference, int track, std::int32_t capacity)
{
    static std::vector<std::uint8_t> ids(wholeTrack);
    const std::int32_t listed = image.listSectorIds(track, std::span(ids).first(static_cast<std::size_t>(capacity)));
    const auto expected = reference.listSectorIds(track, capacity);
    require(listed == static_cast<std::int32_t>(expected.size()), "list count");
    require(std::equal(expected.begin(), expected.end(), ids.begin()), "list bytes");
}

// A run of sectors as the extent reading defines it, from the reference's sectors.
std::vector<std::uint8_t> referenceExtent(const ReferenceReader& reference, int track, int c, int h, int r, int n,
                                          int first, int last, std::int32_t length)
{
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> sector(static_cast<std::size_t>(128) << n);
    while (static_cast<std::int32_t>(out.size()) < length) {
        const auto step = std::min<std::int32_t>(128 << n, length - static_cast<std::int32_t>(out.size()));
        const std::int32_t placed = reference.readSector(track, c, h, r, n, sector.data(), step);
        if (placed < step)
            break;
        out.insert(out.end(), sector.begin(), sector.begin() + step);
        if (r != last) {
            ++r;
        } else {
            ++track;
            c += h;
            h = 1 - h;
            r = first;
        }
    }
    return out;
}

// Plain walks: every track listed, and the identities it holds looked up.
void checkTracks(D88Image& image, const ReferenceReader& reference)
{
    std::vector<std::uint8_t> ids(1024);
    for (int track = -1; track <= D88Image::trackCount; ++track) {
        const std::int32_t listed = image.listSectorIds(track, ids);
        checkListing(image, reference, track, static_cast<std::int32_t>(ids.size()));
        // The identities the track really holds, early, middle and last, plus ones never there.
        for (const std::int32_t at : {0, 4, 8, 12, listed / 8 * 4, listed - 4})
            if (at >= 0 && at + 4 <= listed)
                for (std::int32_t capacity : {0, 1, 1024, largeCapacity})
                    checkSector(image, reference, track, ids[at], ids[at + 1], ids[at + 2], ids[at + 3], capacity);
        checkSector(image, reference, track, track >> 1, track & 1, 1, 3, 1024);
    }
}

void checkExtents(D88Image& image, const ReferenceReader& reference)
{
    std::vector<std::uint8_t> extent(4 * 16 * 1024);
    for (auto [first, last] : {std::pair{1, 5}, std::pair{1, 16}, std::pair{5, 1}}) {
        image.setSectorRange(first, last);
        for (auto [n, length] :
             {std::pair{3, 0}, std::pair{3, 1500}, std::pair{3, 16 * 1024}, std::pair{1, 4 * 16 * 256}}) {
            const SectorAddress start{n == 3 ? 1 : 0, 0, n == 3 ? 1 : 0, first, n};
            const std::int32_t count =
                image.readExtent(start, std::span(extent).first(static_cast<std::size_t>(length)));
            const auto expected =
                referenceExtent(reference, n == 3 ? 1 : 0, 0, n == 3 ? 1 : 0, first, n, first, last, length);
            require(count == static_cast<std::int32_t>(expected.size()), "extent length");
            require(std::equal(expected.begin(), expected.end(), extent.begin()), "extent bytes");
        }
    }
}

// What the plan asks of one track: identities it holds early, in the middle
// and last, ones it may not hold, and a listing.
struct TrackAsk {
    std::int32_t disk;
    std::int32_t track;
    std::vector<std::array<int, 4>> identities;
    std::int32_t listCapacity;
};

std::vector<TrackAsk> askTracks(ReferenceReader& reference, std::int32_t disks)
{
    std::vector<TrackAsk> asks;
    for (std::int32_t disk = 0; disk < disks; ++disk) {
        reference.select(static_cast<std::size_t>(disk));
        for (int track = 0; track < D88Image::trackCount; ++track) {
            const auto all = reference.listSectorIds(track, wholeTrack);
            const auto size = static_cast<std::int32_t>(all.size());
            TrackAsk ask{disk, track, {}, std::array{wholeTrack, 4, 20, 1024}[track % 4]};
            for (const std::int32_t at : {0, size / 8 * 4, size - 4})
                if (at >= 0 && at + 4 <= size)
                    ask.identities.push_back({all[at], all[at + 1], all[at + 2], all[at + 3]});
            ask.identities.push_back({track >> 1, track & 1, 1, 3});
            ask.identities.push_back({0xEE, 0xEE, 0xEE, 0xEE});
            asks.push_back(ask);
        }
    }
    return asks;
}

// Headers the plain walks of the plan read: each search and the longest
// listing from each start once, as the plan holds them.
std::uint64_t plainCost(ReferenceReader& reference, const std::vector<TrackAsk>& asks)
{
    const std::uint64_t before = reference.headersRead();
    std::set<std::pair<std::uint64_t, std::array<int, 4>>> searched;
    std::map<std::uint64_t, std::pair<const TrackAsk*, std::int32_t>> longestListing;
    std::array<std::uint8_t, 1> unused{};
    for (const TrackAsk& ask : asks) {
        reference.select(static_cast<std::size_t>(ask.disk));
        const auto start = reference.trackOffset(ask.track);
        if (!start)
            continue;
        for (const auto& [c, h, r, n] : ask.identities)
            if (searched.insert({*start, {c, h, r, n}}).second)
                reference.readSector(ask.track, c, h, r, n, unused.data(), 0);
        auto& longest = longestListing[*start];
        if (ask.listCapacity > longest.second)
            longest = {&ask, ask.listCapacity};
    }
    for (const auto& [start, longest] : longestListing) {
        reference.select(static_cast<std::size_t>(longest.first->disk));
        reference.listSectorIds(longest.first->track, longest.second);
    }
    return reference.headersRead() - before;
}

bool readsOnce(std::vector<std::uint64_t> positions)
{
    std::sort(positions.begin(), positions.end());
    return std::adjacent_find(positions.begin(), positions.end()) == positions.end();
}

// Two passes, as the programs make them: each track's first identity, then
// the rest. They may read no more headers than the plan's plain walks, no
// header twice in a pass, nor one twice in the two while the memo holds
// what the first read.
void checkPasses(D88Image& image, const std::vector<TrackAsk>& asks, std::size_t memoBudget, std::uint64_t plainHeaders)
{
    const std::uint64_t before = image.headersRead();
    const auto& log = image.passReads();
    std::vector<std::size_t> passFrom{log.size()};
    for (const bool whole : {false, true}) {
        WalkPlan plan;
        for (const TrackAsk& ask : asks) {
            require(image.selectDisk(ask.disk), "select");
            for (std::size_t i = 0; i < (whole ? ask.identities.size() : 1); ++i) {
                const auto& [c, h, r, n] = ask.identities[i];
                image.planSector(plan, SectorAddress{ask.track, c, h, r, n});
            }
            if (whole)
                image.planListing(plan, ask.track, static_cast<std::size_t>(ask.listCapacity));
        }
        image.prepare(plan, whole ? D88Image::LaterPasses::none : D88Image::LaterPasses::follow);
        passFrom.push_back(log.size());
    }
    require(image.headersRead() - before <= plainHeaders, "more headers read than the plain walks read");
    const auto from = [&](std::size_t index) { return log.begin() + static_cast<std::ptrdiff_t>(passFrom[index]); };
    for (std::size_t pass = 0; pass < 2; ++pass)
        require(readsOnce({from(pass), from(pass + 1)}), "a header read twice in a pass");
    if (passFrom[1] - passFrom[0] <= memoBudget)
        require(readsOnce({from(0), log.end()}), "a header the memo holds read again");
}

void checkPlanned(D88Image& image, std::size_t memoBudget, ReferenceReader& reference,
                  const std::vector<TrackAsk>& asks, std::uint64_t plainHeaders)
{
    checkPasses(image, asks, memoBudget, plainHeaders);
    const std::uint64_t prepared = image.headersRead();
    for (const TrackAsk& ask : asks) {
        require(image.selectDisk(ask.disk), "select");
        reference.select(static_cast<std::size_t>(ask.disk));
        for (const auto& [c, h, r, n] : ask.identities)
            for (std::int32_t capacity : {0, 1, 1024, largeCapacity})
                checkSector(image, reference, ask.track, c, h, r, n, capacity);
        for (const std::int32_t capacity : {4, 20, ask.listCapacity})
            if (capacity <= ask.listCapacity)
                checkListing(image, reference, ask.track, capacity);
        const auto first = image.firstRecordCount(ask.track);
        const auto expected = reference.firstCount(ask.track);
        require(first.has_value() == expected.has_value() && (!first || *first == *expected), "first record count");
    }
    require(image.headersRead() == prepared, "a prepared read read a header");
}

// Extents planned together as the programs plan their files, each sector
// after the one before. The pass may read a header only where a read the
// run makes walks, or where a read it never makes walks up to the record
// that shows it never makes it (the earlier sector's, found short or
// missing): the pass goes in file order, so it cannot know sooner. In all it
// reads at most four times the headers the run's reads would one by one, and
// the extents then read as the reference reads them, without a header.
void checkExtentPlan(std::span<const std::uint8_t> bytes, const ReferenceReader& reference, std::int32_t disks)
{
    struct Extent {
        std::int32_t disk, first, last;
        SectorAddress start;
        std::int32_t length;
        std::vector<std::uint8_t> bytes; // what the reference reads of it
    };
    D88Image image(WalkLimits{.logReads = true});
    image.open(bytes);
    WalkPlan plan;
    std::vector<Extent> extents;
    std::set<std::uint64_t> allowed;
    std::uint64_t runHeaders = 0;
    std::vector<std::uint8_t> sector(4 * 1024);
    for (std::int32_t disk = 0; disk < disks; ++disk) {
        require(image.selectDisk(disk), "select");
        ReferenceReader walker = reference;
        walker.select(static_cast<std::size_t>(disk));
        for (auto [first, last] : {std::pair{1, 5}, std::pair{1, 16}, std::pair{5, 1}})
            for (auto [n, length] : {std::pair{3, 1500}, std::pair{3, 16 * 1024}, std::pair{1, 4 * 16 * 256}}) {
                const SectorAddress start{n == 3 ? 1 : 0, 0, n == 3 ? 1 : 0, first, n};
                image.setSectorRange(first, last);
                image.planExtent(plan, start, static_cast<std::size_t>(length));
                Extent& extent = extents.emplace_back(Extent{disk, first, last, start, length, {}});
                std::optional<std::uint64_t> decided; // where the run turned out to stop
                SectorAddress at = start;
                for (std::int32_t total = 0; total < length; at.advance(first, last)) {
                    const std::int32_t step = std::min(128 << n, length - total);
                    const std::int32_t placed =
                        walker.readSector(at.track, at.c, at.h, at.r, at.n, sector.data(), step);
                    if (walker.lastWalk().empty())
                        break; // the track is absent: nothing after it is planned
                    for (const std::uint64_t position : walker.lastWalk())
                        if (!decided || position <= *decided)
                            allowed.insert(position);
                    if (!decided)
                        runHeaders += walker.lastWalk().size();
                    if (!decided && placed == step)
                        extent.bytes.insert(extent.bytes.end(), sector.begin(), sector.begin() + step);
                    if (placed < step && !decided)
                        decided = walker.lastWalk().back();
                    total += step;
                }
            }
    }
    image.prepare(plan);
    for (const std::uint64_t position : image.passReads())
        require(allowed.count(position) != 0, "a header read past where the run is known to stop");
    require(image.passReads().size() <= 4 * runHeaders, "more than four times the run's headers read");

    const std::uint64_t prepared = image.headersRead();
    for (const Extent& extent : extents) {
        require(image.selectDisk(extent.disk), "select");
        image.setSectorRange(extent.first, extent.last);
        std::vector<std::uint8_t> got(static_cast<std::size_t>(extent.length));
        got.resize(static_cast<std::size_t>(image.readExtent(extent.start, got)));
        require(got == extent.bytes, "a planned extent's bytes");
    }
    require(image.headersRead() == prepared, "a planned extent read a header");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    D88Image plain;
    constexpr std::size_t tightBudget = 2;
    D88Image image(WalkLimits{.logReads = true});
    D88Image tight(WalkLimits{.memoBudget = tightBudget, .logReads = true});
    plain.open(bytes);
    image.open(bytes);
    tight.open(bytes);
    ReferenceReader reference({data, size});
    require(static_cast<std::size_t>(plain.diskCount()) == reference.diskCount(), "disk count");
    const std::int32_t disks = std::min(plain.diskCount(), disksVisited);

    const auto asks = askTracks(reference, disks);
    const std::uint64_t plainHeaders = plainCost(reference, asks);
    checkPlanned(image, WalkLimits{}.memoBudget, reference, asks, plainHeaders);
    checkPlanned(tight, tightBudget, reference, asks, plainHeaders);
    checkExtentPlan(bytes, reference, disks);

    for (std::int32_t disk = 0; disk < disks; ++disk) {
        require(plain.diskOffset(disk) == reference.diskOffset(static_cast<std::size_t>(disk)), "disk offset");
        require(plain.selectDisk(disk) && tight.selectDisk(disk), "select");
        reference.select(static_cast<std::size_t>(disk));
        require(std::strlen(plain.diskName()) <= 17, "name length");
        require(plain.mediaType() >= 0 && plain.mediaType() <= 255, "media type");
        checkTracks(plain, reference);
        checkExtents(plain, reference);
        checkExtents(tight, reference);
    }
    std::vector<std::uint8_t> ids(1024);
    require(!plain.selectDisk(plain.diskCount()), "select past the end");
    require(plain.readSector(SectorAddress{1, 0, 1, 1, 3}, std::span(ids.data(), 1024)) == 0,
            "read after failed select");
    return 0;
}
