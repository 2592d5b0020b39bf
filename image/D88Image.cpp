#include "image/D88Image.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "image/SectorAddress.hpp"
#include "image/SectorHeader.hpp"
#include "image/walk/WalkPass.hpp"

namespace d88 {

void D88Image::close()
{
    stream_.close();
    headers_.clear();
    answers_ = {};
    diskCount_ = 0;
    moreDisks_ = false;
    diskOffsets_.fill(0);
    // No read can reach a new file through the positions of a disk of the last.
    clearSelection();
    trackTable_.fill(0);
}

std::error_code D88Image::open(const char* path)
{
    close();
    if (path == nullptr)
        return {};
    if (const std::error_code failed = stream_.open(path))
        return failed;
    indexDisks();
    return {};
}

void D88Image::open(std::span<const std::uint8_t> bytes)
{
    close();
    stream_.open(bytes);
    indexDisks();
}

void D88Image::indexDisks()
{
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

std::optional<FoundRecord> D88Image::locateSector(const SectorAddress& at)
{
    const auto start = trackStart(at.track);
    const auto identity = packIdentity(at.c, at.h, at.r, at.n);
    if (!start || !identity)
        return std::nullopt;
    if (const auto* prepared = answers_.search(*start, *identity))
        return *prepared;
    // A search ends at a count of 0, before that record's identity counts.
    std::optional<FoundRecord> found;
    headers_.walkTrack(*start, [&](std::uint64_t position, const SectorHeader& header) {
        if (header.sectorCount > 0 && header.identity() == *identity)
            found = FoundRecord{position + SectorHeader::size, header.dataLength};
        return header.sectorCount > 0 && !found;
    });
    return found;
}

std::int32_t D88Image::readSector(const SectorAddress& at, std::span<std::uint8_t> buffer)
{
    const auto record = locateSector(at);
    if (!record)
        return 0;
    const auto wanted = static_cast<std::size_t>(std::min<std::int32_t>(record->dataLength, clampedSize(buffer)));
    return static_cast<std::int32_t>(stream_.readAt(record->dataPosition, buffer.data(), wanted));
}

std::optional<std::uint16_t> D88Image::firstRecordCount(std::int32_t track)
{
    const auto start = trackStart(track);
    if (!start)
        return std::nullopt;
    if (const auto* listing = answers_.listing(*start, 1))
        return listing->identities.empty() ? std::nullopt : std::optional(listing->firstCount);
    SectorHeader header;
    return headers_.read(*start, header) ? std::optional(header.sectorCount) : std::nullopt;
}

namespace {

constexpr std::int32_t idSize = 4; // C, H, R, N

// Records a listing into a buffer of `capacity` bytes takes; 0 when none fits.
std::uint32_t listLimit(std::size_t capacity)
{
    return static_cast<std::uint32_t>(std::min<std::size_t>(capacity / idSize, D88Image::maxRecordsPerWalk));
}

} // namespace

std::int32_t D88Image::listSectorIds(std::int32_t track, std::span<std::uint8_t> buffer)
{
    const auto start = trackStart(track);
    const std::uint32_t limit = listLimit(static_cast<std::size_t>(clampedSize(buffer)));
    if (!start || limit == 0)
        return 0;
    std::vector<std::uint32_t> walked;
    const std::vector<std::uint32_t>* identities = &walked;
    if (const auto* listing = answers_.listing(*start, limit))
        identities = &listing->identities;
    else // unlike a search, a listing goes on past a count of 0
        headers_.walkTrack(*start, [&](std::uint64_t, const SectorHeader& header) {
            walked.push_back(header.identity());
            return walked.size() < limit;
        });
    const std::size_t listed = std::min<std::size_t>(identities->size(), limit);
    for (std::size_t i = 0; i < listed; ++i)
        for (std::size_t byte = 0; byte < idSize; ++byte)
            buffer[idSize * i + byte] = static_cast<std::uint8_t>((*identities)[i] >> (8 * byte));
    return static_cast<std::int32_t>(listed) * idSize;
}

template <class Visit>
std::int32_t D88Image::stepExtent(const SectorAddress& start, std::int32_t length, Visit&& visit) const
{
    // Outside 0..23 the nominal size would not be a positive 32-bit step.
    if (length <= 0 || start.n < 0 || start.n > largestSizeCode)
        return 0;
    SectorAddress at = start;
    std::int32_t total = 0;
    std::int32_t step = sectorSize(at.n);
    while (total < length) {
        if (length - total < step)
            step = length - total;
        if (!visit(at, total, step))
            return total;
        total += step;
        // The address only moves on after a sector was found, and a found
        // sector has r, c <= 255 and track < 164, so nothing can overflow.
        at.advance(firstSector_, lastSector_);
    }
    return total;
}

std::int32_t D88Image::readExtent(const SectorAddress& start, std::span<std::uint8_t> buffer, Shortfall* stop,
                                  std::vector<SectorAddress>* read)
{
    return stepExtent(start, clampedSize(buffer), [&](const SectorAddress& at, std::int32_t done, std::int32_t step) {
        const auto sector = buffer.subspan(static_cast<std::size_t>(done), static_cast<std::size_t>(step));
        const std::int32_t placed = readSector(at, sector);
        if (placed < step && stop != nullptr)
            *stop = Shortfall{at.track, at.c, at.h, at.r, placed, step};
        if (placed >= step && read != nullptr)
            read->push_back(at);
        return placed >= step;
    });
}

void D88Image::planSector(WalkPlan& plan, const SectorAddress& at) const
{
    const auto start = trackStart(at.track);
    const auto identity = packIdentity(at.c, at.h, at.r, at.n);
    if (start && identity)
        plan.search(*start, *identity);
}

void D88Image::planListing(WalkPlan& plan, std::int32_t track, std::size_t capacity) const
{
    const auto start = trackStart(track);
    const std::uint32_t limit = listLimit(capacity);
    if (start && limit > 0)
        plan.list(*start, limit);
}

void D88Image::planExtent(WalkPlan& plan, const SectorAddress& start, std::size_t length) const
{
    const auto clamped = static_cast<std::int32_t>(std::min<std::size_t>(length, INT32_MAX));
    std::optional<WalkPlan::After> after;
    stepExtent(start, clamped, [&](const SectorAddress& at, std::int32_t, std::int32_t step) {
        const auto trackAt = trackStart(at.track);
        const auto identity = packIdentity(at.c, at.h, at.r, at.n);
        // Where readSector finds nothing the extent stops.
        if (!trackAt || !identity)
            return false;
        after = WalkPlan::After{plan.search(*trackAt, *identity, after), static_cast<std::uint32_t>(step)};
        return true;
    });
}

void D88Image::prepare(const WalkPlan& plan, LaterPasses later)
{
    answerPlan(plan, later == LaterPasses::follow, headers_, answers_, stream_.fileSize());
}

} // namespace d88
