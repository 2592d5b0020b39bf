#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/JapaneseText.hpp"
#include "image/D88Image.hpp"
#include "set/Recognition.hpp"

namespace d88 {

// Every text d88cut writes. The Japanese ones are Shift_JIS bytes, written as
// they are except where a person reads the stream (see JapaneseText).
// "ファイルをオープンできません.\n" ("The file cannot be opened.")
inline constexpr console::JapaneseText openFailedText{
    "\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x83I\x81[\x83v\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1.\n"};
// "Disk A を認識しました.\n" ("Disk A recognised.")
inline constexpr console::JapaneseText diskARecognisedText{"Disk A \x82\xF0\x94"
                                                           "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n"};
// "Disk B を認識しました.\n" ("Disk B recognised.")
inline constexpr console::JapaneseText diskBRecognisedText{"Disk B \x82\xF0\x94"
                                                           "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n"};

// The name the program goes by where argv[0] is missing or empty.
inline constexpr std::string_view fallbackProgramName = "d88cut";
// After the usage line, for --help: the synopsis as the manual page has it, and what it means.
inline constexpr std::string_view helpText =
    "d88cut [-d DIR] [--] d88file [DiskNo]\n"
    "d88cut --help | -h | --version\n"
    "Cuts the files of Disk A and Disk B of the two-disk set out of a D88 image\n"
    "into the current folder. The image is required, though the line above shows\n"
    "it in [ ]; ( ) marks the optional disk number.\n"
    "  d88file   the D88 image to read\n"
    "  DiskNo.   1 or 2: take the image's first disk as Disk A (1) or Disk B (2),\n"
    "            without looking at its signature, and stop after it\n"
    "  -d DIR, --directory=DIR\n"
    "            write the files into DIR instead, creating it if it is missing\n"
    "  --        ends the options: an image name after it may begin with -\n"
    "  --help, -h   show this text; --version   show the version\n"
    "Without DiskNo, an image that holds neither disk is named on standard error;\n"
    "d88info IMAGE shows what it holds.\n";
// Why a file whose extent would not fit the cut buffer is not written.
inline constexpr std::string_view tooLargeReason = "larger than the cut buffer";

// When the progress lines, or the messages, could not all be written (a full
// disk, a closed pipe); each is reported on the other stream.
inline constexpr std::string_view standardOutputFailedText = "error: cannot write standard output\n";
inline constexpr std::string_view standardErrorFailedText = "error: cannot write standard error\n";
inline constexpr std::string_view outOfMemoryText = "error: out of memory\n";

// Started from Explorer (Windows): what to do with the program, where it was
// double-clicked with no image dropped on it; and the window's last line.
inline constexpr std::string_view dropHelpText =
    "d88cut cuts the files of Disk A and Disk B out of D88 disk images.\n"
    "Drop one or more image files on d88cut.exe: the files of each go into a\n"
    "folder beside it, named after it (set.d88 -> set).\n"
    "From a command prompt: d88cut IMAGE [DiskNo]; d88cut --help says more.\n";

// "Usage: PROGRAM [d88file] (DiskNo.)\n"
std::string usageText(std::string_view program);
// "error: cannot open IMAGE: REASON\n", after openFailedText.
std::string openError(std::string_view image, std::string_view reason);
// "error: cannot create folder DIR: REASON\n"
std::string folderError(std::string_view folder, std::string_view reason);
// Said where the image holds more disks than are read.
std::string disksPassedOver(std::string_view image, std::int32_t read);
// Said where a disk header gives a size below its own: from its offset on the
// file is zero padding or another format, not more disks.
std::string chainEnds(std::string_view image, std::uint64_t offset, std::uint32_t size);
// Said once for a disk whose size reaches past the end of the file.
std::string diskCutShort(std::string_view image, std::int32_t disk, std::uint32_t size, std::uint64_t held);
// Said where DiskNo takes a disk as `taken` that its signature calls `signature`.
std::string diskNumberContradicts(std::string_view image, int diskNumber, DiskKind taken, DiskKind signature);
// What the file is instead of a D88 image: an archive (`archive` names its
// format), or too short to hold a disk; nullopt where it may be one.
std::optional<std::string> notAnImage(std::string_view image, std::optional<std::string_view> archive, bool noDisk);
// Why a run recognised no disk: notAnImage, or it holds other disks.
std::string nothingFound(std::string_view image, std::optional<std::string_view> archive, bool noDisk);
// Said once two files in a row could not be written for the same reason:
// the folder, not the files, is what refuses.
std::string folderRefuses(std::string_view folder, std::string_view reason);
// Before the log of one dropped image: "\nIMAGE -> FOLDER\n".
std::string dropHeading(std::string_view image, std::string_view folder);
// "cutting ... NAME\n", on standard output.
std::string progressLine(std::string_view name);
// "warning: NAME: only F of L bytes found (STOP); the rest is zero-filled\n"
std::string shortfallWarning(std::string_view name, std::int32_t found, std::int32_t length,
                             const D88Image::Shortfall& stop);
// "error: cannot write NAME: REASON\n"
std::string writeError(std::string_view name, std::string_view reason);
// "error: NAME is written and in place, but closing it failed: REASON\n"
std::string closeError(std::string_view name, std::string_view reason);
// "error: cannot sync folder DIR: REASON; the files written are in place but
// may not survive a crash\n"
std::string syncError(std::string_view folder, std::string_view reason);

} // namespace d88
