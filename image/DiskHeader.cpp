#include "image/DiskHeader.hpp"

#include "image/LittleEndian.hpp"

namespace d88 {

DiskHeader DiskHeader::parse(const std::array<std::uint8_t, size>& bytes)
{
    DiskHeader header;
    for (std::size_t i = 0; i < nameLength && bytes[nameOffset + i] != 0; ++i)
        header.name[i] = static_cast<char>(bytes[nameOffset + i]);
    header.mediaType = bytes[mediaTypeOffset];
    header.diskSize = readU32LE(&bytes[diskSizeOffset]);
    for (std::size_t i = 0; i < trackCount; ++i)
        header.trackTable[i] = readU32LE(&bytes[trackTableOffset + 4 * i]);
    return header;
}

} // namespace d88
