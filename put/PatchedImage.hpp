#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <system_error>

#include "platform/ByteSource.hpp"
#include "put/FolderFiles.hpp"
#include "put/PutPlan.hpp"

namespace d88 {

// Hands the image's `size` bytes to `put` in order, a piece at a time, with
// the plan's pieces in place of what they cover: the image is streamed, never
// held whole. Fails with Error::imageChanged where the image no longer
// reads as `size` bytes, or its identity (with `id`) is no longer `id`.
// The image reads as `size` bytes and, with `id`, is still the file `id`
// names, with the same size and times.
bool isImageAsRead(const ByteSource& image, std::uint64_t size, const std::optional<FileId>& id);

using PutBytes = std::function<std::error_code(const std::uint8_t* data, std::size_t size)>;
std::error_code writePatched(const ByteSource& image, std::uint64_t size, const std::optional<FileId>& id,
                             const PutPlan& plan, const FolderFiles& files, const PutBytes& put);

} // namespace d88
