#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"

namespace d88 {
class D88Image;
}

namespace d88::info {

// Which catalogue file reads each sector of a disk, with a short code per
// file for the map: taken from the files' own readings, so the map marks
// what d88cut reads, no more.
class SectorMap {
public:
    // `reads` holds the reading of each of `files`, in the same order.
    SectorMap(const std::vector<CatalogueFile>& files, const std::vector<FileRead>& reads);

    // Short code of the file that reads this identity on this track; empty when none does.
    const std::string& codeOf(std::int32_t track, std::uint32_t identity) const;
    // "P PROG, V0 VD000, ..." in catalogue order.
    std::string legend() const;

    // One line per present track of the selected disk, its records in track order.
    void print(D88Image& image, std::ostream& out) const;
    // The buffer print() lists each track into, in bytes.
    static const std::size_t listingCapacity;

    static std::string codeFor(const std::string& name);

private:
    // Track index in the high half, SectorHeader::identity() in the low.
    static std::uint64_t key(std::int32_t track, std::uint32_t identity);
    std::map<std::uint64_t, std::string> owners_;
    std::vector<std::pair<std::string, std::string>> legend_;
};

} // namespace d88::info
