#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "builder/D88Builder.hpp"
#include "image/D88Image.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;
using d88::build::Disk;
using d88::build::Record;

namespace {

std::vector<std::uint8_t> filled(std::size_t size, std::uint8_t value)
{
    return std::vector<std::uint8_t>(size, value);
}

Record rec(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::uint8_t n, std::vector<std::uint8_t> data)
{
    return Record{c, h, r, n, std::move(data), {}, {}};
}

class ReaderTest : public ::testing::Test {
protected:
    // Opens `bytes` as an image, kept here while it is read.
    D88Image& open(std::vector<std::uint8_t> bytes)
    {
        bytes_ = std::move(bytes);
        image.open(std::span<const std::uint8_t>(bytes_));
        return image;
    }
    D88Image& openDisk(const Disk& disk)
    {
        open(disk.bytes());
        EXPECT_TRUE(image.selectDisk(0));
        return image;
    }
    std::int32_t read(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r, std::int32_t n,
                      std::size_t capacity = 4096)
    {
        return image.readSector(SectorAddress{track, c, h, r, n}, std::span(buffer).first(capacity));
    }

    std::vector<std::uint8_t> bytes_;
    test::TempDir dir;
    D88Image image;
    std::array<std::uint8_t, 4096> buffer{};
};

TEST_F(ReaderTest, IndexesDisksUntilNoWholeHeaderRemains)
{
    open({});
    EXPECT_EQ(image.diskCount(), 0);
    open(filled(687, 0));
    EXPECT_EQ(image.diskCount(), 0);

    Disk small;
    small.tracks[0] = {rec(0, 0, 1, 1, filled(256, 1))};
    const auto one = small.bytes();
    auto two = build::image({small, small});
    two.resize(two.size() + 687); // a partial third header is not a disk
    open(two);
    EXPECT_EQ(image.diskCount(), 2);
    EXPECT_EQ(image.diskOffset(1), one.size());
}

TEST_F(ReaderTest, IndexesAtMostSixtyFourDisks)
{
    Disk empty;
    open(build::image(std::vector<Disk>(65, empty)));
    EXPECT_EQ(image.diskCount(), 64);
    EXPECT_EQ(image.diskOffset(63), 63u * 0x2B0);
    EXPECT_TRUE(image.moreDisksFollow());
    open(build::image(std::vector<Disk>(64, empty)));
    EXPECT_EQ(image.diskCount(), 64);
    EXPECT_FALSE(image.moreDisksFollow()) << "exactly 64 disks: nothing more follows";

    Disk zeroSize;
    zeroSize.diskSize = 0;
    open(zeroSize.bytes());
    EXPECT_EQ(image.diskCount(), 64);
    EXPECT_EQ(image.diskOffset(63), 0u);
}

TEST_F(ReaderTest, RefusesWhatCannotBeOpenedAsAFile)
{
    EXPECT_EQ(image.open((dir / "missing.d88").string().c_str()), std::errc::no_such_file_or_directory);
    EXPECT_EQ(image.open(dir.path().string().c_str()), std::errc::is_a_directory);
    EXPECT_EQ(image.diskCount(), 0);
    EXPECT_FALSE(image.selectDisk(0));
}

TEST_F(ReaderTest, SelectionLoadsNameAndMediaTypeAndFailsCleanly)
{
    Disk disk;
    disk.name = "ABCDEFGHIJKLMNOP"; // exactly 16 characters
    disk.mediaType = 0x20;
    disk.tracks[3] = {rec(1, 1, 1, 3, filled(1024, 7))};
    Disk second;
    second.name = "B";
    Disk full;
    full.name = "ABCDEFGHIJKLMNOPQ"; // fills the field: no end byte
    open(build::image({disk, second, full}));
    ASSERT_TRUE(image.selectDisk(2));
    EXPECT_STREQ(image.diskName(), "ABCDEFGHIJKLMNOPQ") << "the 17th character is kept";

    ASSERT_TRUE(image.selectDisk(0));
    EXPECT_STREQ(image.diskName(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(image.mediaType(), 0x20);
    EXPECT_EQ(read(3, 1, 1, 1, 3), 1024);

    ASSERT_TRUE(image.selectDisk(1));
    EXPECT_STREQ(image.diskName(), "B");

    ASSERT_TRUE(image.selectDisk(0));
    EXPECT_FALSE(image.selectDisk(image.diskCount()));
    EXPECT_EQ(image.mediaType(), -1);
    EXPECT_STREQ(image.diskName(), "");
    EXPECT_EQ(read(3, 1, 1, 1, 3), 0);
    std::array<std::uint8_t, 64> ids{};
    EXPECT_EQ(image.listSectorIds(3, std::span(ids.data(), 64)), 0);
}

TEST_F(ReaderTest, ClosingAndReopeningLeaveNoWayToTheOldDisk)
{
    Disk disk;
    disk.mediaType = 0x10;
    disk.tracks[3] = {rec(1, 1, 1, 3, filled(1024, 7))};
    openDisk(disk);

    disk.name = "OLD";
    openDisk(disk);
    image.close();
    EXPECT_EQ(image.diskCount(), 0);
    EXPECT_EQ(image.mediaType(), -1);
    EXPECT_STREQ(image.diskName(), "") << "nothing of the last image stays readable";
    EXPECT_EQ(image.selectedDiskSize(), 0u);
    EXPECT_EQ(image.diskOffset(0), 0u);
    EXPECT_FALSE(image.trackPresent(3));
    EXPECT_FALSE(image.fileId().has_value());
    openDisk(disk);
    EXPECT_FALSE(image.open(nullptr)) << "the same close, with no error";
    EXPECT_STREQ(image.diskName(), "");
    EXPECT_EQ(read(3, 1, 1, 1, 3), 0);
    EXPECT_FALSE(image.selectDisk(0));

    // A new file without a selection reads nothing, even where the old disk had a track.
    openDisk(disk);
    open(disk.bytes());
    EXPECT_EQ(image.diskCount(), 1);
    EXPECT_EQ(read(3, 1, 1, 1, 3), 0);
}

TEST_F(ReaderTest, TrackEntriesOutsideTheDiskAreAbsent)
{
    Disk disk;
    disk.tracks[0] = {rec(0, 0, 1, 3, filled(1024, 1))};
    disk.tracks[5] = {rec(2, 1, 1, 3, filled(1024, 5))};
    const std::uint32_t track5 = 0x2B0 + 16 + 1024;

    disk.diskSize = track5; // entry equal to the size: still present
    openDisk(disk);
    EXPECT_EQ(read(5, 2, 1, 1, 3), 1024);
    EXPECT_EQ(read(164, 2, 1, 1, 3), 0);
    EXPECT_EQ(read(-1, 2, 1, 1, 3), 0);
    EXPECT_EQ(read(4, 2, 1, 1, 3), 0); // entry 0

    disk.diskSize = track5 - 1;
    openDisk(disk);
    EXPECT_EQ(read(5, 2, 1, 1, 3), 0);
    EXPECT_EQ(read(0, 0, 0, 1, 3), 1024);

    disk.diskSize = 0xFFFFFFFF; // entries of 2^31 and more are far beyond the file, not negative
    disk.trackEntryOverrides[6] = 0x80000000;
    openDisk(disk);
    EXPECT_EQ(read(6, 3, 0, 1, 3), 0);
}

TEST_F(ReaderTest, FindsSectorsByAllFourIdentityBytes)
{
    Disk disk;
    disk.tracks[2] = {rec(1, 0, 1, 3, filled(1024, 0x11)), rec(1, 0, 2, 3, filled(1024, 0x22)),
                      rec(1, 0, 2, 3, filled(1024, 0x33)), rec(1, 0, 3, 2, filled(300, 0x44))};
    openDisk(disk);

    EXPECT_EQ(read(2, 1, 0, 2, 3), 1024);
    EXPECT_EQ(buffer[0], 0x22) << "the first of two equal identities wins";
    EXPECT_EQ(read(2, 1, 0, 1, 2), 0) << "N must match too";
    EXPECT_EQ(read(2, 1, 0, 3, 2), 300) << "the record's own data length counts, not N";
    EXPECT_EQ(read(2, 1 + 256, 0, 1, 3), 0) << "values outside 0..255 never match";
    EXPECT_EQ(read(2, 1, 0, 9, 3), 0);
}

TEST_F(ReaderTest, CapacityCutsTheCopy)
{
    Disk disk;
    disk.tracks[2] = {rec(1, 0, 1, 3, filled(1024, 0x5A)), rec(1, 0, 2, 3, {})};
    openDisk(disk);

    buffer.fill(0);
    EXPECT_EQ(read(2, 1, 0, 1, 3, 100), 100);
    EXPECT_EQ(buffer[99], 0x5A);
    EXPECT_EQ(buffer[100], 0x00);
    EXPECT_EQ(read(2, 1, 0, 1, 3, 0), 0);
    EXPECT_EQ(read(2, 1, 0, 2, 3), 0) << "a record without data yields nothing";
}

TEST_F(ReaderTest, SectorCountsBoundTheWalk)
{
    Disk disk;
    disk.tracks[1] = {rec(0, 1, 1, 3, filled(16, 1)), rec(0, 1, 2, 3, filled(16, 2)), rec(0, 1, 3, 3, filled(16, 3))};
    disk.tracks[1][0].sectorCount = 0;
    disk.tracks[2] = {rec(1, 0, 1, 3, filled(16, 1)), rec(1, 0, 2, 3, filled(16, 2)), rec(1, 0, 3, 3, filled(16, 3))};
    disk.tracks[2][1].sectorCount = 2; // the walk stops at this record
    openDisk(disk);

    EXPECT_EQ(read(1, 0, 1, 1, 3), 0) << "a count of 0 ends the search, even at a match";
    EXPECT_EQ(read(1, 0, 1, 2, 3), 0);
    EXPECT_EQ(read(2, 1, 0, 2, 3), 16);
    EXPECT_EQ(read(2, 1, 0, 3, 3), 0);
}

TEST_F(ReaderTest, NeverReportsBytesPastTheEndOfTheFile)
{
    Disk disk;
    disk.tracks[0] = {rec(0, 0, 1, 3, filled(1024, 1)), rec(0, 0, 2, 3, filled(1024, 2))};
    // Counts that promise more records than there are send the walk to the file's end.
    for (auto& record : disk.tracks[0])
        record.sectorCount = 1000;
    auto bytes = disk.bytes();
    openDisk(disk);
    EXPECT_EQ(read(0, 0, 0, 9, 3), 0);

    bytes.resize(bytes.size() - 1000); // cut inside the second record's data
    open(bytes);
    ASSERT_TRUE(image.selectDisk(0));
    EXPECT_EQ(read(0, 0, 0, 2, 3), 24);
    EXPECT_EQ(read(0, 0, 0, 1, 3), 1024);

    bytes.resize(bytes.size() - 24 - 8); // cut inside the second record's header
    open(bytes);
    ASSERT_TRUE(image.selectDisk(0));
    EXPECT_EQ(read(0, 0, 0, 2, 3), 0);
    std::array<std::uint8_t, 64> ids{};
    EXPECT_EQ(image.listSectorIds(0, std::span(ids.data(), 64)), 4);
}

TEST_F(ReaderTest, ListsSectorIdsInTrackOrder)
{
    Disk disk;
    for (std::uint8_t r : {3, 1, 5, 2, 4})
        disk.tracks[7].push_back(rec(3, 1, r, 3, filled(1024, r)));
    disk.tracks[8] = {rec(4, 0, 1, 3, {}), rec(4, 0, 2, 3, {}), rec(4, 0, 3, 3, {})};
    disk.tracks[8][0].sectorCount = 0; // listed, and the listing goes on
    openDisk(disk);

    std::array<std::uint8_t, 64> ids{};
    ASSERT_EQ(image.listSectorIds(7, std::span(ids.data(), 64)), 20);
    const std::array<std::uint8_t, 20> expected{3, 1, 3, 3, 3, 1, 1, 3, 3, 1, 5, 3, 3, 1, 2, 3, 3, 1, 4, 3};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), ids.begin()));
    EXPECT_EQ(image.listSectorIds(7, std::span(ids.data(), 8)), 8);
    EXPECT_EQ(image.listSectorIds(7, std::span(ids.data(), 3)), 0);
    EXPECT_EQ(image.listSectorIds(8, std::span(ids.data(), 64)), 12);
    EXPECT_EQ(image.listSectorIds(9, std::span(ids.data(), 64)), 0);
}

} // namespace

namespace {

TEST_F(ReaderTest, AWalkReachesAtMost65535Records)
{
    // A chain whose counts never end it: record 0 says 5 records, every later
    // one says 1, and only a record's own count - 1 = its position would stop it.
    Disk disk;
    auto& chain = disk.tracks[0];
    chain.assign(65536, rec(9, 9, 9, 3, {}));
    for (std::size_t i = 0; i < chain.size(); ++i)
        chain[i].sectorCount = i == 0 ? 5 : 1;
    chain[65534] = rec(0, 0, 1, 3, filled(8, 0x41)); // the 65,535th record
    chain[65534].sectorCount = 1;
    chain[65535] = rec(0, 0, 2, 3, filled(8, 0x42)); // the 65,536th
    chain[65535].sectorCount = 1;
    openDisk(disk);

    EXPECT_EQ(read(0, 0, 0, 1, 3), 8);
    EXPECT_EQ(buffer[0], 0x41);
    EXPECT_EQ(read(0, 0, 0, 2, 3), 0) << "past the 65,535th record nothing is found";

    std::vector<std::uint8_t> ids(4 * 65536 + 4);
    EXPECT_EQ(image.listSectorIds(0, std::span(ids.data(), ids.size())), 4 * 65535);
    EXPECT_EQ(ids[4 * 65534 + 2], 1);
}

TEST_F(ReaderTest, WalksSharedBetweenTracksAndKeptAcrossSelectionsGiveTheSameAnswers)
{
    Disk first;
    first.tracks[1] = {rec(0, 1, 1, 3, filled(1024, 1)), rec(0, 1, 2, 3, filled(1024, 2))};
    first.trackEntryOverrides[2] = 0x2B0; // track 2 starts where track 1 does
    Disk second;
    second.tracks[1] = {rec(0, 1, 2, 3, filled(1024, 7))};
    open(build::image({first, second}));
    for (int index : {0, 1, 0}) {
        ASSERT_TRUE(image.selectDisk(index));
        EXPECT_EQ(read(1, 0, 1, 2, 3), 1024);
        EXPECT_EQ(buffer[0], index == 0 ? 2 : 7);
        EXPECT_EQ(read(2, 0, 1, 1, 3), index == 0 ? 1024 : 0);
    }
}

} // namespace
