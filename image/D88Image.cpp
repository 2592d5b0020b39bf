#include "D88Image.hpp"

#include <algorithm>

#include "SectorHeader.hpp"

namespace d88 {

bool D88Image::open(const char* path)
{
    stream_.close();
    walks_.clear();
    diskCount_ = 0;
    moreDisks_ = false;
    mediaType_ = -1;
    if (path == nullptr)
        return true;

    // A new file starts with no selection, so no read can reach it through
    // the positions of a disk of the file before.
    clearSelection();
    trackTable_.fill(0);
    if (!stream_.open(path))
        return false;

    std::uint64_t offset = 0;
    std::array<std::uint8_t, DiskHeader::size> raw{};
    while (diskCount_ < maxDisks) {
        diskOffsets_[static_cast<std::size_t>(diskCount_)] = offset;
        if (stream_.readAt(offset, raw.data(), raw.size()) < raw.size())
            break;
        offset += DiskHeader::parse(raw).diskSize;
        ++diskCount_;
    }
    moreDisks_ = diskCount_ == maxDisks && stream_.readAt(offset, raw.data(), raw.size()) == raw.size();
    return true;
}

void D88Image::clearSelection()
{
    selectedDiskOffset_ = -1;
    selectedDiskSize_ = 0;
    mediaType_ = -1;
    diskName_.fill(0);
}

bool D88Image::selectDisk(std::int32_t index)
{
    if (!stream_.isOpen())
        return false;
    clearSelection();
    if (index < 0 || index >= diskCount_)
        return false;

    const std::uint64_t offset = diskOffsets_[static_cast<std::size_t>(index)];
    std::array<std::uint8_t, DiskHeader::size> raw{};
    if (stream_.readAt(offset, raw.data(), raw.size()) < raw.size())
        return false;
    const DiskHeader header = DiskHeader::parse(raw);
    trackTable_ = header.trackTable;
    mediaType_ = header.mediaType;
    selectedDiskSize_ = header.diskSize;
    selectedDiskOffset_ = static_cast<std::int64_t>(offset);
    diskName_ = header.name;
    return true;
}

void D88Image::setSectorRange(std::int32_t first, std::int32_t last)
{
    firstSector_ = first;
    lastSector_ = last;
}

std::uint64_t D88Image::diskOffset(std::int32_t index) const
{
    if (index < 0 || index >= diskCount_)
        return 0;
    return diskOffsets_[static_cast<std::size_t>(index)];
}

std::optional<std::uint64_t> D88Image::trackStart(std::int32_t track) const
{
    if (!stream_.isOpen() || selectedDiskOffset_ < 0 || track < 0 || track >= trackCount)
        return std::nullopt;
    const std::uint32_t entry = trackTable_[static_cast<std::size_t>(track)];
    // An entry equal to the disk size still counts as present.
    if (entry == 0 || entry > selectedDiskSize_)
        return std::nullopt;
    return static_cast<std::uint64_t>(selectedDiskOffset_) + entry;
}

bool D88Image::readRecordHeader(std::uint64_t position, SectorHeader& header)
{
    const std::uint8_t* raw = stream_.view(position, SectorHeader::size);
    if (raw == nullptr)
        return false;
    header = SectorHeader::parse(raw);
    return true;
}

TrackIndex& D88Image::walkFrom(std::uint64_t start)
{
    if (TrackIndex* known = walks_.find(start))
        return *known;

    // A search ends at a record whose count is 0 (not matched), after the
    // record whose position is its own count - 1, where a whole header can no
    // longer be read, or after maxRecordsPerWalk records. Each step moves
    // forward by at least one header, so the walk ends on any file.
    walked_.clear(); // kept between walks, so a long walk does not grow a vector anew
    std::uint64_t position = start;
    SectorHeader header;
    for (std::uint32_t i = 0; i < maxRecordsPerWalk && readRecordHeader(position, header); ++i) {
        if (header.sectorCount == 0)
            break;
        position += SectorHeader::size;
        walked_.push_back(IndexedRecord{position, header.identity(), header.dataLength});
        position += header.dataLength;
        if (i == header.sectorCount - 1u)
            break;
    }
    return walks_.insert(start, TrackIndex({walked_.begin(), walked_.end()}));
}

std::int32_t D88Image::readSector(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r, std::int32_t n,
                                  std::uint8_t* buffer, std::int32_t capacity)
{
    const auto start = trackStart(track);
    const auto identity = packIdentity(c, h, r, n);
    if (!start || !identity || capacity < 0)
        return 0;
    const IndexedRecord* record = walkFrom(*start).find(*identity);
    if (record == nullptr)
        return 0;
    const auto wanted = std::min<std::int32_t>(record->dataLength, capacity);
    return static_cast<std::int32_t>(stream_.readAt(record->dataPosition, buffer, static_cast<std::size_t>(wanted)));
}

std::int32_t D88Image::listSectorIds(std::int32_t track, std::uint8_t* buffer, std::int32_t capacity)
{
    constexpr std::int32_t entrySize = 4;
    const auto start = trackStart(track);
    if (!start || capacity < entrySize)
        return 0;

    std::int32_t written = 0;
    std::uint64_t position = *start;
    SectorHeader header;
    // A sector count of 0 does not end the listing; only a record whose
    // position is its own count - 1 does, or a full buffer, or the file's end.
    for (std::uint32_t i = 0;
         i < maxRecordsPerWalk && capacity - written >= entrySize && readRecordHeader(position, header); ++i) {
        buffer[written + 0] = header.c;
        buffer[written + 1] = header.h;
        buffer[written + 2] = header.r;
        buffer[written + 3] = header.n;
        written += entrySize;
        position += SectorHeader::size + header.dataLength;
        if (i + 1 == header.sectorCount)
            break;
    }
    return written;
}

} // namespace d88
