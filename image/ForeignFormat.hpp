#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace d88 {

class D88Image;

// Bytes enough to tell every format archiveFormatOf knows.
inline constexpr std::size_t archiveHeadSize = 264;

// The archive or compressed format a file starts like, with its article for
// a message ("a gzip", "a zip", "an xz", "a tar", ...), from its first bytes; nullopt where it starts like none of
// them. A D88 image starts with a disk name, which none of these resembles.
std::optional<std::string_view> archiveFormatOf(std::span<const std::uint8_t> head);
// The same for the file an image has open.
std::optional<std::string_view> archiveFormatOf(D88Image& image);

} // namespace d88
