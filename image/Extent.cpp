#include "D88Image.hpp"
#include "SectorAddress.hpp"

namespace d88 {

std::int32_t D88Image::readExtent(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r, std::int32_t n,
                                  std::uint8_t* buffer, std::int32_t length, Shortfall* stop)
{
    // Outside 0..23 the nominal size would not be a positive 32-bit step.
    if (length <= 0 || n < 0 || n > largestSizeCode)
        return 0;

    SectorAddress at{track, c, h, r, n};
    std::int32_t total = 0;
    std::int32_t step = sectorSize(n);
    while (total < length) {
        if (length - total < step)
            step = length - total;
        const std::int32_t placed = readSector(at.track, at.c, at.h, at.r, at.n, buffer + total, step);
        if (placed < step) {
            if (stop != nullptr)
                *stop = Shortfall{at.track, at.c, at.h, at.r, placed, step};
            return total;
        }
        total += step;
        // The address only moves on after a sector was found, and a found
        // sector has r, c <= 255 and track < 164, so nothing can overflow.
        at.advance(firstSector_, lastSector_);
    }
    return total;
}

} // namespace d88
