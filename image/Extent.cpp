#include "D88Image.hpp"

namespace d88 {

std::int32_t D88Image::readExtent(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r, std::int32_t n,
                                  std::uint8_t* buffer, std::int32_t length)
{
    // Outside 0..23 the nominal size would not be a positive 32-bit step.
    if (length <= 0 || n < 0 || n > largestSizeCode)
        return 0;

    std::int32_t total = 0;
    std::int32_t step = 128 << n;
    while (total < length) {
        if (length - total < step)
            step = length - total;
        if (readSector(track, c, h, r, n, buffer + total, step) < step)
            return total;
        total += step;

        // Values only grow after a sector was found, and a found sector has
        // r, c <= 255 and track < 164, so none of them can overflow.
        if (r == lastSector_) {
            ++track;
            if (h == 0) {
                h = 1;
            } else {
                h = 0;
                ++c;
            }
            r = firstSector_;
        } else {
            ++r;
        }
    }
    return total;
}

} // namespace d88
