#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/LittleEndian.hpp"

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

    static SectorHeader parse(const std::uint8_t* bytes)
    {
        return SectorHeader{bytes[cOffset],
                            bytes[hOffset],
                            bytes[rOffset],
                            bytes[nOffset],
                            readU16LE(&bytes[sectorCountOffset]),
                            readU16LE(&bytes[dataLengthOffset])};
    }

    // C, H, R, N in bytes 0..3 of one number, as packIdentity gives them.
    std::uint32_t identity() const
    {
        return static_cast<std::uint32_t>(c) | static_cast<std::uint32_t>(h) << 8 |
            static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(n) << 24;
    }
};

// A sought identity in SectorHeader::identity's form; nullopt when a value is
// outside 0..255, which no record can carry.
constexpr std::optional<std::uint32_t> packIdentity(std::int32_t c, std::int32_t h, std::int32_t r, std::int32_t n)
{
    for (const std::int32_t value : {c, h, r, n})
        if (value < 0 || value > 0xFF)
            return std::nullopt;
    return SectorHeader{static_cast<std::uint8_t>(c),
                        static_cast<std::uint8_t>(h),
                        static_cast<std::uint8_t>(r),
                        static_cast<std::uint8_t>(n),
                        0,
                        0}
        .identity();
}

} // namespace d88
