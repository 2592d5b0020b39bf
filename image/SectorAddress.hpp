#pragma once

#include <cstdint>

namespace d88 {

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
