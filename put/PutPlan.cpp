#include "put/PutPlan.hpp"

#include <algorithm>
#include <optional>
#include <tuple>

#include "image/DiskHeader.hpp"
#include "image/SectorHeader.hpp"
#include "put/PutMessages.hpp"
#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"

namespace d88 {
namespace {

void addOnce(std::vector<std::string>& lines, std::string line)
{
    if (std::find(lines.begin(), lines.end(), line) == lines.end())
        lines.push_back(std::move(line));
}

void protectRecord(D88Image& image, const SectorAddress& at, PutPlan& plan)
{
    if (const auto record = image.locateSector(at))
        plan.headers.push_back(Span{record->dataPosition - SectorHeader::size, record->dataPosition});
}

// Where the file's bytes carry its disk's signature: the file whose extent
// starts at the identifying sector. -1 where none does.
std::int32_t signatureOffset(const CatalogueFile& file, DiskKind kind)
{
    using S = IdentifyingSector;
    if (file.start.track != S::track || file.start.r != S::r || file.start.n != S::n || file.skip != 0)
        return -1;
    return kind == DiskKind::diskA ? S::diskAOffset : S::diskBOffset;
}

bool carriesSignature(std::span<const std::uint8_t> bytes, std::int32_t offset, DiskKind kind)
{
    using S = IdentifyingSector;
    const std::uint8_t* signature = kind == DiskKind::diskA ? S::diskASignature : S::diskBSignature;
    return std::equal(signature, signature + 2, bytes.begin() + offset);
}

class DiskPlanner {
public:
    DiskPlanner(D88Image& image, const FolderFiles& files, std::span<std::uint8_t> buffer, PutPlan& plan)
        : image_(image), files_(files), buffer_(buffer), plan_(plan)
    {
    }

    void plan(std::int32_t disk, DiskKind kind)
    {
        for (const CatalogueFile& entry : catalogueFor(kind)) {
            const FileRead read = readCatalogueFile(image_, entry, buffer_);
            for (const SectorAddress& at : read.sectors)
                protectRecord(image_, at, plan_);
            if (const FolderFile* file = findFile(files_, entry.name); file != nullptr && read.fits)
                place(disk, kind, entry, read, *file);
        }
    }

private:
    void place(std::int32_t disk, DiskKind kind, const CatalogueFile& entry, const FileRead& read,
               const FolderFile& file)
    {
        if (!file.problem.empty())
            return addOnce(plan_.refusals, unreadableRefusal(file.name, file.problem));
        if (file.size > static_cast<std::uint64_t>(entry.length))
            return addOnce(plan_.refusals, longerRefusal(file.name, file.size, entry.length));
        if (file.size > static_cast<std::uint64_t>(read.found))
            return plan_.refusals.push_back(noDataRefusal(file.name, disk, read.found, read.stop));
        if (!addPieces(disk, entry, read, file))
            return;
        if (file.size < static_cast<std::uint64_t>(entry.length))
            addOnce(plan_.warnings, shorterNote(file.name, file.size, entry.length));
        const std::int32_t at = signatureOffset(entry, kind);
        if (at >= 0 && file.size >= static_cast<std::uint64_t>(at) + 2 && read.found >= at + 2 &&
            carriesSignature(buffer_.subspan(static_cast<std::size_t>(entry.skip)), at, kind) &&
            !carriesSignature(file.bytes, at, kind))
            plan_.warnings.push_back(signatureWarning(file.name, disk, kind));
        plan_.putLines.push_back(putLine(file.name, disk, kind));
    }

    // Byte i of the file is byte skip + i of the extent, which steps through
    // the sectors read in full, each `step` bytes.
    bool addPieces(std::int32_t disk, const CatalogueFile& entry, const FileRead& read, const FolderFile& file)
    {
        const auto step = static_cast<std::uint64_t>(sectorSize(entry.start.n));
        const std::uint64_t first = static_cast<std::uint64_t>(entry.skip);
        const std::uint64_t last = first + file.size;
        const auto index = static_cast<std::uint32_t>(&file - files_.data());
        for (std::uint64_t from = first; from < last;) {
            const std::uint64_t sector = from / step;
            const std::uint64_t to = std::min(last, (sector + 1) * step);
            const auto record = sector < read.sectors.size() ? image_.locateSector(read.sectors[sector]) : std::nullopt;
            if (!record || record->dataLength < to - sector * step) {
                // The read found it in full: only an image changed meanwhile loses it now.
                plan_.refusals.push_back(noDataRefusal(file.name, disk, read.found, read.stop));
                return false;
            }
            plan_.pieces.push_back(Piece{record->dataPosition + (from - sector * step), index,
                                         static_cast<std::uint32_t>(from - first),
                                         static_cast<std::uint32_t>(to - from)});
            from = to;
        }
        return true;
    }

    D88Image& image_;
    const FolderFiles& files_;
    std::span<std::uint8_t> buffer_;
    PutPlan& plan_;
};

// Sorted and disjoint, so the one span before a position is the only one that can reach it.
void mergeSpans(std::vector<Span>& spans)
{
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    std::vector<Span> merged;
    for (const Span& span : spans) {
        if (!merged.empty() && span.start <= merged.back().end)
            merged.back().end = std::max(merged.back().end, span.end);
        else
            merged.push_back(span);
    }
    spans = std::move(merged);
}

const std::uint8_t* bytesOf(const FolderFiles& files, const Piece& piece, std::uint64_t at)
{
    return files[piece.file].bytes.data() + piece.offset + (at - piece.position);
}

// Where two pieces that overlap write different bytes; nullopt where they agree.
std::optional<std::uint64_t> firstDifference(const FolderFiles& files, const Piece& a, const Piece& b)
{
    const std::uint64_t from = std::max(a.position, b.position);
    const std::uint64_t to = std::min(a.end(), b.end());
    const auto* left = bytesOf(files, a, from);
    const auto* right = bytesOf(files, b, from);
    const auto count = static_cast<std::size_t>(to - from);
    const auto differs = std::mismatch(left, left + count, right).first;
    if (differs == left + count)
        return std::nullopt;
    return from + static_cast<std::uint64_t>(differs - left);
}

void checkConflicts(PutPlan& plan, const FolderFiles& files)
{
    auto& pieces = plan.pieces;
    // Pieces are at most a sector long: each overlaps only the few that start within it.
    for (std::size_t i = 0; i < pieces.size(); ++i)
        for (std::size_t j = i + 1; j < pieces.size() && pieces[j].position < pieces[i].end(); ++j)
            if (const auto at = firstDifference(files, pieces[i], pieces[j]))
                addOnce(plan.refusals, conflictRefusal(files[pieces[i].file].name, files[pieces[j].file].name, *at));
}

void checkHeaders(PutPlan& plan, const FolderFiles& files, const ByteSource& image)
{
    std::vector<std::uint8_t> old;
    for (const Piece& piece : plan.pieces) {
        auto header = std::upper_bound(plan.headers.begin(), plan.headers.end(), piece.position,
                                       [](std::uint64_t at, const Span& span) { return at < span.start; });
        if (header != plan.headers.begin())
            --header;
        for (; header != plan.headers.end() && header->start < piece.end(); ++header) {
            const std::uint64_t from = std::max(header->start, piece.position);
            const std::uint64_t to = std::min(header->end, piece.end());
            if (from >= to)
                continue;
            const auto count = static_cast<std::size_t>(to - from);
            old.resize(count);
            const std::size_t got = image.readAt(from, old.data(), count);
            if (got != count ||
                !std::equal(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(count), bytesOf(files, piece, from)))
                addOnce(plan.refusals, headerRefusal(files[piece.file].name, from));
        }
    }
}

} // namespace

PutPlan planPut(D88Image& image, std::span<const DiskKind> kinds, const FolderFiles& files,
                std::span<std::uint8_t> buffer)
{
    PutPlan plan;
    for (std::int32_t disk = 0; disk < image.diskCount(); ++disk)
        plan.headers.push_back(Span{image.diskOffset(disk), image.diskOffset(disk) + DiskHeader::size});
    DiskPlanner planner(image, files, buffer, plan);
    for (std::int32_t disk = 0; disk < static_cast<std::int32_t>(kinds.size()); ++disk) {
        // As d88cut reads it: a disk that cannot be selected reads nothing.
        static_cast<void>(image.selectDisk(disk));
        image.setSectorRange(setFirstSector, setLastSector);
        using S = IdentifyingSector;
        protectRecord(image, SectorAddress{S::track, S::c, S::h, S::r, S::n}, plan);
        const DiskKind kind = kinds[static_cast<std::size_t>(disk)];
        if (kind != DiskKind::neither)
            planner.plan(disk, kind);
    }
    const auto byPosition = [](const auto& a, const auto& b) {
        return std::tie(a.position, a.file, a.offset, a.length) < std::tie(b.position, b.file, b.offset, b.length);
    };
    std::sort(plan.pieces.begin(), plan.pieces.end(), byPosition);
    // Two disks that share bytes give the same piece twice.
    plan.pieces.erase(std::unique(plan.pieces.begin(), plan.pieces.end(),
                                  [](const Piece& a, const Piece& b) {
                                      return a.position == b.position && a.file == b.file && a.offset == b.offset &&
                                          a.length == b.length;
                                  }),
                      plan.pieces.end());
    mergeSpans(plan.headers);
    return plan;
}

void checkOverlaps(PutPlan& plan, const FolderFiles& files, const ByteSource& image)
{
    checkConflicts(plan, files);
    checkHeaders(plan, files, image);
}

} // namespace d88
