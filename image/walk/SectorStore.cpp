#include "image/walk/SectorStore.hpp"

#include <algorithm>
#include <cstring>

namespace d88 {

void SectorStore::keep(ImageStream& stream, std::uint64_t position, std::size_t count)
{
    if (held_.count(position) != 0 || count > budget_ - used_)
        return;
    if (!bytes_)
        bytes_ = std::make_unique_for_overwrite<std::uint8_t[]>(budget_);
    const std::size_t got = stream.readAt(position, bytes_.get() + used_, count);
    held_.emplace(position, Held{used_, got, got < count});
    used_ += got;
}

std::optional<std::size_t> SectorStore::copy(std::uint64_t position, std::size_t count, std::uint8_t* destination) const
{
    const auto found = held_.find(position);
    if (found == held_.end())
        return std::nullopt;
    const Held& held = found->second;
    // More than was kept comes from the file, unless the file ends there.
    if (count > held.count && !held.fileEnds)
        return std::nullopt;
    const std::size_t copied = std::min(count, held.count);
    std::memcpy(destination, bytes_.get() + held.offset, copied);
    return copied;
}

} // namespace d88
