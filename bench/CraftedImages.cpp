#include "bench/CraftedImages.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <vector>

#include "builder/SetDisk.hpp"

namespace d88::bench {
namespace {

constexpr std::uint64_t headerSize = 0x2B0;
constexpr int trackEntries = 164;
constexpr std::uint16_t endlessCount = 0xFFFF; // a count that never ends these walks early

// Writes records one after another; data not given is left as a hole.
class ImageWriter {
public:
    // Data not given is a hole when `sparse`, else written as zero bytes.
    explicit ImageWriter(const std::filesystem::path& path, bool sparse = true)
        : file_(path, std::ios::binary | std::ios::trunc), sparse_(sparse)
    {
    }

    void header(const std::array<std::uint8_t, 16>& name, std::uint32_t diskSize, std::uint32_t trackEntry,
                std::uint32_t entryStep = 0)
    {
        write(headerBytes(name, diskSize, trackEntry, entryStep));
    }

    // A disk header as the data of a record, so that walks pass over it.
    void headerRecord(std::uint32_t diskSize, std::uint32_t trackEntry, std::uint32_t entryStep)
    {
        record(0xFE, 0xFE, 0xFE, static_cast<std::uint16_t>(headerSize),
               headerBytes({'D', 'I', 'S', 'T', 'I', 'N', 'C', 'T'}, diskSize, trackEntry, entryStep));
    }

    std::uint64_t position() const { return position_; }

    void record(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::uint16_t length,
                const std::vector<std::uint8_t>& data = {}, std::uint16_t count = endlessCount)
    {
        recordHeader(c, h, r, length, count);
        write(data);
        if (length > data.size() && !sparse_) {
            write(std::vector<std::uint8_t>(length - data.size(), 0));
        } else if (length > data.size()) {
            position_ += length - data.size();
            file_.seekp(static_cast<std::streamoff>(position_));
        }
    }

    // A record header alone: its data is whatever the file holds next.
    void recordHeader(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::uint16_t length,
                      std::uint16_t count = endlessCount)
    {
        std::vector<std::uint8_t> bytes(16, 0);
        bytes[0] = c;
        bytes[1] = h;
        bytes[2] = r;
        bytes[3] = 3;
        put16(bytes, 4, count);
        put16(bytes, 14, length);
        write(bytes);
    }

    // Goes on writing at `position`, leaving a hole (or keeping what is there).
    void moveTo(std::uint64_t position)
    {
        position_ = position;
        file_.seekp(static_cast<std::streamoff>(position_));
    }

    // A disk header; track t's entry is entries[t], 0 for none.
    void header(const std::array<std::uint8_t, 16>& name, std::uint32_t diskSize,
                const std::array<std::uint32_t, trackEntries>& entries)
    {
        auto bytes = headerBytes(name, diskSize, 0, 0);
        for (int track = 0; track < trackEntries; ++track)
            put32(bytes, 0x20 + 4 * static_cast<std::size_t>(track), entries[static_cast<std::size_t>(track)]);
        write(bytes);
    }

    // Sets the entries of the header just written: track tracks[i] at first + i * step.
    void patchTracks(const std::vector<int>& tracks, std::uint32_t first, std::uint32_t step)
    {
        const std::uint64_t header = position_ - headerSize;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            std::vector<std::uint8_t> entry(4, 0);
            put32(entry, 0, first + static_cast<std::uint32_t>(i) * step);
            file_.seekp(static_cast<std::streamoff>(header + 0x20 + 4 * static_cast<std::uint64_t>(tracks[i])));
            file_.write(reinterpret_cast<const char*>(entry.data()), 4);
        }
        file_.seekp(static_cast<std::streamoff>(position_));
    }

    bool finish()
    {
        // A trailing hole needs one written byte to give the file its length.
        file_.seekp(static_cast<std::streamoff>(position_ - 1));
        file_.put(0);
        file_.close();
        return !file_.fail();
    }

private:
    // Track t's entry is trackEntry + t * entryStep.
    static std::vector<std::uint8_t> headerBytes(const std::array<std::uint8_t, 16>& name, std::uint32_t diskSize,
                                                 std::uint32_t trackEntry, std::uint32_t entryStep)
    {
        std::vector<std::uint8_t> bytes(headerSize, 0);
        std::copy(name.begin(), name.end(), bytes.begin());
        bytes[0x1B] = 0x10;
        put32(bytes, 0x1C, diskSize);
        for (int track = 0; track < trackEntries; ++track)
            put32(bytes, 0x20 + 4 * static_cast<std::size_t>(track),
                  trackEntry + static_cast<std::uint32_t>(track) * entryStep);
        return bytes;
    }
    static void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
    {
        out[at] = static_cast<std::uint8_t>(value);
        out[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    static void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
    {
        put16(out, at, value & 0xFFFF);
        put16(out, at + 2, value >> 16);
    }
    void write(const std::vector<std::uint8_t>& bytes)
    {
        file_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        position_ += bytes.size();
    }

    std::ofstream file_;
    bool sparse_;
    std::uint64_t position_ = 0;
};

// The tracks Disk B's identifying read and catalogue need: 1 to 68 but 39.
std::vector<int> neededTracks()
{
    std::vector<int> tracks;
    for (int track = 1; track <= 68; ++track)
        if (track != 39)
            tracks.push_back(track);
    return tracks;
}

// Disk B's sector R of `track`, with the signature in track 1's R 1.
void sectorOfDiskB(ImageWriter& out, int track, int r, std::uint16_t length, std::uint16_t count = endlessCount)
{
    auto data = build::stampedSector('B', track, r);
    if (track == 1 && r == 1) {
        data[0] = 0xFF; // Disk B's signature
        data[1] = 0x08;
    }
    out.record(static_cast<std::uint8_t>(track >> 1), static_cast<std::uint8_t>(track & 1),
               static_cast<std::uint8_t>(r), length, data, count);
}

// The records Disk B's identifying read and catalogue need, one after another.
void neededSectorsOfDiskB(ImageWriter& out, std::uint16_t length)
{
    for (const int track : neededTracks())
        for (int r = 1; r <= build::setSectorsPerTrack; ++r)
            sectorOfDiskB(out, track, r, length);
}

constexpr int neededSectors = 67 * build::setSectorsPerTrack;
constexpr std::uint32_t setRecord = 16 + build::setSectorSize;

} // namespace

bool writeSharedChain(const std::filesystem::path& path, unsigned dataLength)
{
    ImageWriter out(path);
    out.header({'S', 'H', 'A', 'R', 'E', 'D', ' ', 'C', 'H', 'A', 'I', 'N'}, 0xFFFFFFFF, headerSize);
    const auto length = static_cast<std::uint16_t>(dataLength);
    for (int i = 0; i < 65535 - neededSectors; ++i)
        out.record(0xFF, 0xFF, 0xFF, length);
    neededSectorsOfDiskB(out, length);
    return out.finish();
}

bool writeDisksIntoOneChain(const std::filesystem::path& path, unsigned emptyRecords)
{
    ImageWriter out(path);
    // Read as a record, each header is a foreign sector whose data is the rest
    // of the header, so a walk from any disk runs through the later headers.
    const std::uint16_t restOfHeader = headerSize - 16;
    const std::array<std::uint8_t, 16> name{0xFE,
                                            0xFE,
                                            0xFE,
                                            3,
                                            0xFF,
                                            0xFF,
                                            'C',
                                            'H',
                                            'A',
                                            'I',
                                            'N',
                                            0,
                                            0,
                                            0,
                                            static_cast<std::uint8_t>(restOfHeader),
                                            static_cast<std::uint8_t>(restOfHeader >> 8)};
    for (int disk = 0; disk < 64; ++disk)
        out.header(name, headerSize, headerSize);
    for (unsigned i = 0; i < emptyRecords; ++i)
        out.record(0xFF, 0xFF, 0xFF, 0);
    neededSectorsOfDiskB(out, build::setSectorSize);
    return out.finish();
}

bool writeDistinctWalks(const std::filesystem::path& path, const DistinctWalks& shape)
{
    // Disk k: its header, as the data of a record, then one record per track,
    // where that track starts. Every walk runs on through the later disks and
    // a long filler to Disk B's sectors, which stand as far along as the
    // first disk's walks still reach, so each track a disk needs is a walk of
    // its own of up to 65,535 records, read almost to its end.
    const std::uint32_t recordSize = 16 + shape.dataLength;
    const std::uint32_t segment = 16 + headerSize + trackEntries * recordSize;
    const auto length = static_cast<std::uint16_t>(shape.dataLength);
    ImageWriter out(path, shape.sparse);
    // The last disk's size reaches past the file's end, so no disk follows it.
    const auto sizeOf = [&](int disk) { return disk == shape.disks - 1 ? 0xFFFFFFFF : segment; };
    out.header({'D', 'I', 'S', 'T', 'I', 'N', 'C', 'T'}, sizeOf(0), headerSize, recordSize);
    for (int disk = 0; disk < shape.disks; ++disk) {
        if (disk > 0)
            out.headerRecord(sizeOf(disk), headerSize, recordSize);
        for (int track = 0; track < trackEntries; ++track)
            out.record(0xFF, 0xFF, 0xFF, length);
    }
    const int segments = shape.disks * (trackEntries + 1);
    for (int i = 0; i < 65535 - segments - neededSectors; ++i)
        out.record(0xFF, 0xFF, 0xFF, length);
    neededSectorsOfDiskB(out, build::setSectorSize);
    for (int i = 0; i < segments; ++i)
        out.record(0xFF, 0xFF, 0xFF, length);
    return out.finish();
}

bool writeInterleavedChains(const std::filesystem::path& path)
{
    const std::vector<int> tracks = neededTracks(); // one chain each, in the order of their records in a row
    const auto chains = static_cast<std::uint32_t>(tracks.size());
    const std::uint32_t row = chains * 16;
    constexpr int disks = 64;
    constexpr int rowsPerDisk = 16;
    constexpr int sectorsAt = 65525; // the row of each chain's first sector, within every disk's walks
    const auto diskSize = static_cast<std::uint32_t>(headerSize + rowsPerDisk * row);

    std::vector<std::uint8_t> name{'I', 'N', 'T', 'E', 'R', 'L', 'E', 'A', 'V', 'E', 'D', 0, 0, 0, 0, 0};
    ImageWriter out(path, false);
    const int rows = 65535 + disks * rowsPerDisk;
    for (int at = 0; at < rows; ++at) {
        const int disk = at / rowsPerDisk;
        if (at % rowsPerDisk == 0 && disk < disks) {
            std::array<std::uint8_t, 16> label{};
            std::copy(name.begin(), name.end(), label.begin());
            // Track t starts at its chain's record in this disk's first row.
            out.header(label, disk == disks - 1 ? 0xFFFFFFFF : diskSize, 0, 0);
            out.patchTracks(tracks, static_cast<std::uint32_t>(headerSize), 16);
        }
        // A row before a disk header leaps over it.
        const bool leap = (at + 1) % rowsPerDisk == 0 && (at + 1) / rowsPerDisk < disks;
        const auto length = static_cast<std::uint16_t>(row - 16 + (leap ? headerSize : 0));
        for (std::uint32_t chain = 0; chain < chains; ++chain) {
            const int track = tracks[chain];
            const int r = at - sectorsAt + 1 + (track == 1 ? 5 : 0);
            if (r >= 1 && r <= build::setSectorsPerTrack)
                out.recordHeader(static_cast<std::uint8_t>(track >> 1), static_cast<std::uint8_t>(track & 1),
                                 static_cast<std::uint8_t>(r), length);
            else
                out.recordHeader(0xFF, chain == 1 ? 0x08 : 0xFF, 0xFF, length); // FF 08: Disk B's signature
        }
    }
    return out.finish();
}

bool writeShortTracksLongTails(const std::filesystem::path& path)
{
    // Rows of 8,208 bytes: first a record of each tail, whose data leaps to
    // the tail's record in the next row, then room for one track of a disk,
    // or for a disk's header with its one-record tracks.
    constexpr int tails = 67;
    constexpr std::uint64_t row = 8208;
    constexpr std::uint64_t tailRecords = tails * 16;
    constexpr int disks = 64;
    constexpr int rowsPerDisk = 68;
    constexpr int tailLength = 65530; // rows past the last disk
    constexpr int oneRecordTracks = trackEntries - 67;
    // Disk 0's header and one-record tracks stand before the first row.
    constexpr std::uint64_t firstRow = headerSize + oneRecordTracks * 16;
    const auto rowAt = [](std::int64_t index) { return firstRow + static_cast<std::uint64_t>(index) * row; };
    // Disk k > 0 stands in the row before its tracks' rows, 68 k to 68 k + 66.
    const auto diskAt = [&](int disk) { return disk == 0 ? 0 : rowAt(disk * rowsPerDisk - 1) + tailRecords; };
    const std::vector<int> needed = neededTracks();
    const int rows = disks * rowsPerDisk - 1 + tailLength;

    ImageWriter out(path);
    for (int index = -1; index < rows; ++index) {
        if (index >= 0) {
            out.moveTo(rowAt(index));
            for (int tail = 0; tail < tails; ++tail)
                out.recordHeader(0xFF, 0xFF, 0xFF, static_cast<std::uint16_t>(row - 16));
        }
        const int disk = (index + 1) / rowsPerDisk;
        const int slot = (index + 1) % rowsPerDisk;
        if (disk >= disks)
            continue;
        const std::uint64_t next = rowAt(index + 1); // where the tails' records of the next row stand
        if (slot > 0) {
            // Track `slot - 1` of the needed ones: its five sectors say the
            // track has five, and the fifth leads into a tail.
            const int track = needed[static_cast<std::size_t>(slot - 1)];
            for (int r = 1; r <= build::setSectorsPerTrack; ++r) {
                const std::uint64_t leap = next + 16 * static_cast<std::uint64_t>(slot - 1) - out.position() - 16;
                const auto length = static_cast<std::uint16_t>(r < build::setSectorsPerTrack ? 1024 : leap);
                sectorOfDiskB(out, track, r, length, build::setSectorsPerTrack);
            }
            continue;
        }
        std::array<std::uint32_t, trackEntries> entries{};
        std::size_t oneRecord = 0;
        for (int track = 0; track < trackEntries; ++track) {
            const auto at = std::find(needed.begin(), needed.end(), track);
            const std::uint64_t start = at != needed.end()
                ? rowAt(disk * rowsPerDisk + (at - needed.begin())) + tailRecords
                : diskAt(disk) + headerSize + 16 * oneRecord++;
            entries[static_cast<std::size_t>(track)] = static_cast<std::uint32_t>(start - diskAt(disk));
        }
        const auto size = disk == disks - 1 ? 0xFFFFFFFF : static_cast<std::uint32_t>(diskAt(disk + 1) - diskAt(disk));
        out.header({'T', 'A', 'I', 'L', 'S'}, size, entries);
        for (int i = 0; i < oneRecordTracks; ++i) {
            const std::uint64_t tail = next + 16 * static_cast<std::uint64_t>(i % tails);
            out.recordHeader(0xFE, 0xFE, 0xFE, static_cast<std::uint16_t>(tail - out.position() - 16), 1);
        }
    }
    out.moveTo(rowAt(rows));
    return out.finish();
}

bool writeSpine(const std::filesystem::path& path)
{
    constexpr std::uint16_t rib = 32; // spine records stand 48 bytes apart
    constexpr int blockEvery = 62500; // spine records between blocks of Disk B's sectors
    constexpr int blocks = 7;         // what disk 0's walks find
    constexpr int startStep = 6250;   // needed track i of disk 0 starts at spine record i * startStep
    constexpr int otherStep = 4500;   // and the other tracks every 4,500 records
    constexpr int beforeDisks = 500;  // spine records after the last block
    constexpr int disks = 64;
    constexpr std::uint32_t stubs = headerSize + trackEntries * 16;
    const std::vector<int> needed = neededTracks();

    ImageWriter out(path, false);
    std::array<std::uint32_t, trackEntries> entries{};
    out.moveTo(headerSize); // disk 0's header is written last, when its tracks' places are known
    int other = 0;
    for (int n = 0; n < blockEvery * blocks + beforeDisks; ++n) {
        if (n > 0 && n % blockEvery == 0)
            neededSectorsOfDiskB(out, build::setSectorSize);
        if (n % startStep == 0 && n / startStep < static_cast<int>(needed.size()))
            entries[static_cast<std::size_t>(needed[static_cast<std::size_t>(n / startStep)])] =
                static_cast<std::uint32_t>(out.position());
        if (n % otherStep == 17) {
            while (std::find(needed.begin(), needed.end(), other) != needed.end())
                ++other;
            if (other < trackEntries)
                entries[static_cast<std::size_t>(other++)] = static_cast<std::uint32_t>(out.position());
        }
        out.record(0xFF, 0xFF, 0xFF, rib);
    }
    // Disks 1 to 63, each in the data of a spine record: its header, then a
    // one-record stub for every track that leads to the next spine record.
    const std::uint64_t firstDisk = out.position() + 16;
    for (int disk = 1; disk < disks; ++disk) {
        const std::uint64_t at = out.position();
        out.recordHeader(0xFF, 0xFF, 0xFF, static_cast<std::uint16_t>(stubs));
        std::array<std::uint32_t, trackEntries> stubEntries{};
        for (int track = 0; track < trackEntries; ++track)
            stubEntries[static_cast<std::size_t>(track)] = headerSize + 16 * static_cast<std::uint32_t>(track);
        out.header({'S', 'P', 'I', 'N', 'E'}, disk == disks - 1 ? 0xFFFFFFFF : 16 + stubs, stubEntries);
        for (int track = 0; track < trackEntries; ++track)
            out.recordHeader(0xFE, 0xFE, 0xFE, static_cast<std::uint16_t>(at + 16 + stubs - out.position() - 16));
    }
    neededSectorsOfDiskB(out, build::setSectorSize);
    for (int i = 0; i < 16; ++i)
        out.record(0xFF, 0xFF, 0xFF, rib);
    const std::uint64_t end = out.position();
    out.moveTo(0);
    out.header({'S', 'P', 'I', 'N', 'E'}, static_cast<std::uint32_t>(firstDisk), entries);
    out.moveTo(end);
    return out.finish();
}

bool writeBraidsPastAStop(const std::filesystem::path& path, int disks, bool longFirstTrack)
{
    std::vector<int> braided;
    for (const int track : neededTracks())
        if (track != 1 && track != 40)
            braided.push_back(track);
    // With a long first track, chain 0 goes on from track 1's R 1 and its
    // walk ends at the cap, so the run learns ADPCM1 stops only at the end.
    const std::uint32_t first = longFirstTrack ? 1 : 0;
    const auto chains = first + static_cast<std::uint32_t>(braided.size());
    const std::uint32_t row = chains * 16; // each chain's next record is a row further on
    const std::uint32_t braid = headerSize + setRecord;
    const std::uint32_t diskSize = braid + 65535 * row + row; // the last row's data too

    ImageWriter out(path, false);
    for (int disk = 0; disk < disks; ++disk) {
        std::array<std::uint32_t, trackEntries> entries{};
        entries[1] = headerSize;
        for (std::uint32_t chain = first; chain < chains; ++chain)
            entries[static_cast<std::size_t>(braided[chain - first])] = braid + 16 * chain;
        out.header({'B', 'R', 'A', 'I', 'D', 'S'}, diskSize, entries);
        sectorOfDiskB(out, 1, 1, build::setSectorSize, longFirstTrack ? endlessCount : 1);
        for (int at = 0; at < 65535; ++at)
            for (std::uint32_t chain = 0; chain < chains; ++chain)
                out.recordHeader(0xFF, 0xFF, 0xFF, static_cast<std::uint16_t>(row - 16));
        out.moveTo(out.position() + row);
    }
    return out.finish();
}

} // namespace d88::bench
