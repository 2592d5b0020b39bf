#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "D88Image.hpp"

namespace d88 {

// Every text d88cut writes. The Japanese ones are Shift_JIS bytes, written as they are.
// "ファイルをオープンできません.\n"
inline constexpr std::string_view openFailedText =
    "\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x83I\x81[\x83v\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1.\n";
// "Disk A を認識しました.\n"
inline constexpr std::string_view diskARecognisedText = "Disk A \x82\xF0\x94"
                                                        "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";
// "Disk B を認識しました.\n"
inline constexpr std::string_view diskBRecognisedText = "Disk B \x82\xF0\x94"
                                                        "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";

inline constexpr std::string_view fallbackProgramName = "d88cut";
// After the usage line, for --help.
inline constexpr std::string_view helpText =
    "Cuts the files of Disk A and Disk B of the two-disk set out of a D88 image\n"
    "into the current folder. The image is required, though the line above shows\n"
    "it in [ ]; ( ) marks the optional disk number.\n"
    "  d88file   the D88 image to read\n"
    "  DiskNo.   1 or 2: take the image's first disk as Disk A (1) or Disk B (2),\n"
    "            without looking at its signature, and stop after it\n"
    "  --help, -h   show this text; --version   show the version\n";
inline constexpr std::string_view versionText = "d88cut " D88_VERSION "\n";
// Why a file whose extent would not fit the cut buffer is not written.
inline constexpr std::string_view tooLargeReason = "larger than the cut buffer";

// When the progress lines could not all be written (a full disk, a closed output).
inline constexpr std::string_view standardOutputFailedText = "error: cannot write standard output\n";
inline constexpr std::string_view outOfMemoryText = "error: out of memory\n";

// "Usage: PROGRAM [d88file] (DiskNo.)\n"
std::string usageText(std::string_view program);
// "cutting ... NAME\n", on standard output.
std::string progressLine(std::string_view name);
// "warning: NAME: only F of L bytes found (STOP); the rest is zero-filled\n"
std::string shortfallWarning(std::string_view name, std::int32_t found, std::int32_t length,
                             const D88Image::Shortfall& stop);
// "error: cannot write NAME: REASON\n"
std::string writeError(std::string_view name, std::string_view reason);

} // namespace d88
