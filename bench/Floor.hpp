#pragma once

#include <cstdint>
#include <filesystem>

namespace d88::bench {

// The same job as d88cut written plainly, with the same guarantee against a
// crash: read the image into memory once, index each track's records once,
// write each file under a temporary name, fdatasync it and rename it into
// place, and fsync the folder once after the last. Returns the bytes written.
std::uint64_t floorJob(const std::filesystem::path& image, const std::filesystem::path& folder);

} // namespace d88::bench
