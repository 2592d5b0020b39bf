#include "console/PrintableName.hpp"

namespace d88::console {
namespace {

constexpr unsigned char firstPrintable = 0x20;
constexpr unsigned char deleteByte = 0x7F;
// U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8; a
// terminal may act on them as it does on ESC sequences.
constexpr unsigned char c1Lead = 0xC2;
constexpr unsigned char c1First = 0x80;
constexpr unsigned char c1Last = 0x9F;

} // namespace

void escape(std::string& out, unsigned char byte)
{
    constexpr std::string_view digits = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

std::string printableName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool c1 = byte == c1Lead && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= c1First &&
            static_cast<unsigned char>(name[i + 1]) <= c1Last;
        if (c1) {
            escape(out, byte);
            escape(out, static_cast<unsigned char>(name[++i]));
        } else if (byte < firstPrintable || byte == deleteByte) {
            escape(out, byte);
        } else {
            out += name[i];
        }
    }
    return out;
}

} // namespace d88::console
