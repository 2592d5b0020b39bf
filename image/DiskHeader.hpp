#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace d88 {

// The header that starts every disk of a D88 file.
struct DiskHeader {
    static constexpr std::size_t size = 0x2B0;
    static constexpr std::size_t nameOffset = 0x00;
    // The name's field is 17 bytes; the last is normally its end byte, but a
    // name may fill it, and then all 17 characters are the name.
    static constexpr std::size_t nameLength = 17;
    static constexpr std::size_t mediaTypeOffset = 0x1B;
    static constexpr std::size_t diskSizeOffset = 0x1C;
    static constexpr std::size_t trackTableOffset = 0x20;
    static constexpr std::size_t trackCount = 164;

    // Always NUL-terminated: the 17th byte stays 0 whatever the file holds.
    std::array<char, nameLength + 1> name{};
    std::uint8_t mediaType = 0;
    // Bytes from the start of this header to the start of the next disk.
    std::uint32_t diskSize = 0;
    // Offset of each track's first record from the start of this header; 0 = absent.
    std::array<std::uint32_t, trackCount> trackTable{};

    static DiskHeader parse(const std::array<std::uint8_t, size>& bytes);
};

// The fixed layout adds up: the track table is the header's last field.
static_assert(DiskHeader::trackTableOffset + 4 * DiskHeader::trackCount == DiskHeader::size);

} // namespace d88
