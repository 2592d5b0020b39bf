#include "console/JapaneseText.hpp"

#include <array>
#include <cstdint>

namespace d88::console {
namespace {

// Per-stream flag: the stream is read by a person (iword, so it needs no
// registry of streams and each stream carries its own).
int characterStreamIndex()
{
    static const int index = std::ios_base::xalloc();
    return index;
}

// The double-byte ranges of code page 932 whose characters follow each other
// in Unicode order: the hiragana, and the katakana in two runs around 0x7F.
struct Run {
    std::uint16_t first;
    std::uint16_t last;
    char32_t start;
};
constexpr std::array<Run, 3> runs{
    {{0x829F, 0x82F1, U'\u3041'}, {0x8340, 0x837E, U'\u30A1'}, {0x8380, 0x8396, U'\u30E0'}}};

// Other characters the texts use: the long vowel mark and two kanji.
struct Single {
    std::uint16_t code;
    char32_t character;
};
constexpr std::array<Single, 3> singles{{{0x815B, U'\u30FC'}, {0x9446, U'\u8A8D'}, {0x8EAF, U'\u8B58'}}};

constexpr std::uint8_t halfWidthFirst = 0xA1;
constexpr std::uint8_t halfWidthLast = 0xDF;
constexpr char32_t halfWidthStart = U'\uFF61';

bool isLeadByte(std::uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::optional<char32_t> doubleByte(std::uint16_t code)
{
    for (const Run& run : runs)
        if (code >= run.first && code <= run.last)
            return run.start + (code - run.first);
    for (const Single& single : singles)
        if (code == single.code)
            return single.character;
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t character)
{
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

} // namespace

std::optional<std::string> utf8Of(std::string_view shiftJis)
{
    std::string out;
    for (std::size_t i = 0; i < shiftJis.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(shiftJis[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte); // code page 932 keeps ASCII, the backslash included
        } else if (byte >= halfWidthFirst && byte <= halfWidthLast) {
            appendUtf8(out, halfWidthStart + (byte - halfWidthFirst));
        } else if (isLeadByte(byte) && i + 1 < shiftJis.size()) {
            const auto code = static_cast<std::uint16_t>(byte << 8 | static_cast<std::uint8_t>(shiftJis[++i]));
            const auto character = doubleByte(code);
            if (!character)
                return std::nullopt;
            appendUtf8(out, *character);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

void showAsCharacters(std::ostream& stream)
{
    stream.iword(characterStreamIndex()) = 1;
}

std::ostream& operator<<(std::ostream& stream, JapaneseText text)
{
    if (stream.iword(characterStreamIndex()) != 0)
        if (const auto characters = utf8Of(text.shiftJis))
            return stream << *characters;
    return stream << text.shiftJis;
}

} // namespace d88::console
