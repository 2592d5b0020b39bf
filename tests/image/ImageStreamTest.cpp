#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "image/ImageStream.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;

namespace {

TEST(ImageStreamTest, ReadsMatchTheFileInsideAndAcrossTheWindow)
{
    test::TempDir dir;
    constexpr std::size_t window = ImageStream::windowSize;
    // A file read whole, and one read a window at a time.
    for (const std::size_t windows : {20, 40}) {
        std::vector<std::uint8_t> content(windows * window + 123);
        std::mt19937 random(7);
        for (auto& byte : content)
            byte = static_cast<std::uint8_t>(random());
        test::writeFile(dir / "file", content);

        ImageStream stream;
        ASSERT_EQ(stream.open((dir / "file").string().c_str()), std::error_code());
        std::vector<std::uint8_t> got(3 * window);
        for (int i = 0; i < 4000; ++i) {
            // Mostly small reads near the last one, as a track walk makes them.
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
