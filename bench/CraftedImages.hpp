#pragma once

#include <filesystem>

namespace d88::bench {

// Images made to multiply a reader's work, written straight to a file (one is
// a sparse 4 GiB file). Each returns false when the file cannot be written.

// One Disk B whose 164 track entries all point at one chain of 65,535 records
// of `dataLength` bytes, the sectors its catalogue needs standing last. With
// 65,535-byte records every header lies in a block of its own.
bool writeSharedChain(const std::filesystem::path& path, unsigned dataLength);

// 64 disk headers whose tracks all lead, through the headers that follow,
// into one chain of `emptyRecords` records without data, then Disk B's sectors.
bool writeDisksIntoOneChain(const std::filesystem::path& path, unsigned emptyRecords);

// The worst for a reader that shares a walk between the tracks that start at
// one place: 64 disks whose every track starts at a record of its own in one
// long chain, so that no two of the walks Disk B needs are the same.
bool writeDistinctWalks(const std::filesystem::path& path);

} // namespace d88::bench
