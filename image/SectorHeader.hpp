#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace d88 {

// The 16-byte record header in front of every sector's data.
struct SectorHeader {
    static constexpr std::size_t size = 16;
    static constexpr std::size_t cOffset = 0;
    static constexpr std::size_t hOffset = 1;
    static constexpr std::size_t rOffset = 2;
    static constexpr std::size_t nOffset = 3;
    static constexpr std::size_t sectorCountOffset = 4;
    static constexpr std::size_t dataLengthOffset = 14;

    std::uint8_t c = 0;
    std::uint8_t h = 0;
    std::uint8_t r = 0;
    std::uint8_t n = 0;
    std::uint16_t sectorCount = 0;
    std::uint16_t dataLength = 0;

    static SectorHeader parse(const std::uint8_t* bytes);

    // Arguments outside 0..255 never match.
    bool hasIdentity(std::int32_t cc, std::int32_t hh, std::int32_t rr, std::int32_t nn) const
    {
        return c == cc && h == hh && r == rr && n == nn;
    }
};

} // namespace d88
