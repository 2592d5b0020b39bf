#pragma once

#include <string_view>

namespace d88 {

// The tool's Japanese texts as Shift_JIS bytes, written to standard error as they are.
// "ファイルをオープンできません.\n"
inline constexpr std::string_view openFailedText =
    "\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x83I\x81[\x83v\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1.\n";
// "Disk A を認識しました.\n"
inline constexpr std::string_view diskARecognisedText =
    "Disk A \x82\xF0\x94" "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";
// "Disk B を認識しました.\n"
inline constexpr std::string_view diskBRecognisedText =
    "Disk B \x82\xF0\x94" "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";

} // namespace d88
