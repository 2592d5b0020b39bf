#include <gtest/gtest.h>

#include <vector>

#include "builder/D88Builder.hpp"
#include "set/FileRead.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;
using d88::build::Disk;
using d88::build::Record;

namespace {

// One file as d88cut cuts it and d88info reports it: skip 1024 bytes of a
// three-sector extent and keep 2048.
class FileReadTest : public ::testing::Test {
protected:
    FileRead read(const std::vector<Record>& track, std::size_t bufferSize = 8192)
    {
        Disk disk;
        disk.tracks[0] = track;
        bytes = disk.bytes();
        image.open(std::span<const std::uint8_t>(bytes));
        EXPECT_TRUE(image.selectDisk(0));
        image.setSectorRange(1, 5);
        buffer.assign(bufferSize, 0xEE);
        return readCatalogueFile(image, file, buffer);
    }
    static Record sector(std::uint8_t r, std::size_t size = 1024)
    {
        return Record{0, 0, r, 3, std::vector<std::uint8_t>(size, r), {}, {}};
    }

    std::vector<std::uint8_t> bytes; // the open image
    D88Image image;
    std::vector<std::uint8_t> buffer;
    const CatalogueFile file{"FILE", SectorAddress{0, 0, 0, 1, 3}, 1024, 2048};
};

TEST_F(FileReadTest, CountsOnlyTheFilesBytesPastTheSkipAndZeroFillsTheRest)
{
    FileRead got = read({sector(1), sector(2), sector(3)});
    EXPECT_TRUE(got.fits && got.complete);
    EXPECT_EQ(got.found, 2048);
    EXPECT_EQ(buffer[1024], 2);
    EXPECT_EQ(buffer[2048], 3);

    got = read({sector(1), sector(2)}); // the last sector is missing
    EXPECT_FALSE(got.complete);
    EXPECT_EQ(got.found, 1024);
    EXPECT_EQ(got.stop.r, 3);
    EXPECT_EQ(buffer[2048], 0) << "zero, not what the buffer held";
    EXPECT_EQ(stopText(got.stop), "track 0, C 0 H 0 R 3: 0 of 1024 bytes");

    got = read({sector(1, 24), sector(2), sector(3)}); // it stops inside the skipped part
    EXPECT_FALSE(got.complete);
    EXPECT_EQ(got.found, 0) << "never below zero";
    EXPECT_EQ(got.stop.placed, 24);

    got = read({sector(1), sector(2), sector(3)}, 3071);
    EXPECT_FALSE(got.fits) << "skip + length beyond the buffer reads nothing";
    EXPECT_EQ(buffer[0], 0xEE);
}

} // namespace
