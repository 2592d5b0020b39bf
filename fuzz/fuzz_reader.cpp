// The reader against any bytes: index, select every disk, look sectors up on
// every track, list tracks and read extents, comparing each answer with the
// plain in-memory reading.
#include <algorithm>
#include <cstring>
#include <vector>

#include "D88Image.hpp"
#include "FuzzInput.hpp"
#include "ReferenceReader.hpp"

using namespace d88;
using namespace d88::fuzz;

namespace {

constexpr std::int32_t disksVisited = 3; // bounds the work on a 64-disk chain
constexpr std::int32_t largeCapacity = 65536;

void checkSector(D88Image& image, const ReferenceReader& reference, int track, int c, int h, int r, int n,
                 std::int32_t capacity)
{
    static std::vector<std::uint8_t> got(largeCapacity), want(largeCapacity);
    const std::int32_t count = image.readSector(track, c, h, r, n, got.data(), capacity);
    const std::int32_t expected = reference.readSector(track, c, h, r, n, want.data(), capacity);
    require(count == expected, "readSector count");
    require(std::equal(got.begin(), got.begin() + count, want.begin()), "readSector bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    D88Image image;
    require(image.open(writeInput(data, size)), "open");
    ReferenceReader reference({data, size});
    require(static_cast<std::size_t>(image.diskCount()) == reference.diskCount(), "disk count");

    std::vector<std::uint8_t> ids(1024);
    std::vector<std::uint8_t> extent(4 * 16 * 1024);
    for (std::int32_t disk = 0; disk < std::min(image.diskCount(), disksVisited); ++disk) {
        require(image.diskOffset(disk) == reference.diskOffset(static_cast<std::size_t>(disk)), "disk offset");
        require(image.selectDisk(disk), "select");
        reference.select(static_cast<std::size_t>(disk));
        require(std::strlen(image.diskName()) <= 16, "name length");
        require(image.mediaType() >= 0 && image.mediaType() <= 255, "media type");

        for (int track = -1; track <= D88Image::trackCount; ++track) {
            const std::int32_t listed = image.listSectorIds(track, ids.data(), static_cast<std::int32_t>(ids.size()));
            const auto expected = reference.listSectorIds(track, static_cast<std::int32_t>(ids.size()));
            require(listed == static_cast<std::int32_t>(expected.size()), "list count");
            require(std::equal(expected.begin(), expected.end(), ids.begin()), "list bytes");
            // The identities the track really holds, plus one that is never there.
            for (std::int32_t i = 0; i + 4 <= listed && i < 4 * 4; i += 4)
                for (std::int32_t capacity : {0, 1, 1024, largeCapacity})
                    checkSector(image, reference, track, ids[i], ids[i + 1], ids[i + 2], ids[i + 3], capacity);
            checkSector(image, reference, track, track >> 1, track & 1, 1, 3, 1024);
            checkSector(image, reference, track, 0, 0, 1, 3, -1);
        }

        for (auto [first, last] : {std::pair{1, 5}, std::pair{1, 16}, std::pair{5, 1}}) {
            image.setSectorRange(first, last);
            for (std::int32_t length : {0, 1500, 16 * 1024}) {
                const std::int32_t count = image.readExtent(1, 0, 1, first, 3, extent.data(), length);
                require(count >= 0 && count <= length, "extent length");
            }
            const std::int32_t count = image.readExtent(0, 0, 0, first, 1, extent.data(), 4 * 16 * 256);
            require(count >= 0 && count <= 4 * 16 * 256, "extent length");
        }
    }
    require(!image.selectDisk(image.diskCount()), "select past the end");
    require(image.readSector(1, 0, 1, 1, 3, ids.data(), 1024) == 0, "read after failed select");
    return 0;
}
