#include "info/Report.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "console/JapaneseText.hpp"
#include "image/D88Image.hpp"
#include "image/DiskChain.hpp"
#include "image/ForeignFormat.hpp"
#include "info/SectorMap.hpp"
#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"
#include "set/ReadPlan.hpp"

namespace d88::info {
namespace {

const char* kindName(DiskKind kind)
{
    switch (kind) {
    case DiskKind::diskA:
        return "Disk A";
    case DiskKind::diskB:
        return "Disk B";
    case DiskKind::neither:
        break;
    }
    return "neither";
}

// Two bytes of the identifying sector, or "--" for a byte its read did not place.
std::string bytePair(std::span<const std::uint8_t> sector, std::int32_t placed, std::int32_t offset)
{
    std::string text;
    for (std::int32_t i = offset; i < offset + 2; ++i) {
        if (i > offset)
            text += ' ';
        if (i < placed) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", sector[static_cast<std::size_t>(i)]);
            text += hex;
        } else {
            text += "--";
        }
    }
    return text;
}

// "16 records of N 1 (256 bytes)", or "16 records (12 of N 1, 4 of N 3)".
std::string recordsText(std::span<const std::uint8_t> ids, std::int32_t records, bool more)
{
    std::map<std::int32_t, std::int32_t> perSize;
    for (std::int32_t i = 0; i < records; ++i)
        ++perSize[ids[static_cast<std::size_t>(i) * 4 + 3]];
    const auto sizeText = [](std::int32_t n) {
        // Beyond N 8 the nominal size means nothing to a reader.
        return "N " + std::to_string(n) + (n <= 8 ? " (" + std::to_string(128 << n) + " bytes)" : "");
    };
    std::string text = (more ? "more than " : "") + std::to_string(records) + (records == 1 ? " record" : " records");
    if (perSize.size() == 1)
        return text + " of " + sizeText(perSize.begin()->first);
    std::string sizes;
    for (const auto& [n, count] : perSize)
        sizes += (sizes.empty() ? "" : ", ") + std::to_string(count) + " of " + sizeText(n);
    return sizes.empty() ? text : text + " (" + sizes + ")";
}

// Why the identifying read placed nothing: what its walk of the track found.
std::string whyMissing(D88Image& image)
{
    using S = IdentifyingSector;
    const std::string track = "track " + std::to_string(S::track);
    const std::string sought = "C " + std::to_string(S::c) + " H " + std::to_string(S::h) + " R " +
        std::to_string(S::r) + " N " + std::to_string(S::n);
    if (!image.trackPresent(S::track))
        return "missing: " + track + " is not in the disk's track table";
    const auto count = image.firstRecordCount(S::track);
    if (!count)
        return "missing: " + track + "'s first record lies past the end of the file";
    if (*count == 0)
        return "missing: " + track + "'s first record has a sector count of 0, which ends every search";
    std::vector<std::uint8_t> ids(SectorMap::listingCapacity);
    const std::int32_t listed = image.listSectorIds(S::track, ids) / 4;
    const std::int32_t shown = std::min<std::int32_t>(listed, static_cast<std::int32_t>(ids.size() / 4) - 1);
    bool found = false;
    for (std::int32_t i = 0; i < shown; ++i) {
        const auto* id = &ids[static_cast<std::size_t>(i) * 4];
        found |= id[0] == S::c && id[1] == S::h && id[2] == S::r && id[3] == S::n;
    }
    const std::string holds = track + " holds " + recordsText(ids, shown, listed > shown);
    if (found)
        return "empty: " + holds + ", and its " + sought + " yields no data";
    return "missing: " + holds + " and no " + sought +
        (listed > shown ? " among the first " + std::to_string(shown) : "");
}

void reportIdentification(D88Image& image, std::span<const std::uint8_t> sector, const Identification& id,
                          std::ostream& out)
{
    using S = IdentifyingSector;
    out << "  identifying sector (track " << S::track << ", C " << S::c << ", H " << S::h << ", R " << S::r << ", N "
        << S::n << "): ";
    if (id.placed == 0)
        out << whyMissing(image) << "\n";
    else
        out << id.placed << " bytes; bytes 0-1: " << bytePair(sector, id.placed, S::diskBOffset)
            << ", bytes 16-17: " << bytePair(sector, id.placed, S::diskAOffset) << '\n';
    out << "  verdict: " << kindName(id.kind) << '\n';
}

// Returns each file's reading, for the map.
std::vector<FileRead> reportFiles(D88Image& image, const std::vector<CatalogueFile>& files,
                                  std::span<std::uint8_t> buffer, std::ostream& out)
{
    std::vector<FileRead> reads;
    for (const CatalogueFile& file : files) {
        // Read as d88cut reads it, so the counts and the stop are the ones its warning names.
        const FileRead& read = reads.emplace_back(readCatalogueFile(image, file, buffer));
        char line[96];
        std::snprintf(line, sizeof line, "    %-7s %6d of %6d bytes  %s", file.name.c_str(), read.found, file.length,
                      read.complete ? "complete" : "incomplete");
        out << line;
        if (!read.complete)
            out << " (stops at " << stopText(read.stop) << ")";
        out << '\n';
    }
    return reads;
}

// The names D88 images give their media type byte.
std::string mediaName(std::int32_t mediaType)
{
    switch (mediaType) {
    case 0x00:
        return "2D";
    case 0x10:
        return "2DD";
    case 0x20:
        return "2HD";
    case 0x30:
        return "1D";
    case 0x40:
        return "1DD";
    default:
        return "unknown";
    }
}

// Where the last of the first `disks` ends by its size field; the file's end where none can be read.
std::uint64_t lastDiskEnd(D88Image& image, std::int32_t disks)
{
    const std::int32_t last = disks - 1;
    if (last < 0 || !image.selectDisk(last))
        return image.fileSize();
    return image.diskOffset(last) + image.selectedDiskSize();
}

// One line before the report where the file does not look like a D88 image:
// it starts like an archive, or a disk's size reaches past the file's end.
void reportForeign(D88Image& image, std::int32_t disks, std::ostream& out)
{
    std::array<std::uint8_t, archiveHeadSize> head{};
    const std::size_t got = image.readHead(head);
    if (const auto archive = archiveFormatOf(std::span(head).first(got))) {
        out << "warning: this file starts like " << *archive << " archive, not a D88 image: unpack it first\n";
        return;
    }
    const std::uint64_t fileSize = image.fileSize();
    for (std::int32_t disk = 0; disk < disks; ++disk) {
        if (!image.selectDisk(disk))
            continue;
        if (image.diskOffset(disk) + image.selectedDiskSize() > fileSize) {
            out << "warning: disk " << disk << "'s size (" << image.selectedDiskSize()
                << " bytes) reaches past the end of the file (" << fileSize << " bytes): it may not be a D88 image\n";
            return;
        }
    }
}

} // namespace

void reportImage(D88Image& image, const Options& options, std::span<std::uint8_t> buffer, std::ostream& out)
{
    // Zero padding or another format after the disks reads as disks of a
    // size below one header; those are bytes after the last disk, not disks.
    const std::optional<ChainEnd> chain = chainEnd(image);
    const std::int32_t disks = chain ? chain->disk : image.diskCount();
    reportForeign(image, disks, out);
    if (image.diskCount() == 0) {
        out << "no disk: the file is shorter than one disk header (688 bytes)\n";
        return;
    }
    if (disks == 0) {
        out << "no disk: the disk header at offset 0 gives a size of " << chain->size
            << " bytes, less than the header's own " << DiskHeader::size << "\n";
        return;
    }
    // Every disk is identified first and then what is read of each prepared,
    // so that two passes over the image answer all the reads.
    std::vector<DiskKind> kinds = identifyDisks(image, buffer, 0, disks);
    if (options.as)
        kinds.assign(kinds.size(), *options.as);
    prepareCatalogues(image, kinds, options.map ? SectorMap::listingCapacity : 0);
    for (std::int32_t disk = 0; disk < disks; ++disk) {
        const bool selected = image.selectDisk(disk);
        image.setSectorRange(setFirstSector, setLastSector);
        out << (disk == 0 ? "" : "\n") << "disk " << disk << " at offset " << image.diskOffset(disk);
        if (!selected) {
            out << ": header cannot be read\n";
            continue;
        }
        std::int32_t present = 0;
        for (std::int32_t track = 0; track < D88Image::trackCount; ++track)
            present += image.trackPresent(track) ? 1 : 0;
        char media[8];
        std::snprintf(media, sizeof media, "0x%02X", static_cast<unsigned>(image.mediaType()));
        out << ": name \"" << console::ShiftJisName{image.diskName()} << "\", media type " << media << " ("
            << mediaName(image.mediaType()) << "), size " << image.selectedDiskSize() << " bytes, " << present
            << " tracks present\n";

        std::fill_n(buffer.begin(), IdentifyingSector::capacity, std::uint8_t{0});
        const Identification id = identify(image, buffer, 0);
        reportIdentification(image, buffer, id, out);

        const DiskKind kind = options.as.value_or(id.kind);
        const auto files = catalogueFor(kind);
        std::vector<FileRead> reads;
        if (!files.empty()) {
            out << "  files of " << kindName(kind) << ", as d88cut would find them:\n";
            reads = reportFiles(image, files, buffer, out);
        }
        if (options.map) {
            const SectorMap map(files, reads);
            out << "  sector map (R of each record in track order; C/H/R/N where they do not fit the track";
            if (!files.empty())
                out << "; =CODE: used by " << map.legend();
            out << "):\n";
            map.print(image, out);
        }
    }
    if (!chain && image.moreDisksFollow()) {
        out << "\n... more disks follow; only the first " << D88Image::maxDisks << " are read\n";
    } else if (const std::uint64_t end = chain ? chain->offset : lastDiskEnd(image, disks); end < image.fileSize()) {
        out << "\n" << image.fileSize() - end << " bytes follow the last disk, from offset " << end << "\n";
    }
}

} // namespace d88::info
