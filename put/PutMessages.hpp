#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/D88Image.hpp"
#include "set/Recognition.hpp"

namespace d88 {

// Every text d88put writes. Names are shown through console::printableName.

// The name the program goes by where argv[0] is missing or empty.
inline constexpr std::string_view putProgramName = "d88put";
// After the usage lines, for --help.
inline constexpr std::string_view putHelpText =
    "Puts the files of Disk A and Disk B of the two-disk set, as d88cut names them,\n"
    "back into a D88 image: byte i of a file goes exactly where d88cut takes byte i\n"
    "from. A file missing from the folder is left as the image has it. If any file\n"
    "is refused, nothing is written.\n"
    "  d88file   the D88 image to start from; only read unless --in-place is given\n"
    "  DiskNo    1 or 2: take the image's first disk as Disk A (1) or Disk B (2),\n"
    "            without looking at its signature, and stop after it\n"
    "  -o NEW, --output=NEW\n"
    "            write the changed image to NEW (never the image itself)\n"
    "  --in-place   replace d88file by the changed image, in one step\n"
    "  -d DIR, --directory=DIR\n"
    "            take the files from DIR instead of the current folder\n"
    "  --        ends the options: an image name after it may begin with -\n"
    "  --help, -h   show this text; --version   show the version\n";

// "Usage: PROGRAM [-d DIR] -o NEW [--] d88file [DiskNo]" and the --in-place line.
std::string putUsageText(std::string_view program);
// "put ... NAME (disk N, Disk A)\n", on standard output once the image is written.
std::string putLine(std::string_view name, std::int32_t disk, DiskKind kind);
// A file shorter than its extent.
std::string shorterNote(std::string_view name, std::uint64_t size, std::int32_t length);
// A file whose new bytes no longer carry its disk's signature.
std::string signatureWarning(std::string_view name, std::int32_t disk, DiskKind kind);

// Refusals, each one line.
std::string longerRefusal(std::string_view name, std::uint64_t size, std::int32_t length);
std::string noDataRefusal(std::string_view name, std::int32_t disk, std::int32_t found,
                          const D88Image::Shortfall& stop);
std::string unreadableRefusal(std::string_view name, std::string_view reason);
std::string conflictRefusal(std::string_view first, std::string_view second, std::uint64_t position);
std::string headerRefusal(std::string_view name, std::uint64_t position);
// After the refusals: nothing was written.
std::string nothingWritten(std::size_t refusals);

// Why nothing could be put at all.
std::string noFilesError(std::string_view folder);
// "error: cannot read folder DIR: REASON\n": -d names no folder.
std::string folderMissing(std::string_view folder, std::string_view reason);
std::string noDiskError(std::string_view image, std::optional<std::string_view> archive, bool noDisk);
std::string imageIsOutput(std::string_view output);
std::string imageChangedError(std::string_view image);
// "error: cannot write NEW: REASON\n"
std::string outputError(std::string_view output, std::string_view reason);

} // namespace d88
