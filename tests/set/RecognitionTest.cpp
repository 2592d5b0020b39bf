#include <gtest/gtest.h>

#include <vector>

#include "set/Recognition.hpp"

using namespace d88;

namespace {

TEST(RecognitionTest, SignatureCountsOnlyWhereThisDisksReadPlacedIt)
{
    std::vector<std::uint8_t> sector(1024, 0);
    sector[16] = 0xF3;
    sector[17] = 0xED;
    EXPECT_EQ(classify(sector, 18, 0), DiskKind::diskA);
    EXPECT_EQ(classify(sector, 17, 0), DiskKind::neither);
    sector[0] = 0xFF;
    sector[1] = 0x08;
    EXPECT_EQ(classify(sector, 1024, 0), DiskKind::diskA) << "Disk A is tested first";
    EXPECT_EQ(classify(sector, 17, 0), DiskKind::diskB);
    EXPECT_EQ(classify(sector, 1, 0), DiskKind::neither);
    EXPECT_EQ(classify(sector, 0, 2), DiskKind::diskB) << "a disk number needs no signature";
    EXPECT_EQ(classify(sector, 1024, 1), DiskKind::diskA);
}

} // namespace
