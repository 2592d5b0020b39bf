#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "builder/D88Builder.hpp"
#include "fuzz/ReferenceReader.hpp"
#include "image/D88Image.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;
using d88::build::Disk;
using d88::build::Record;

namespace {

constexpr std::uint32_t recordSize = 16 + 24;
constexpr std::uint32_t firstRecord = 0x2B0;
constexpr int chainTracks = 40;
constexpr std::array<std::uint32_t, 3> branchesAt{5, 20, 33};

// Memo budgets that the walks here fill at once, besides the real one.
const std::vector<WalkLimits> limitsTried{
    {.logReads = true},
    {.memoBudget = 1, .logReads = true},
    {.memoBudget = 2, .logReads = true},
    {.memoBudget = 30, .logReads = true},
};

// Track 0 is a chain of 60 records that tracks 1 to 40 start inside, at
// places that lead into one another from before, after and the middle. The
// counts end walks from some starts but not others; record 55's count of 0
// ends every walk. R repeats every 9 records. Three records carry in their
// data a record with R 10 that leads two records on, into the middle of
// what other walks read: tracks 41 to 43 start there.
Disk mergedChains()
{
    Disk disk;
    auto& chain = disk.tracks[0];
    for (std::uint8_t i = 0; i < 60; ++i) {
        Record record{0, 0, static_cast<std::uint8_t>(i % 9 + 1), 3, std::vector<std::uint8_t>(24, i), {}, {}};
        record.sectorCount = i == 55 ? 0 : (i % 5 == 2 ? static_cast<std::uint16_t>(i % 13 + 1) : 0xFFFF);
        chain.push_back(record);
    }
    for (const std::uint32_t at : branchesAt) {
        auto& data = chain[at].data;
        data = {0, 0, 10, 3, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 2 * recordSize - 32, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    }
    for (int track = 1; track <= chainTracks; ++track)
        disk.trackEntryOverrides[track] = firstRecord + recordSize * static_cast<std::uint32_t>((track * 37) % 55);
    for (std::size_t i = 0; i < branchesAt.size(); ++i)
        disk.trackEntryOverrides[chainTracks + 1 + static_cast<int>(i)] = firstRecord + recordSize * branchesAt[i] + 16;
    return disk;
}

std::vector<int> tracksInOrder(int order)
{
    std::vector<int> tracks;
    for (int track = 0; track <= chainTracks + static_cast<int>(branchesAt.size()); ++track)
        tracks.push_back(track);
    if (order == 1)
        std::reverse(tracks.begin(), tracks.end());
    if (order == 2)
        std::sort(tracks.begin(), tracks.end(), [](int a, int b) { return (a * 7) % 47 < (b * 7) % 47; });
    return tracks;
}

// Plans the searches for C = H = `ch`, R 1..`lastR` on `tracks`, in that
// order, in one pass or one pass per track.
void prepare(D88Image& image, const std::vector<int>& tracks, int ch, int lastR, bool passPerTrack = false)
{
    WalkPlan plan;
    for (const int track : tracks) {
        for (int r = 1; r <= lastR; ++r)
            image.planSector(plan, SectorAddress{track, ch, ch, r, 3});
        if (passPerTrack) {
            image.prepare(plan, D88Image::LaterPasses::follow);
            plan = WalkPlan{};
        }
    }
    image.prepare(plan);
}

TEST(WalkPassTest, MergedWalksAnswerAsPlainWalksAndReadEachHeaderOnce)
{
    const auto bytes = mergedChains().bytes();
    fuzz::ReferenceReader reference(bytes);
    reference.select(0);

    for (const WalkLimits& limits : limitsTried) {
        for (int order = 0; order < 4; ++order) {
            D88Image image(limits);
            image.open(bytes);
            ASSERT_TRUE(image.selectDisk(0));
            // Order 3 is a pass per track: later passes meet what earlier ones read.
            prepare(image, tracksInOrder(order % 3), 0, 10, order == 3);
            for (const int track : tracksInOrder(order % 3))
                for (int r = 1; r <= 10; ++r) {
                    std::array<std::uint8_t, 16> got{}, want{};
                    const auto count = image.readSector(SectorAddress{track, 0, 0, r, 3}, std::span(got.data(), 16));
                    ASSERT_EQ(count, reference.readSector(track, 0, 0, r, 3, want.data(), 16))
                        << "track " << track << " R " << r << ", order " << order << ", memo " << limits.memoBudget;
                    EXPECT_EQ(got, want);
                }
            // Past its budget the memo lets later passes read again what earlier ones did.
            const auto& reads = image.passReads();
            if (order < 3 || limits.memoBudget == WalkLimits{}.memoBudget) {
                EXPECT_EQ(std::set(reads.begin(), reads.end()).size(), reads.size()) << "order " << order;
            }
            if (limits.memoBudget == WalkLimits{}.memoBudget) {
                EXPECT_EQ(image.headersRead(), 59u) << "58 records and the one that ends them, order " << order;
            }
        }
    }
}

TEST(WalkPassTest, WalksFromDifferentStartsReachTheCapAtDifferentRecords)
{
    // Every count but the two starts' is 1, which ends no walk past its first
    // record, so only the cap ends these walks. Track 1 starts 10 records
    // after track 0: its walk reaches 10 records further.
    Disk disk;
    auto& chain = disk.tracks[0];
    chain.assign(65545, Record{9, 9, 9, 3, {1, 2, 3, 4}, 1, {}});
    chain[0].sectorCount = chain[10].sectorCount = 0xFFFF;
    chain[65534].r = 1; // last of track 0's walk
    chain[65535].r = 2; // first past it
    chain[65544].r = 3; // last of track 1's walk
    disk.trackEntryOverrides[1] = firstRecord + (16 + 4) * 10;
    const auto bytes = disk.bytes();

    for (const WalkLimits& limits : {WalkLimits{}, WalkLimits{.memoBudget = 1}})
        for (const int firstTrack : {0, 1}) {
            D88Image image(limits);
            image.open(bytes);
            ASSERT_TRUE(image.selectDisk(0));
            // Planned in either order, and plain for the tight reader's second track.
            prepare(image, {firstTrack, limits.memoBudget == 1 ? firstTrack : 1 - firstTrack}, 9, 3);
            std::array<std::uint8_t, 4> data{};
            for (const int track : {firstTrack, 1 - firstTrack}) {
                const std::int32_t beyondTrack0 = track == 0 ? 0 : 4;
                EXPECT_EQ(image.readSector(SectorAddress{track, 9, 9, 1, 3}, std::span(data.data(), 4)), 4) << track;
                EXPECT_EQ(image.readSector(SectorAddress{track, 9, 9, 2, 3}, std::span(data.data(), 4)), beyondTrack0)
                    << track;
                EXPECT_EQ(image.readSector(SectorAddress{track, 9, 9, 3, 3}, std::span(data.data(), 4)), beyondTrack0)
                    << track;
            }
        }
}

} // namespace

namespace {

// Track 0 is 12 records of 8 bytes, R 1 to 12. Record 4 counts 0 sectors
// (which ends searches, not listings), record 9 counts 10 (which ends the
// walks that started at record 0), and the file ends inside record 11's
// header. Tracks 1 to 4 start at records 2, 4, 5 and 9.
std::vector<std::uint8_t> countsAndEnd()
{
    Disk disk;
    auto& chain = disk.tracks[0];
    for (std::uint8_t i = 0; i < 12; ++i)
        chain.push_back(Record{0, 0, static_cast<std::uint8_t>(i + 1), 3, std::vector<std::uint8_t>(8, i), 0xFFFF, {}});
    chain[4].sectorCount = 0;
    chain[9].sectorCount = 10;
    const std::array<std::uint32_t, 4> starts{2, 4, 5, 9};
    for (std::size_t i = 0; i < starts.size(); ++i)
        disk.trackEntryOverrides[static_cast<int>(i) + 1] = firstRecord + 24 * starts[i];
    auto bytes = disk.bytes();
    bytes.resize(bytes.size() - 24 + 8);
    return bytes;
}

TEST(WalkPassTest, ListingsGoOnPastACountOfZeroAndEveryWalkEndsAtTheFileEnd)
{
    const auto bytes = countsAndEnd();
    fuzz::ReferenceReader reference(bytes);
    reference.select(0);
    const auto listed = [](int track) { return 4 * (3 + 4 * track); }; // bytes of ids each track's listing takes

    {
        D88Image image(WalkLimits{.logReads = true});
        image.open(bytes);
        ASSERT_TRUE(image.selectDisk(0));
        // Searches in one pass and listings in the next, which meets what the first read.
        WalkPlan searches, listings;
        for (int track = 0; track <= 4; ++track) {
            for (int r = 1; r <= 13; ++r)
                image.planSector(searches, SectorAddress{track, 0, 0, r, 3});
            image.planListing(listings, track, static_cast<std::size_t>(listed(track)));
        }
        image.prepare(searches, D88Image::LaterPasses::follow);
        image.prepare(listings);
        const auto& reads = image.passReads();
        EXPECT_EQ(std::set(reads.begin(), reads.end()).size(), reads.size());

        const std::uint64_t prepared = image.headersRead();
        for (int track = 0; track <= 4; ++track) {
            for (int r = 1; r <= 13; ++r) {
                std::array<std::uint8_t, 8> got{}, want{};
                EXPECT_EQ(image.readSector(SectorAddress{track, 0, 0, r, 3}, got),
                          reference.readSector(track, 0, 0, r, 3, want.data(), 8))
                    << "track " << track << " R " << r << "";
                EXPECT_EQ(got, want);
            }
            for (const int capacity : {4, 12, listed(track)}) {
                std::vector<std::uint8_t> ids(static_cast<std::size_t>(capacity));
                const auto expected = reference.listSectorIds(track, capacity);
                ASSERT_EQ(image.listSectorIds(track, ids), static_cast<std::int32_t>(expected.size())) << track;
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), ids.begin())) << track;
            }
            EXPECT_EQ(image.firstRecordCount(track), reference.firstCount(track)) << track;
        }
        EXPECT_EQ(image.headersRead(), prepared) << "a prepared read read a header";
    }
}

} // namespace

namespace {

// An extent of three tracks of five 128-byte sectors from track 1. Track 1
// holds `first` and then, unless it ends there, records that match nothing;
// tracks 2 and 3 hold 300 such records each, or the extent's sectors, and lie
// in the file before track 1 where `backwards`.
std::vector<std::uint8_t> extentStoppingAt(const std::vector<Record>& first, bool laterTracksHold,
                                           bool backwards = false)
{
    Disk disk;
    disk.tracks[1] = first;
    for (const int track : {2, 3}) {
        auto& records = disk.tracks[track];
        if (laterTracksHold)
            for (std::uint8_t r = 1; r <= 5; ++r)
                records.push_back(Record{static_cast<std::uint8_t>(track >> 1),
                                         static_cast<std::uint8_t>(track & 1),
                                         r,
                                         0,
                                         std::vector<std::uint8_t>(128, r),
                                         {},
                                         {}});
        else
            records.assign(300, Record{0xFF, 0xFF, 0xFF, 0, {}, 0xFFFF, {}});
    }
    if (backwards) { // the tracks are the same size: 1 and 3 trade places
        std::swap(disk.tracks[1], disk.tracks[3]);
        disk.trackEntryOverrides[1] = firstRecord + 2 * 5 * (16 + 128);
        disk.trackEntryOverrides[3] = firstRecord;
    }
    return disk.bytes();
}

Record onTrack1(std::uint8_t r, std::size_t length, std::uint16_t count)
{
    return Record{0, 1, r, 0, std::vector<std::uint8_t>(length, r), count, {}};
}

// Track 1 holds R 1 and then goes on as one of 8 chains braided record by
// record (a record's data spans the next headers of the other 7), which tracks
// 2 to 8 start. R 2 is known missing only at the end of track 1's chain, and
// the walks of tracks 2 to 8, which the run never makes, lie beside it.
std::vector<std::uint8_t> braidsBehindALongFirstTrack()
{
    constexpr std::uint16_t chains = 8;
    Disk disk;
    auto& track = disk.tracks[1];
    track.push_back(onTrack1(1, 128, 0xFFFF));
    track.resize(1 + chains * 200, Record{0xFF, 0xFF, 0xFF, 0, {}, 0xFFFF, 16 * (chains - 1)});
    for (int later = 2; later <= chains; ++later)
        disk.trackEntryOverrides[later] = firstRecord + 16 + 128 + 16 * static_cast<std::uint32_t>(later - 1);
    return disk.bytes();
}

// The run reads an extent sector by sector and stops at the first missing or
// short one; the pass that prepares it reads at most four times the headers
// those reads would, whatever the plan's later sectors would have walked.
TEST(WalkPassTest, AnExtentIsWalkedOnlyAsFarAsTheRunReadsIt)
{
    const Record nothing{0xFF, 0xFF, 0xFF, 0, {}, 0xFFFF, {}};
    std::vector<Record> whole;
    for (std::uint8_t r = 1; r <= 5; ++r)
        whole.push_back(onTrack1(r, 128, 5));
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> shapes{
        {"track 1 holds R 1 alone", extentStoppingAt({onTrack1(1, 128, 1)}, false)},
        {"R 1 is short", extentStoppingAt({onTrack1(1, 100, 0xFFFF), nothing, nothing, nothing}, false)},
        {"R 3 is missing", extentStoppingAt({onTrack1(1, 128, 3), onTrack1(2, 128, 3), nothing}, false)},
        {"every sector is there", extentStoppingAt(whole, true)},
        {"every sector is there, the tracks backwards in the file", extentStoppingAt(whole, true, true)},
        {"braids behind a long first track", braidsBehindALongFirstTrack()},
    };
    constexpr std::int32_t length = 8 * 5 * 128;
    for (const auto& [shape, bytes] : shapes) {
        fuzz::ReferenceReader reference(bytes);
        reference.select(0);
        std::vector<std::uint8_t> want;
        SectorAddress at{1, 0, 1, 1, 0};
        for (std::array<std::uint8_t, 128> sector{}; static_cast<std::int32_t>(want.size()) < length &&
             reference.readSector(at.track, at.c, at.h, at.r, at.n, sector.data(), 128) == 128;
             at.advance(1, 5))
            want.insert(want.end(), sector.begin(), sector.end());
        const std::uint64_t runReads = reference.headersRead();

        D88Image image(WalkLimits{.logReads = true});
        image.open(bytes);
        ASSERT_TRUE(image.selectDisk(0));
        image.setSectorRange(1, 5);
        WalkPlan plan;
        image.planExtent(plan, SectorAddress{1, 0, 1, 1, 0}, length);
        image.prepare(plan);
        EXPECT_LE(image.headersRead(), 4 * runReads) << shape;

        const std::uint64_t prepared = image.headersRead();
        std::vector<std::uint8_t> got(length);
        got.resize(static_cast<std::size_t>(image.readExtent(SectorAddress{1, 0, 1, 1, 0}, got)));
        EXPECT_EQ(got, want) << shape;
        EXPECT_EQ(image.headersRead(), prepared) << shape << ": a prepared read read a header";
    }
}

} // namespace
