#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace d88::console {

// A message in Japanese, held as the Shift_JIS (code page 932) bytes the
// programs write. Where a person reads the stream directly (a terminal whose
// locale uses UTF-8, a Windows console) it is written as the characters it
// stands for; to a file or a pipe it stays the Shift_JIS bytes.
struct JapaneseText {
    std::string_view shiftJis;
};
std::ostream& operator<<(std::ostream& stream, JapaneseText text);

// Marks a stream as read by a person, so JapaneseText is written there as UTF-8.
void showAsCharacters(std::ostream& stream);

// A name read from an image (a disk name), Shift_JIS as the machines that
// wrote it used. Where a person reads the stream it is written as its
// characters; every byte that starts none, every control byte and the
// backslash as \xHH. Elsewhere every byte but printable ASCII is \xHH, so
// the line stays ASCII whatever the name holds.
struct ShiftJisName {
    std::string_view bytes;
};
std::ostream& operator<<(std::ostream& stream, ShiftJisName name);

// The UTF-8 form of a Shift_JIS (code page 932) text; nullopt where it holds
// bytes that are no character.
std::optional<std::string> utf8Of(std::string_view shiftJis);

} // namespace d88::console
