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

// Where a reader reads on past a walk's own stop: 64 Disk B's whose needed
// tracks hold just their five sectors, counted 5, the fifth leading into
// one of 67 "tail" chains of 65,535-counted records that run for 65,530
// records and more, interleaved one record each in rows of 8,208 bytes
// (sparse). The other 97 tracks of every disk are one record, counted 1,
// that leads into a tail too.
bool writeShortTracksLongTails(const std::filesystem::path& path);

// Many starts, each only a record before it joins what others walk: one
// "spine" chain of records 48 bytes apart with a block of Disk B's sectors
// every 62,500 of them; disk 0's tracks start along its first 437,500
// records, so its walks read most of them. Disks 1 to 63 lie in the data of
// spine records near the end, every one of their tracks a one-record stub
// there that leads to the next spine record, and a last block follows.
bool writeSpine(const std::filesystem::path& path);

// Walks only a plan that ignores where a file stops: `disks` Disk B's whose
// track 1 holds R 1 alone, counted 1, so ADPCM1 stops at its second sector,
// and track 40 is absent, so ADPCM2 finds nothing. Each of the 65 other
// tracks the two files span starts its own chain of 65,535 records that
// match nothing, the chains of a disk braided record by record.
// `longFirstTrack`: track 1 goes on past R 1 as a 66th chain braided with
// them, whose walk ends at the cap without R 2: the run reads that one chain,
// a plan that seeks the later tracks before it knows reads all 66.
bool writeBraidsPastAStop(const std::filesystem::path& path, int disks, bool longFirstTrack = false);

} // namespace d88::bench
