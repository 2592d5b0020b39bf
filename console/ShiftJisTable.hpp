#pragma once

// Every double-byte character of Shift_JIS as code page 932 has it (JIS X
// 0208 with the NEC and IBM extensions): one row per lead byte, 0x81-0x9F
// then 0xE0-0xFC, of one character per trail byte, 0x40-0x7E then 0x80-0xFC.
// U+FFFD where the two bytes are no character; a row without any is empty.
namespace d88::console {

inline constexpr int shiftJisLeadCount = 60;
inline constexpr int shiftJisTrailCount = 188;
extern const char16_t shiftJisRows[shiftJisLeadCount][shiftJisTrailCount + 1];

} // namespace d88::console
