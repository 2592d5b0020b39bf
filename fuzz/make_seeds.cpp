// Writes the seed inputs of the fuzz targets: set disks whole and damaged,
// and small images that reach the reader's edge cases.
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "builder/SetDisk.hpp"

using namespace d88::build;

namespace {

void save(const std::filesystem::path& folder, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    if (!d88::build::save(folder / name, bytes))
        throw std::runtime_error("cannot write " + (folder / name).string());
}

// Only the tracks some catalogue file or the identifying read uses, to keep seeds small.
Disk compact(Disk disk, int lastTrack)
{
    for (auto it = disk.tracks.begin(); it != disk.tracks.end();)
        it = (it->first > lastTrack || (it->first > 8 && it->first < 64)) ? disk.tracks.erase(it) : std::next(it);
    return disk;
}

Record small(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::size_t length)
{
    return Record{c, h, r, 3, std::vector<std::uint8_t>(length, r), {}, {}};
}

constexpr std::uint32_t firstRecord = 0x2B0;
constexpr std::uint32_t headerOnly = 16;

// `chains` chains of `length` records interleaved one record each: headers
// alone whose data length leaps over the other chains' records. Record i of
// chain j carries the set identity of track 1 + i % 8, R 1 + j, so the tracks
// that start in them find sectors; every 7th counts i + 1, ending the walks
// that started on the chain's first record.
std::vector<Record> interleaved(int chains, int length)
{
    std::vector<Record> records;
    for (int i = 0; i < length; ++i)
        for (int j = 0; j < chains; ++j) {
            const int track = 1 + i % 8;
            const auto count = static_cast<std::uint16_t>(i % 7 == 6 ? i + 1 : 0xFFFF);
            records.push_back(Record{static_cast<std::uint8_t>(track >> 1),
                                     static_cast<std::uint8_t>(track & 1),
                                     static_cast<std::uint8_t>(1 + j),
                                     3,
                                     {},
                                     count,
                                     static_cast<std::uint16_t>(headerOnly * (chains - 1))});
        }
    return records;
}

// Four interleaved chains that tracks 0 to 11 start in, each further along.
Disk interleavedChains()
{
    Disk disk;
    disk.tracks[0] = interleaved(4, 60);
    for (int track = 1; track < 12; ++track)
        disk.trackEntryOverrides[track] = firstRecord + headerOnly * static_cast<std::uint32_t>(5 * track);
    return disk;
}

// Tracks 2 to 12 start 11 chains braided record by record (a record's data
// spans the next headers of the other 10), and only after them in the file
// track 0 holds C 0 H 0 R 1 N 1 and a plain chain without R 2; track 1 is its
// last record. An extent from track 0 learns that R 2 is missing only at the
// chain's end, so walking the later tracks before then reads for nothing.
Disk braidsBeforeAStop()
{
    constexpr std::uint16_t braids = 11;
    constexpr std::uint32_t rows = 60;
    constexpr std::uint32_t plain = 20;
    const Record nothing{0xFF, 0xFF, 0xFF, 1, {}, 0xFFFF, {}};
    Disk disk;
    auto& track = disk.tracks[0];
    track.assign(braids * rows, nothing);
    for (Record& record : track)
        record.dataLength = headerOnly * (braids - 1);
    // Past the braids: R 1's data, all 0xFF, leaps out of the file.
    track.push_back(Record{0, 0, 1, 1, std::vector<std::uint8_t>(256, 0xFF), 0xFFFF, {}});
    track.resize(track.size() + plain, nothing);
    const std::uint32_t first = firstRecord + headerOnly * braids * rows;
    disk.trackEntryOverrides[0] = first;
    disk.trackEntryOverrides[1] = first + headerOnly + 256 + headerOnly * (plain - 1);
    for (std::uint32_t chain = 0; chain < braids; ++chain)
        disk.trackEntryOverrides[static_cast<int>(2 + chain)] = firstRecord + headerOnly * chain;
    return disk;
}

// Tracks 0 to 3 hold R 1 to 5, N 1, but lie in the file last to first: an
// extent over them meets each later track's walk before the run is known to
// read that track, and answers it in a later pass.
Disk tracksBackwards()
{
    Disk disk;
    for (int slot = 0; slot < 4; ++slot) {
        const int track = 3 - slot;
        for (std::uint8_t r = 1; r <= 5; ++r)
            disk.tracks[slot].push_back(Record{static_cast<std::uint8_t>(track >> 1),
                                               static_cast<std::uint8_t>(track & 1),
                                               r,
                                               1,
                                               std::vector<std::uint8_t>(256, r),
                                               {},
                                               {}});
        disk.trackEntryOverrides[track] = firstRecord + static_cast<std::uint32_t>(slot) * 5 * (headerOnly + 256);
    }
    return disk;
}

// Tracks 1 to 6 of five sectors counted 5, the fifth leading into one of
// three interleaved tails at the disk's end, whose records count 0xFFFF.
Disk shortTracksLongTails()
{
    Disk disk;
    for (int track = 1; track <= 6; ++track)
        for (std::uint8_t r = 1; r <= 5; ++r)
            disk.tracks[track].push_back(
                small(static_cast<std::uint8_t>(track >> 1), static_cast<std::uint8_t>(track & 1), r, 24));
    disk.tracks[7] = interleaved(3, 40);
    const auto laidOut = disk.bytes();
    const auto entry = [&](int track) {
        const auto at = static_cast<std::size_t>(0x20 + 4 * track);
        return static_cast<std::uint32_t>(laidOut[at] | laidOut[at + 1] << 8 | laidOut[at + 2] << 16);
    };
    for (int track = 1; track <= 6; ++track) {
        const std::uint32_t fifth = entry(track) + 4 * (16 + 24);
        const std::uint32_t tail = entry(7) + headerOnly * static_cast<std::uint32_t>(track % 3 + 3 * track);
        disk.tracks[track][4].dataLength = static_cast<std::uint16_t>(tail - fifth - 16);
    }
    return disk;
}

// A spine of records whose data holds, every tenth record, a one-record
// stub that leads to the next spine record; tracks 1 to 14 start at stubs.
// One spine record holds a second disk's header, whose tracks start further
// along the spine, at its records and inside their data.
std::vector<std::uint8_t> stubsInsideRecords()
{
    constexpr int holder = 120;
    Disk disk;
    std::vector<std::uint32_t> at; // where each spine record starts
    for (int i = 0, track = 1; i < 150; ++i, track = 1 + i % 8) {
        std::vector<std::uint8_t> data(32, 0);
        if (i % 10 == 5) // its 16 bytes of data end where the spine record's do
            data = {0xFE, 0xFE, 0xFE, 3, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0};
        data.resize(i == holder ? firstRecord : 32, 0);
        at.push_back(i == 0 ? firstRecord
                            : at.back() + 16 + static_cast<std::uint32_t>(disk.tracks[0].back().data.size()));
        disk.tracks[0].push_back(Record{static_cast<std::uint8_t>(track >> 1),
                                        static_cast<std::uint8_t>(track & 1),
                                        static_cast<std::uint8_t>(1 + i % 5),
                                        3,
                                        data,
                                        0xFFFF,
                                        {}});
    }
    for (int track = 1; track < 15; ++track)
        disk.trackEntryOverrides[track] = at[static_cast<std::size_t>(5 + 10 * (track % 12))] + 16;
    const std::uint32_t second = at[holder] + 16;
    disk.diskSize = second;
    auto bytes = disk.bytes();
    const auto put32 = [&](std::uint32_t where, std::uint32_t value) {
        for (std::uint32_t byte = 0; byte < 4; ++byte)
            bytes[where + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
    };
    put32(second + 0x1C, 0xFFFFFFFF); // no disk follows it
    for (std::uint32_t track = 0; track < 12; ++track)
        put32(second + 0x20 + 4 * track, at[holder + 1 + 2 * track] + (track % 2 == 1 ? 16 : 0) - second);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: make-fuzz-seeds FOLDER\n";
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    const Disk a = setDisk('A', Signature::diskA);
    const Disk b = setDisk('B', Signature::diskB);
    save(folder, "disk-a.d88", a.bytes());
    save(folder, "disk-b.d88", b.bytes());
    save(folder, "compact-a.d88", compact(a, 78).bytes());
    save(folder, "b-then-a.d88", image({compact(b, 68), compact(a, 78)}));

    Disk damaged = compact(a, 78);
    damaged.tracks[8].erase(damaged.tracks[8].begin() + 2);
    damaged.find(68, 2)->data.resize(100);
    damaged.find(70, 1)->sectorCount = 0;
    damaged.find(72, 3)->dataLength = 0xFFFF;
    auto truncated = damaged.bytes();
    truncated.resize(truncated.size() * 2 / 3);
    save(folder, "damaged-a.d88", truncated);

    Disk tiny;
    tiny.name = "TINY";
    tiny.tracks[1] = {small(0, 1, 1, 18), small(0, 1, 2, 0), small(0, 1, 1, 40)};
    tiny.tracks[1][0].data[16] = 0xF3;
    tiny.tracks[1][0].data[17] = 0xED;
    tiny.tracks[2] = {small(1, 0, 1, 4)};
    tiny.tracks[2][0].sectorCount = 0;
    tiny.trackEntryOverrides[3] = 0xFFFFFFF0;
    tiny.trackEntryOverrides[4] = 0x2B0 - 8;
    save(folder, "tiny.d88", tiny.bytes());

    Disk zeroSize = tiny;
    zeroSize.diskSize = 0;
    save(folder, "zero-size.d88", zeroSize.bytes());
    save(folder, "many-disks.d88", image(std::vector<Disk>(66, tiny)));
    save(folder, "short-header.d88", std::vector<std::uint8_t>(687, 0));
    save(folder, "interleaved-chains.d88", interleavedChains().bytes());
    save(folder, "short-tracks-long-tails.d88", shortTracksLongTails().bytes());
    save(folder, "stubs-inside-records.d88", stubsInsideRecords());
    save(folder, "braids-before-a-stop.d88", braidsBeforeAStop().bytes());
    save(folder, "tracks-backwards.d88", tracksBackwards().bytes());
    return 0;
}
