#include "console/JapaneseText.hpp"

#include <cstdint>

#include "console/PrintableName.hpp"
#include "console/ShiftJisTable.hpp"

namespace d88::console {
namespace {

// Per-stream flag: the stream is read by a person (iword, so it needs no
// registry of streams and each stream carries its own).
int characterStreamIndex()
{
    static const int index = std::ios_base::xalloc();
    return index;
}

constexpr std::uint8_t halfWidthFirst = 0xA1;
constexpr std::uint8_t halfWidthLast = 0xDF;
constexpr char32_t halfWidthStart = U'\uFF61';
constexpr std::uint8_t lowLeadFirst = 0x81;
constexpr std::uint8_t lowLeadLast = 0x9F;
constexpr std::uint8_t highLeadFirst = 0xE0;
constexpr std::uint8_t highLeadLast = 0xFC;
constexpr std::uint8_t trailFirst = 0x40;
constexpr std::uint8_t trailGap = 0x7F; // no trail byte
constexpr std::uint8_t trailLast = 0xFC;
constexpr char16_t noCharacter = u'\uFFFD';

// The character of a double-byte code; nullopt where the bytes are none.
std::optional<char32_t> doubleByte(std::uint8_t lead, std::uint8_t trail)
{
    int row = -1;
    if (lead >= lowLeadFirst && lead <= lowLeadLast)
        row = lead - lowLeadFirst;
    else if (lead >= highLeadFirst && lead <= highLeadLast)
        row = lead - highLeadFirst + (lowLeadLast - lowLeadFirst + 1);
    if (row < 0 || trail < trailFirst || trail > trailLast || trail == trailGap)
        return std::nullopt;
    const int column = trail - trailFirst - (trail > trailGap ? 1 : 0);
    const char16_t character = shiftJisRows[row][column];
    if (character == 0 || character == noCharacter)
        return std::nullopt;
    return character;
}

// The character the byte at `i` starts and the bytes it takes; nullopt
// where it starts none.
struct Decoded {
    char32_t character;
    std::size_t length;
};
std::optional<Decoded> decodeAt(std::string_view text, std::size_t i)
{
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte < 0x80)
        return Decoded{byte, 1}; // code page 932 keeps ASCII, the backslash included
    if (byte >= halfWidthFirst && byte <= halfWidthLast)
        return Decoded{halfWidthStart + (byte - halfWidthFirst), 1};
    if (i + 1 < text.size())
        if (const auto character = doubleByte(byte, static_cast<std::uint8_t>(text[i + 1])))
            return Decoded{*character, 2};
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

bool readByPerson(std::ostream& stream)
{
    return stream.iword(characterStreamIndex()) != 0;
}

} // namespace

std::optional<std::string> utf8Of(std::string_view shiftJis)
{
    std::string out;
    for (std::size_t i = 0; i < shiftJis.size();) {
        const auto decoded = decodeAt(shiftJis, i);
        if (!decoded)
            return std::nullopt;
        appendUtf8(out, decoded->character);
        i += decoded->length;
    }
    return out;
}

void showAsCharacters(std::ostream& stream)
{
    stream.iword(characterStreamIndex()) = 1;
}

std::ostream& operator<<(std::ostream& stream, JapaneseText text)
{
    if (readByPerson(stream))
        if (const auto characters = utf8Of(text.shiftJis))
            return stream << *characters;
    return stream << text.shiftJis;
}

std::ostream& operator<<(std::ostream& stream, ShiftJisName name)
{
    const bool characters = readByPerson(stream);
    std::string out;
    for (std::size_t i = 0; i < name.bytes.size();) {
        const auto byte = static_cast<unsigned char>(name.bytes[i]);
        const auto decoded = characters ? decodeAt(name.bytes, i) : std::nullopt;
        // Controls and the backslash stay escaped, so what is shown is unambiguous.
        const bool ascii = byte >= 0x20 && byte < 0x7F && byte != '\\';
        if (ascii) {
            out += static_cast<char>(byte);
            ++i;
        } else if (decoded && decoded->character >= 0x80) {
            appendUtf8(out, decoded->character);
            i += decoded->length;
        } else {
            escape(out, byte);
            ++i;
        }
    }
    return stream << out;
}

} // namespace d88::console
