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

// Disks whose every track starts at a record of its own in one long chain,
// so that no two of the walks Disk B needs start at the same place: the worst
// for a reader that shares only walks from one start. Records not holding
// a disk header or Disk B's sectors have `dataLength` bytes; with `sparse`
// those bytes are holes.
struct DistinctWalks {
    int disks = 64;
    unsigned dataLength = 0;
    bool sparse = true;
};
bool writeDistinctWalks(const std::filesystem::path& path, const DistinctWalks& shape);

// The worst for a reader that keeps a bounded number of records: 64 disks
// whose 67 needed tracks each start in their own chain of 65,535 records,
// the chains interleaved record by record, each disk starting 16 records
// further along every chain. One disk's walks reach 4.4 million records, and
// the next disk's walks come back to nearly all of them.
bool writeInterleavedChains(const std::filesystem::path& path);

} // namespace d88::bench
