#include "D88Image.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "SectorAddress.hpp"
#include "SectorHeader.hpp"

namespace d88 {

void D88Image::close()
{
    stream_.close();
    chains_.clear();
    diskCount_ = 0;
    moreDisks_ = false;
    diskOffsets_.fill(0);
    // No read can reach a new file through the positions of a disk of the last.
    clearSelection();
    trackTable_.fill(0);
}

bool D88Image::open(const char* path)
{
    close();
    if (path == nullptr)
        return true;
    openError_ = stream_.open(path);
    if (openError_)
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

namespace {

// Spans longer than any count the reader returns are read as this long.
std::int32_t clampedSize(std::span<const std::uint8_t> buffer)
{
    return static_cast<std::int32_t>(std::min<std::size_t>(buffer.size(), INT32_MAX));
}

} // namespace

std::int32_t D88Image::readSector(const SectorAddress& at, std::span<std::uint8_t> buffer)
{
    const auto start = trackStart(at.track);
    const auto identity = packIdentity(at.c, at.h, at.r, at.n);
    if (!start || !identity)
        return 0;
    const auto record = chains_.find(stream_, *start, *identity);
    if (!record)
        return 0;
    const auto wanted = std::min<std::int32_t>(record->dataLength, clampedSize(buffer));
    return static_cast<std::int32_t>(
        stream_.readAt(record->dataPosition, buffer.data(), static_cast<std::size_t>(wanted)));
}

std::optional<std::uint16_t> D88Image::firstRecordCount(std::int32_t track)
{
    const auto start = trackStart(track);
    const std::uint8_t* raw = start ? stream_.view(*start, SectorHeader::size) : nullptr;
    if (raw == nullptr)
        return std::nullopt;
    return SectorHeader::parse(raw).sectorCount;
}

std::int32_t D88Image::listSectorIds(std::int32_t track, std::span<std::uint8_t> buffer)
{
    constexpr std::int32_t entrySize = 4;
    const auto start = trackStart(track);
    if (!start || clampedSize(buffer) < entrySize)
        return 0;
    const auto limit =
        std::min<std::uint32_t>(static_cast<std::uint32_t>(clampedSize(buffer) / entrySize), maxRecordsPerWalk);
    return static_cast<std::int32_t>(chains_.list(stream_, *start, limit, buffer.data())) * entrySize;
}

std::int32_t D88Image::readExtent(const SectorAddress& start, std::span<std::uint8_t> buffer, Shortfall* stop)
{
    const std::int32_t length = clampedSize(buffer);
    // Outside 0..23 the nominal size would not be a positive 32-bit step.
    if (length <= 0 || start.n < 0 || start.n > largestSizeCode)
        return 0;

    SectorAddress at = start;
    std::int32_t total = 0;
    std::int32_t step = sectorSize(at.n);
    while (total < length) {
        if (length - total < step)
            step = length - total;
        const auto sector = buffer.subspan(static_cast<std::size_t>(total), static_cast<std::size_t>(step));
        const std::int32_t placed = readSector(at, sector);
        if (placed < step) {
            if (stop != nullptr)
                *stop = Shortfall{at.track, at.c, at.h, at.r, placed, step};
            return total;
        }
        total += step;
        // The address only moves on after a sector was found, and a found
        // sector has r, c <= 255 and track < 164, so nothing can overflow.
        at.advance(firstSector_, lastSector_);
    }
    return total;
}

} // namespace d88
