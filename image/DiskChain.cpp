#include "image/DiskChain.hpp"

#include "image/D88Image.hpp"

namespace d88 {

std::optional<ChainEnd> chainEnd(D88Image& image)
{
    for (std::int32_t disk = 0; disk < image.diskCount(); ++disk) {
        if (!image.selectDisk(disk))
            break;
        if (image.selectedDiskSize() < DiskHeader::size)
            return ChainEnd{disk, image.diskOffset(disk), image.selectedDiskSize()};
    }
    return std::nullopt;
}

} // namespace d88
