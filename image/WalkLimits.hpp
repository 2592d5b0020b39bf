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
    // Record headers a pass keeps for the later passes of the same image
    // (16 bytes each): within it, no header is read from the file twice.
    std::size_t memoBudget = std::size_t{1} << 19;
    // A group whose walks and identities sought number this many looks its
    // walks up by what each record ends or finds instead of checking every
    // one of them (WalkGroup).
    std::size_t indexFrom = 16;
    // Bytes of the data of found sectors kept in memory after a pass (SectorStore).
    std::size_t sectorBudget = std::size_t{2} << 20;
    // Log the position of every header a pass reads from the file.
    bool logReads = false;
};

} // namespace d88
