#include "put/PutMessages.hpp"

#include <array>
#include <cctype>
#include <charconv>

#include "console/PrintableName.hpp"
#include "image/DiskHeader.hpp"
#include "set/FileRead.hpp"

namespace d88 {
namespace {

using console::printableName;

std::string kindName(DiskKind kind)
{
    return kind == DiskKind::diskA ? "Disk A" : "Disk B";
}

std::string hex(std::uint64_t position)
{
    std::array<char, 16> digits{};
    const auto end = std::to_chars(digits.begin(), digits.end(), position, 16).ptr;
    std::string text = "0x";
    for (const char* digit = digits.begin(); digit != end; ++digit)
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(*digit)));
    return text;
}

} // namespace

std::string putUsageText(std::string_view program)
{
    const std::string name(program);
    return "Usage: " + name + " [-d DIR] -o NEW [--] d88file [DiskNo]\n       " + name +
        " [-d DIR] --in-place [--] d88file [DiskNo]\n";
}

std::string putLine(std::string_view name, std::int32_t disk, DiskKind kind)
{
    return "put ... " + printableName(name) + " (disk " + std::to_string(disk) + ", " + kindName(kind) + ")\n";
}

std::string shorterNote(std::string_view name, std::uint64_t size, std::int32_t length)
{
    return "warning: " + printableName(name) + ": " + std::to_string(size) + " of " + std::to_string(length) +
        " bytes; the rest of its extent keeps the image's bytes\n";
}

std::string signatureWarning(std::string_view name, std::int32_t disk, DiskKind kind)
{
    const bool a = kind == DiskKind::diskA;
    return "warning: " + printableName(name) +
        (a ? ": bytes 16-17 are no longer F3 ED" : ": bytes 0-1 are no longer FF 08") + ", the signature of " +
        kindName(kind) + ": disk " + std::to_string(disk) +
        (disk == 0 ? std::string(" will be recognised only with DiskNo ") + (a ? "1" : "2")
                   : std::string(" will no longer be recognised (DiskNo takes the first disk only)")) +
        "\n";
}

std::string longerRefusal(std::string_view name, std::uint64_t size, std::int32_t length)
{
    return "error: " + printableName(name) + ": " + std::to_string(size) + " bytes, longer than its " +
        std::to_string(length) + " bytes in the image\n";
}

std::string noDataRefusal(std::string_view name, std::int32_t disk, std::int32_t found, const D88Image::Shortfall& stop)
{
    return "error: " + printableName(name) + ": disk " + std::to_string(disk) + " holds only " + std::to_string(found) +
        " bytes of its extent (" + stopText(stop) + "); the rest would land where no data is\n";
}

std::string unreadableRefusal(std::string_view name, std::string_view reason)
{
    return "error: cannot read " + printableName(name) + ": " + std::string(reason) + "\n";
}

std::string conflictRefusal(std::string_view first, std::string_view second, std::uint64_t position)
{
    return "error: " + printableName(first) + " and " + printableName(second) +
        " would write different bytes at offset " + hex(position) + " of the image\n";
}

std::string headerRefusal(std::string_view name, std::uint64_t position)
{
    return "error: " + printableName(name) + ": would change the header at offset " + hex(position) +
        " of the image, that the reads rely on\n";
}

std::string nothingWritten(std::size_t refusals)
{
    return "error: nothing written: " + std::to_string(refusals) + (refusals == 1 ? " refusal" : " refusals") + "\n";
}

std::string noFilesError(std::string_view folder)
{
    return "error: " + printableName(folder) + " holds none of the files of the disks found; nothing to put\n";
}

std::string folderMissing(std::string_view folder, std::string_view reason)
{
    return "error: cannot read folder " + printableName(folder) + ": " + std::string(reason) + "\n";
}

std::string noDiskError(std::string_view image, std::optional<std::string_view> archive, bool noDisk)
{
    const std::string name = printableName(image);
    if (archive)
        return "error: " + name + " is " + std::string(*archive) + " archive, not a D88 image: unpack it first\n";
    if (noDisk)
        return "error: " + name + " is shorter than one disk header (" + std::to_string(DiskHeader::size) +
            " bytes): it is not a D88 image\n";
    return "error: " + name + " holds neither Disk A nor Disk B: no disk to put the files into\n";
}

std::string imageIsOutput(std::string_view output)
{
    return "error: " + printableName(output) + " is the image itself: give --in-place to replace it\n";
}

std::string imageChangedError(std::string_view image)
{
    return "error: " + printableName(image) + " changed while it was read; nothing written\n";
}

std::string outputError(std::string_view output, std::string_view reason)
{
    return "error: cannot write " + printableName(output) + ": " + std::string(reason) + "\n";
}

} // namespace d88
