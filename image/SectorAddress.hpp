#pragma once

#include <cstdint>

namespace d88 {

// The size code of the 1024-byte sectors the set disks use.
inline constexpr std::int32_t sizeCode1024 = 3;

// Nominal bytes of a sector of size code n (0..23).
constexpr std::int32_t sectorSize(std::int32_t n)
{
    return 128 << n;
}

// On the double-sided disks read here a track's index is C * 2 + H.
constexpr std::int32_t cylinderOf(std::int32_t track)
{
    return track >> 1;
}
constexpr std::int32_t headOf(std::int32_t track)
{
    return track & 1;
}

// Where one sector of an extent is: track index and identity. advance() steps
// to the next sector of the extent within the sector range [first, last]:
// after the last sector number it moves to the next track, alternating heads
// and moving to the next cylinder after head 1.
struct SectorAddress {
    std::int32_t track;
    std::int32_t c;
    std::int32_t h;
    std::int32_t r;
    std::int32_t n;

    // The first sector R of a double-sided track, C and H taken from the index.
    static constexpr SectorAddress onTrack(std::int32_t track, std::int32_t r, std::int32_t n)
    {
        return SectorAddress{track, cylinderOf(track), headOf(track), r, n};
    }

    void advance(std::int32_t first, std::int32_t last)
    {
        if (r != last) {
            ++r;
            return;
        }
        ++track;
        if (h == 0) {
            h = 1;
        } else {
            h = 0;
            ++c;
        }
        r = first;
    }
};

} // namespace d88
