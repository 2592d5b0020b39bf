#pragma once

#include <cstdint>
#include <optional>

namespace d88 {

class D88Image;

// Where the chain of disks stops reading as disks: the first indexed disk
// whose size field is below one disk header, so that the next "disk" starts
// inside this one's header. Zero padding after the last disk, or another
// format's bytes, read so, and the index then repeats one disk up to its
// limit. The index keeps those entries; this says where they start.
struct ChainEnd {
    std::int32_t disk = 0;
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};
// Selects disks to read their sizes: select the one wanted afterwards.
std::optional<ChainEnd> chainEnd(D88Image& image);

} // namespace d88
