#pragma once

#include <cstddef>
#include <cstdint>

namespace d88 {

// A track's sector count is 16 bits wide, so no track describes more records;
// a walk stops there whatever a damaged image chains.
inline constexpr std::uint32_t maxWalkRecords = 65535;

// The thresholds of the reader's passes. Tests and the fuzz target set them
// tiny, so that what only large images reach runs on small ones too.
struct WalkLimits {
    // Record headers kept for the later passes over the same image (16 bytes
    // each, 8 MiB): a header they hold is never read from the file again.
    std::size_t memoBudget = std::size_t{1} << 19;
    // Log the position of every header a pass reads from the file.
    bool logReads = false;
};

} // namespace d88
