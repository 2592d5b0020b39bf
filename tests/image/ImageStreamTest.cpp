#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "ImageStream.hpp"
#include "TestFiles.hpp"

using namespace d88;

namespace {

TEST(ImageStreamTest, ReadsMatchTheFileWhateverTheCacheKeeps)
{
    test::TempDir dir;
    constexpr std::size_t block = ImageStream::blockSize;
    std::vector<std::uint8_t> content(5 * block + 123);
    std::mt19937 random(7);
    for (auto& byte : content)
        byte = static_cast<std::uint8_t>(random());
    test::writeFile(dir / "file", content);

    for (std::size_t limit : {block, 2 * block, ImageStream::defaultCacheLimit}) {
        ImageStream stream(limit);
        ASSERT_TRUE(stream.open((dir / "file").c_str()));
        std::vector<std::uint8_t> got(3 * block);
        for (int i = 0; i < 2000; ++i) {
            const std::uint64_t position = random() % (content.size() + 100);
            const std::size_t count = random() % (i % 10 == 0 ? got.size() : 64);
            const std::size_t expected = position >= content.size() ? 0 : std::min(count, content.size() - position);
            ASSERT_EQ(stream.readAt(position, got.data(), count), expected) << "at " << position;
            ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(expected),
                                   content.begin() + static_cast<std::ptrdiff_t>(position)));
        }
        EXPECT_EQ(stream.readAt(std::numeric_limits<std::uint64_t>::max() - 3, got.data(), 16), 0u);
        stream.close();
        EXPECT_EQ(stream.readAt(0, got.data(), 16), 0u);
    }
}

} // namespace
