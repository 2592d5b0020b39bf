#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The builder re-declares the file layout on purpose instead of using the
// reader's records, so that a mistake in those cannot hide in both.

namespace d88::build {

// One sector record as it will stand in the file. Unset fields take the
// values a well-formed image would have.
struct Record {
    std::uint8_t c = 0;
    std::uint8_t h = 0;
    std::uint8_t r = 0;
    std::uint8_t n = 0;
    std::vector<std::uint8_t> data;
    std::optional<std::uint16_t> sectorCount; // default: records in the track
    std::optional<std::uint16_t> dataLength;  // default: data.size()
};

// One disk: header fields and tracks by track index. Tracks are laid out in
// index order right after the header.
struct Disk {
    std::string name;
    std::uint8_t mediaType = 0;
    std::map<int, std::vector<Record>> tracks;
    std::optional<std::uint32_t> diskSize;            // default: the bytes written
    std::map<int, std::uint32_t> trackEntryOverrides; // forced track-table entries

    std::vector<std::uint8_t> bytes() const;
    Record* find(int track, std::uint8_t r);
};

std::vector<std::uint8_t> image(const std::vector<Disk>& disks);

// Writes image bytes to a file, replacing it; false when that fails.
bool save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

} // namespace d88::build
