#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "fuzz/ReferenceReader.hpp"
#include "image/D88Image.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;

namespace {

std::string sample(const char* name)
{
    return (test::samplesDir() / name).string();
}

class SamplesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(test::samplesDir()))
            GTEST_SKIP() << test::samplesMissing();
    }
    D88Image image;
    std::array<std::uint8_t, 64 * 1024> buffer{};
};

TEST_F(SamplesTest, CleanImageHoldsSixteenSectorsOnEveryTrack)
{
    ASSERT_EQ(image.open(sample("clean-2d-256.d77").c_str()), std::error_code());
    ASSERT_EQ(image.diskCount(), 1);
    ASSERT_TRUE(image.selectDisk(0));
    int present = 0;
    for (int track = 0; track < D88Image::trackCount; ++track) {
        if (!image.trackPresent(track))
            continue;
        ++present;
        ASSERT_EQ(image.listSectorIds(track, std::span(buffer.data(), 1024)), 64) << "track " << track;
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(buffer[4 * i + 0], track >> 1);
            EXPECT_EQ(buffer[4 * i + 1], track & 1);
            EXPECT_EQ(buffer[4 * i + 3], 1);
            EXPECT_EQ(image.readSector(SectorAddress{track, track >> 1, track & 1, buffer[4 * i + 2], 1},
                                       std::span(buffer.data() + 1024, static_cast<std::size_t>(4096))),
                      256);
        }
    }
    EXPECT_EQ(present, 80);
    image.setSectorRange(1, 16);
    std::vector<std::uint8_t> whole(80 * 16 * 256);
    const auto length = static_cast<std::int32_t>(whole.size());
    EXPECT_EQ(image.readExtent(SectorAddress{0, 0, 0, 1, 1}, std::span(whole.data(), length)), length);
}

TEST_F(SamplesTest, ShortLastTrackHoldsOneRecord)
{
    ASSERT_EQ(image.open(sample("short-last-track-2d-256.d88").c_str()), std::error_code());
    ASSERT_EQ(image.diskCount(), 1);
    ASSERT_TRUE(image.selectDisk(0));
    EXPECT_EQ(image.listSectorIds(79, std::span(buffer.data(), 1024)), 4);
    EXPECT_EQ(image.readSector(SectorAddress{79, 39, 1, 1, 1}, std::span(buffer.data(), 4096)), 256);
    EXPECT_EQ(image.readSector(SectorAddress{79, 39, 1, 2, 1}, std::span(buffer.data(), 4096)), 0);
}

TEST_F(SamplesTest, EveryAnswerIsThePlainReadingsOnEveryRealImage)
{
    for (const char* name : test::sampleNames) {
        const auto bytes = test::readFile(test::samplesDir() / name);
        fuzz::ReferenceReader reference(bytes);
        ASSERT_EQ(image.open(sample(name).c_str()), std::error_code());
        ASSERT_EQ(static_cast<std::size_t>(image.diskCount()), reference.diskCount()) << name;
        for (std::int32_t disk = 0; disk < image.diskCount(); ++disk) {
            ASSERT_TRUE(image.selectDisk(disk));
            reference.select(static_cast<std::size_t>(disk));
            for (int track = 0; track < D88Image::trackCount; ++track) {
                const std::int32_t listed = image.listSectorIds(track, std::span(buffer.data(), 4096));
                const auto expected = reference.listSectorIds(track, 4096);
                ASSERT_EQ(listed, static_cast<std::int32_t>(expected.size())) << name << " track " << track;
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin())) << name << " " << track;
                for (std::int32_t i = 0; i + 4 <= listed; i += 4) {
                    const SectorAddress at{track, expected[i], expected[i + 1], expected[i + 2], expected[i + 3]};
                    std::vector<std::uint8_t> want(4096);
                    const auto wanted = reference.readSector(at.track, at.c, at.h, at.r, at.n, want.data(), 4096);
                    EXPECT_EQ(image.readSector(at, std::span(buffer.data() + 8192, 4096)), wanted) << name;
                    EXPECT_TRUE(std::equal(want.begin(), want.begin() + wanted, buffer.begin() + 8192)) << name;
                }
            }
        }
    }
}

} // namespace
