#include <gtest/gtest.h>

#include <vector>

#include "builder/SetDisk.hpp"
#include "image/D88Image.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;
using namespace d88::build;

namespace {

class ExtentTest : public ::testing::Test {
protected:
    void openDisk(const Disk& disk)
    {
        bytes = disk.bytes();
        image.open(std::span<const std::uint8_t>(bytes));
        ASSERT_TRUE(image.selectDisk(0));
        image.setSectorRange(1, 5);
    }
    // The stamped sectors (track, r) one after the other: what an extent must hold.
    static std::vector<std::uint8_t> sectors(std::initializer_list<std::pair<int, int>> list)
    {
        std::vector<std::uint8_t> bytes;
        for (auto [track, r] : list) {
            const auto data = stampedSector('A', track, r);
            bytes.insert(bytes.end(), data.begin(), data.end());
        }
        return bytes;
    }

    std::vector<std::uint8_t> bytes; // the open image
    D88Image image;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(64 * 1024, 0xEE);
};

TEST_F(ExtentTest, CrossesSectorsHeadsAndCylinders)
{
    openDisk(setDisk('A', Signature::none));
    ASSERT_EQ(image.readExtent(SectorAddress{1, 0, 1, 1, 3}, std::span(buffer.data(), 32768)), 32768);
    std::vector<std::pair<int, int>> order;
    for (int track = 1; track <= 6; ++track)
        for (int r = 1; r <= 5; ++r)
            order.emplace_back(track, r);
    order.emplace_back(7, 1);
    order.emplace_back(7, 2);
    std::vector<std::uint8_t> expected;
    for (auto [track, r] : order) {
        const auto data = stampedSector('A', track, r);
        expected.insert(expected.end(), data.begin(), data.end());
    }
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
    EXPECT_EQ(buffer[32768], 0xEE);
}

TEST_F(ExtentTest, LastSectorContributesOnlyTheBytesStillWanted)
{
    openDisk(setDisk('A', Signature::none));
    ASSERT_EQ(image.readExtent(SectorAddress{8, 4, 0, 2, 3}, std::span(buffer.data(), 1500)), 1500);
    const auto expected = sectors({{8, 2}, {8, 3}});
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 1500, buffer.begin()));
    EXPECT_EQ(buffer[1500], 0xEE);
}

TEST_F(ExtentTest, StartBeyondTheLastSectorNumberNeverChangesTrack)
{
    Disk disk = setDisk('A', Signature::none);
    for (std::uint8_t r = 6; r <= 8; ++r)
        disk.tracks[3].push_back(Record{1, 1, r, 3, stampedSector('A', 3, r), {}, {}});
    openDisk(disk);
    EXPECT_EQ(image.readExtent(SectorAddress{3, 1, 1, 6, 3}, std::span(buffer.data(), 3 * 1024)), 3 * 1024);
    EXPECT_EQ(image.readExtent(SectorAddress{3, 1, 1, 6, 3}, std::span(buffer.data(), 5 * 1024)), 3 * 1024);
    const auto expected = sectors({{3, 6}, {3, 7}, {3, 8}});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
}

TEST_F(ExtentTest, MissingOrShortSectorEndsTheExtent)
{
    Disk disk = setDisk('A', Signature::none);
    disk.find(10, 3)->data.resize(600);
    auto& track12 = disk.tracks[12];
    track12.erase(track12.begin() + 1); // R 2 missing
    openDisk(disk);

    EXPECT_EQ(image.readExtent(SectorAddress{10, 5, 0, 1, 3}, std::span(buffer.data(), 5 * 1024)), 2 * 1024);
    // The short sector's bytes lie beyond the returned count.
    const auto shortSector = stampedSector('A', 10, 3);
    EXPECT_TRUE(std::equal(shortSector.begin(), shortSector.begin() + 600, buffer.begin() + 2048));
    EXPECT_EQ(buffer[2048 + 600], 0xEE);

    EXPECT_EQ(image.readExtent(SectorAddress{11, 5, 1, 5, 3}, std::span(buffer.data(), 4 * 1024)), 2 * 1024);
}

TEST_F(ExtentTest, RefusesEmptyLengthsAndUnusableSizeCodes)
{
    openDisk(setDisk('A', Signature::none));
    EXPECT_EQ(image.readExtent(SectorAddress{1, 0, 1, 1, 3}, std::span(buffer.data(), 0)), 0);
    EXPECT_EQ(image.readExtent(SectorAddress{1, 0, 1, 1, -1}, std::span(buffer.data(), 1024)), 0);
    EXPECT_EQ(image.readExtent(SectorAddress{1, 0, 1, 1, 24}, std::span(buffer.data(), 1024)), 0);
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(ExtentTest, SectorRangeDecidesWhereATrackEnds)
{
    openDisk(setDisk('A', Signature::none));
    image.setSectorRange(2, 3);
    ASSERT_EQ(image.readExtent(SectorAddress{4, 2, 0, 2, 3}, std::span(buffer.data(), 4 * 1024)), 4 * 1024);
    const auto expected = sectors({{4, 2}, {4, 3}, {5, 2}, {5, 3}});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
}

} // namespace
