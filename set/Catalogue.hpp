#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/SectorAddress.hpp"
#include "set/Recognition.hpp"

namespace d88 {

// The sector numbers of a set disk's tracks: five sectors, R 1 to 5.
inline constexpr std::int32_t setFirstSector = 1;
inline constexpr std::int32_t setLastSector = 5;

// Program-wide size of the buffer every sector read of a run lands in; the
// largest file of the catalogues (ADPCM1, 194,560 bytes) fits with room to spare.
inline constexpr std::size_t cutBufferSize = 409600;

// One file of a disk's catalogue: where its extent starts and how much of it
// becomes the file.
struct CatalogueFile {
    std::string name;
    SectorAddress start;
    std::int32_t skip;
    std::int32_t length;
};

// The files of a set disk in the order they are cut; empty for `neither`.
std::vector<CatalogueFile> catalogueFor(DiskKind kind);

} // namespace d88
