#include "info/Report.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "image/D88Image.hpp"
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

// Disk names are raw bytes: anything unprintable is shown as \xNN.
std::string printable(const char* text)
{
    std::string shown;
    for (const char* p = text; *p != 0; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown += *p;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown;
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

void reportIdentification(std::span<const std::uint8_t> sector, const Identification& id, std::ostream& out)
{
    using S = IdentifyingSector;
    out << "  identifying sector (track " << S::track << ", C " << S::c << ", H " << S::h << ", R " << S::r << ", N "
        << S::n << "): ";
    if (id.placed == 0)
        out << "missing or empty\n";
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

// Where the last disk ends by its size field; the file's end where none can be read.
std::uint64_t lastDiskEnd(D88Image& image)
{
    const std::int32_t last = image.diskCount() - 1;
    if (last < 0 || !image.selectDisk(last))
        return image.fileSize();
    return image.diskOffset(last) + image.selectedDiskSize();
}

// One line before the report where the file does not look like a D88 image:
// it starts like an archive, or a disk's size reaches past the file's end.
void reportForeign(D88Image& image, std::ostream& out)
{
    std::array<std::uint8_t, archiveHeadSize> head{};
    const std::size_t got = image.readHead(head);
    if (const auto archive = archiveFormatOf(std::span(head).first(got))) {
        out << "warning: this file starts like " << *archive << " archive, not a D88 image: unpack it first\n";
        return;
    }
    const std::uint64_t fileSize = image.fileSize();
    for (std::int32_t disk = 0; disk < image.diskCount(); ++disk) {
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
    reportForeign(image, out);
    if (image.diskCount() == 0) {
        out << "no disk: the file is shorter than one disk header (688 bytes)\n";
        return;
    }
    // Every disk is identified first and then what is read of each prepared,
    // so that two passes over the image answer all the reads.
    std::vector<DiskKind> kinds = identifyDisks(image, buffer, 0, image.diskCount());
    if (options.as)
        kinds.assign(kinds.size(), *options.as);
    prepareCatalogues(image, kinds, options.map ? SectorMap::listingCapacity : 0);
    for (std::int32_t disk = 0; disk < image.diskCount(); ++disk) {
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
        out << ": name \"" << printable(image.diskName()) << "\", media type " << media << " ("
            << mediaName(image.mediaType()) << "), size " << image.selectedDiskSize() << " bytes, " << present
            << " tracks present\n";

        std::fill_n(buffer.begin(), IdentifyingSector::capacity, std::uint8_t{0});
        const Identification id = identify(image, buffer, 0);
        reportIdentification(buffer, id, out);

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
    if (image.moreDisksFollow()) {
        out << "\n... more disks follow; only the first " << D88Image::maxDisks << " are read\n";
    } else if (const std::uint64_t end = lastDiskEnd(image); end < image.fileSize()) {
        out << "\n" << image.fileSize() - end << " bytes follow the last disk, from offset " << end << "\n";
    }
}

} // namespace d88::info
