#include "tool/Messages.hpp"

#include "console/PrintableName.hpp"
#include "image/DiskHeader.hpp"
#include "set/FileRead.hpp"

namespace d88 {
namespace {

// Every name a message echoes is the user's or the file system's: its
// control bytes are escaped, so it cannot act on the terminal.
std::string shown(std::string_view name)
{
    return console::printableName(name);
}

std::string kindText(DiskKind kind)
{
    if (kind == DiskKind::neither)
        return "neither Disk A nor Disk B";
    return kind == DiskKind::diskA ? "Disk A" : "Disk B";
}

} // namespace

std::string usageText(std::string_view program)
{
    return "Usage: " + std::string(program) + " [d88file] (DiskNo.)\n";
}

std::string openError(std::string_view image, std::string_view reason)
{
    return "error: cannot open " + shown(image) + ": " + std::string(reason) + "\n";
}

std::string folderError(std::string_view folder, std::string_view reason)
{
    return "error: cannot create folder " + shown(folder) + ": " + std::string(reason) + "\n";
}

std::string disksPassedOver(std::string_view image, std::int32_t read)
{
    return "warning: " + shown(image) + " holds more than " + std::to_string(read) + " disks; only the first " +
        std::to_string(read) + " are read\n";
}

std::string chainEnds(std::string_view image, std::uint64_t offset, std::uint32_t size)
{
    return "warning: " + shown(image) + " no longer reads as disks from offset " + std::to_string(offset) +
        ": the disk header there gives a size of " + std::to_string(size) + " bytes, less than the header's own " +
        std::to_string(DiskHeader::size) + "\n";
}

std::string diskCutShort(std::string_view image, std::int32_t disk, std::uint32_t size, std::uint64_t held)
{
    return "warning: " + shown(image) + ": disk " + std::to_string(disk) + " is cut short: its header gives " +
        std::to_string(size) + " bytes, and the file holds only " + std::to_string(held) + " of them\n";
}

std::string diskNumberContradicts(std::string_view image, int diskNumber, DiskKind taken, DiskKind signature)
{
    return "warning: " + shown(image) + ": disk 0 is taken as " + kindText(taken) + " as DiskNo " +
        std::to_string(diskNumber) + " asks, but its signature says " + kindText(signature) + "\n";
}

std::optional<std::string> notAnImage(std::string_view image, std::optional<std::string_view> archive, bool noDisk)
{
    if (archive)
        return "warning: " + shown(image) + " is " + std::string(*archive) +
            " archive, not a D88 image: unpack it first\n";
    if (noDisk)
        return "warning: " + shown(image) + " is shorter than one disk header (" + std::to_string(DiskHeader::size) +
            " bytes): it is not a D88 image\n";
    return std::nullopt;
}

std::string nothingFound(std::string_view image, std::optional<std::string_view> archive, bool noDisk)
{
    if (auto instead = notAnImage(image, archive, noDisk))
        return *instead;
    const std::string name = shown(image);
    return "warning: " + name + " holds neither Disk A nor Disk B; see what it holds with: d88info " + name + "\n";
}

std::string folderRefuses(std::string_view folder, std::string_view reason)
{
    return "error: cannot write into folder " + shown(folder) + ": " + std::string(reason) +
        " (every file is still tried; those that fail alike are not named)\n";
}

std::string dropHeading(std::string_view image, std::string_view folder)
{
    std::string heading(1, '\n');
    return heading.append(shown(image)).append(" -> ").append(shown(folder)).append("\n");
}

std::string progressLine(std::string_view name)
{
    return "cutting ... " + std::string(name) + "\n";
}

std::string shortfallWarning(std::string_view name, std::int32_t found, std::int32_t length,
                             const D88Image::Shortfall& stop)
{
    return "warning: " + std::string(name) + ": only " + std::to_string(found) + " of " + std::to_string(length) +
        " bytes found (" + stopText(stop) + "); the rest is zero-filled\n";
}

std::string writeError(std::string_view name, std::string_view reason)
{
    return "error: cannot write " + std::string(name) + ": " + std::string(reason) + "\n";
}

std::string closeError(std::string_view name, std::string_view reason)
{
    return "error: " + std::string(name) + " is written and in place, but closing it failed: " + std::string(reason) +
        "\n";
}

std::string syncError(std::string_view folder, std::string_view reason)
{
    return "error: cannot sync folder " + shown(folder) + ": " + std::string(reason) +
        "; the files written are in place but may not survive a crash\n";
}

} // namespace d88
