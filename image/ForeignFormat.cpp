#include "image/ForeignFormat.hpp"

#include <array>

#include "image/D88Image.hpp"

#include <algorithm>
#include <array>

namespace d88 {
namespace {

// A tar header's magic follows the 257 bytes of its name, mode, owner, size and link fields.
constexpr std::size_t tarMagicOffset = 257;

struct Magic {
    std::string_view name;
    std::size_t offset;
    std::string_view bytes;
    char any = '\0'; // a byte of `bytes` that stands for any byte
};

using namespace std::string_view_literals;

// clang-format off: one format a line
constexpr std::array<Magic, 11> magics{{
    {"a gzip", 0, "\x1F\x8B"sv},
    {"a zip", 0, "PK\x03\x04"sv},
    {"a zip", 0, "PK\x05\x06"sv},
    {"a 7z", 0, "7z\xBC\xAF\x27\x1C"sv},
    {"a LZH", 2, "-lh?-"sv, '?'},
    {"a LZH", 2, "-lz?-"sv, '?'},
    {"a bzip2", 0, "BZh?1AY&SY"sv, '?'},
    {"an xz", 0, "\xFD\x37zXZ\x00"sv},
    {"a RAR", 0, "Rar!\x1A\x07"sv},
    {"a zstd", 0, "\x28\xB5\x2F\xFD"sv},
    {"a tar", tarMagicOffset, "ustar"sv}, // POSIX and GNU alike
}};
// clang-format on

bool startsLike(std::span<const std::uint8_t> head, const Magic& magic)
{
    if (head.size() < magic.offset + magic.bytes.size())
        return false;
    return std::equal(magic.bytes.begin(), magic.bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(magic.offset),
                      [&](char expected, std::uint8_t actual) {
                          return (magic.any != '\0' && expected == magic.any) ||
                              static_cast<std::uint8_t>(expected) == actual;
                      });
}

} // namespace

std::optional<std::string_view> archiveFormatOf(std::span<const std::uint8_t> head)
{
    for (const Magic& magic : magics)
        if (startsLike(head, magic))
            return magic.name;
    return std::nullopt;
}

std::optional<std::string_view> archiveFormatOf(D88Image& image)
{
    std::array<std::uint8_t, archiveHeadSize> head{};
    const std::size_t got = image.readHead(head);
    return archiveFormatOf(std::span(head).first(got));
}

} // namespace d88
