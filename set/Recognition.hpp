#pragma once

#include <cstdint>
#include <span>

#include "image/SectorAddress.hpp"

namespace d88 {

class D88Image;

enum class DiskKind { neither, diskA, diskB };

// The identifying sector of a set disk and the signatures it carries.
struct IdentifyingSector {
    static constexpr std::int32_t track = 1;
    static constexpr std::int32_t c = 0;
    static constexpr std::int32_t h = 1;
    static constexpr std::int32_t r = 1;
    static constexpr std::int32_t n = sizeCode1024;
    static constexpr std::int32_t capacity = sectorSize(n);
    static constexpr std::int32_t diskAOffset = 16;
    static constexpr std::uint8_t diskASignature[2] = {0xF3, 0xED};
    static constexpr std::int32_t diskBOffset = 0;
    static constexpr std::uint8_t diskBSignature[2] = {0xFF, 0x08};
};

// Disk number 0 decides by signature; 1 and 2 force Disk A and Disk B.
// A signature counts only where this disk's own read placed its bytes:
// `placed` is how many bytes of `sector` that read filled.
DiskKind classify(std::span<const std::uint8_t> sector, std::int32_t placed, int diskNumber);

struct Identification {
    std::int32_t placed = 0;
    DiskKind kind = DiskKind::neither;
};

// Reads the selected disk's identifying sector into the start of `buffer`
// (at least IdentifyingSector::capacity bytes) and classifies it.
Identification identify(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber);

} // namespace d88
