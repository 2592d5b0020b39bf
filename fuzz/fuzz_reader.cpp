// The reader against any bytes: index, select every disk, look sectors up on
// every track, list tracks and read extents, comparing each answer with the
// plain in-memory reading. A second reader with a tiny index visits the
// tracks in the opposite order, so walks merge from the other side, blocks
// are ordered and the index starts afresh inside small inputs.
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
    const std::int32_t count =
        image.readSector(SectorAddress{track, c, h, r, n}, std::span(got).first(static_cast<std::size_t>(capacity)));
    const std::int32_t expected = reference.readSector(track, c, h, r, n, want.data(), capacity);
    require(count == expected, "readSector count");
    require(std::equal(got.begin(), got.begin() + count, want.begin()), "readSector bytes");
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

void checkTracks(D88Image& image, const ReferenceReader& reference, bool reversed)
{
    std::vector<std::uint8_t> ids(1024);
    for (int step = -1; step <= D88Image::trackCount; ++step) {
        const int track = reversed ? D88Image::trackCount - 1 - step : step;
        const std::int32_t listed = image.listSectorIds(track, ids);
        const auto expected = reference.listSectorIds(track, static_cast<std::int32_t>(ids.size()));
        require(listed == static_cast<std::int32_t>(expected.size()), "list count");
        require(std::equal(expected.begin(), expected.end(), ids.begin()), "list bytes");
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* path = writeInput(data, size);
    D88Image image;
    D88Image tight(ChainIndex::Limits{16, 2});
    require(image.open(path) && tight.open(path), "open");
    ReferenceReader reference({data, size});
    require(static_cast<std::size_t>(image.diskCount()) == reference.diskCount(), "disk count");

    for (std::int32_t disk = 0; disk < std::min(image.diskCount(), disksVisited); ++disk) {
        require(image.diskOffset(disk) == reference.diskOffset(static_cast<std::size_t>(disk)), "disk offset");
        require(image.selectDisk(disk) && tight.selectDisk(disk), "select");
        reference.select(static_cast<std::size_t>(disk));
        require(std::strlen(image.diskName()) <= 17, "name length");
        require(image.mediaType() >= 0 && image.mediaType() <= 255, "media type");
        checkTracks(image, reference, false);
        checkTracks(tight, reference, true);
        checkExtents(image, reference);
        checkExtents(tight, reference);
    }
    std::vector<std::uint8_t> ids(1024);
    require(!image.selectDisk(image.diskCount()), "select past the end");
    require(image.readSector(SectorAddress{1, 0, 1, 1, 3}, std::span(ids.data(), 1024)) == 0,
            "read after failed select");
    return 0;
}
