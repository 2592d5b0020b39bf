#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Recognition.hpp"

namespace d88 {

// A row of a numbered series. R gives the row its role: seriesEnd ends the
// table, seriesGap is a number without a file, anything else is a file.
struct ExtentEntry {
    std::int32_t track;
    std::int32_t r;
    std::int32_t kib;
};

// The sector numbers of a set disk's tracks: five sectors, R 1 to 5.
inline constexpr std::int32_t setFirstSector = 1;
inline constexpr std::int32_t setLastSector = 5;

inline constexpr std::int32_t seriesEnd = 0;
inline constexpr std::int32_t seriesGap = 255;

extern const ExtentEntry maSeries[];
extern const ExtentEntry mbSeries[];

// One file of a disk's catalogue: where its extent starts and how much of it
// becomes the file.
struct CatalogueFile {
    std::string name;
    std::int32_t track;
    std::int32_t c;
    std::int32_t h;
    std::int32_t r;
    std::int32_t n;
    std::int32_t skip;
    std::int32_t length;
};

// The files of a set disk in the order they are cut; empty for `neither`.
std::vector<CatalogueFile> catalogueFor(DiskKind kind);

} // namespace d88
