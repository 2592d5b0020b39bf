#pragma once

#include <cstdint>
#include <filesystem>

namespace d88::bench {

// The same job as d88cut written plainly: read the image into memory once,
// index each track's records once, write each file under a temporary name and
// rename it into place. Returns the bytes written.
std::uint64_t floorJob(const std::filesystem::path& image, const std::filesystem::path& folder);

} // namespace d88::bench
