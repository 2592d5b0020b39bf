#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/D88Image.hpp"
#include "set/Catalogue.hpp"

namespace d88 {

// What reading one catalogue file found: d88cut cuts it, d88info reports it.
struct FileRead {
    bool fits = false;                  // skip + length fit the buffer; nothing is read otherwise
    std::int32_t found = 0;             // bytes of the file found, in whole sectors (0 to length)
    bool complete = false;              // every sector of the extent was found in full
    D88Image::Shortfall stop{};         // where an incomplete read stopped
    std::vector<SectorAddress> sectors; // every sector read in full, in order
};

// Reads the file's extent into the start of `buffer`. Whatever the extent
// does not place is zero, never a leftover of an earlier file or disk; the
// file is then buffer[skip, skip + length).
FileRead readCatalogueFile(D88Image& image, const CatalogueFile& file, std::span<std::uint8_t> buffer);

// "track T, C c H h R r: P of Q bytes": where a read stopped short.
std::string stopText(const D88Image::Shortfall& stop);

} // namespace d88
