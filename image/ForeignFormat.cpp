#include "image/ForeignFormat.hpp"

#include <algorithm>
#include <array>

namespace d88 {
namespace {

struct Magic {
    std::string_view name;
    std::size_t offset;
    std::string_view bytes;
    char any = '\0'; // a byte of `bytes` that stands for any byte
};

using namespace std::string_view_literals;

// clang-format off: one format a line
constexpr std::array<Magic, 10> magics{{
    {"gzip", 0, "\x1F\x8B"sv},
    {"zip", 0, "PK\x03\x04"sv},
    {"zip", 0, "PK\x05\x06"sv},
    {"7z", 0, "7z\xBC\xAF\x27\x1C"sv},
    {"LZH", 2, "-lh?-"sv, '?'},
    {"LZH", 2, "-lz?-"sv, '?'},
    {"bzip2", 0, "BZh?1AY&SY"sv, '?'},
    {"xz", 0, "\xFD\x37zXZ\x00"sv},
    {"RAR", 0, "Rar!\x1A\x07"sv},
    {"zstd", 0, "\x28\xB5\x2F\xFD"sv},
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

} // namespace d88
