#include "SectorHeader.hpp"

#include "LittleEndian.hpp"

namespace d88 {

SectorHeader SectorHeader::parse(const std::uint8_t* bytes)
{
    SectorHeader header;
    header.c = bytes[cOffset];
    header.h = bytes[hOffset];
    header.r = bytes[rOffset];
    header.n = bytes[nOffset];
    header.sectorCount = readU16LE(&bytes[sectorCountOffset]);
    header.dataLength = readU16LE(&bytes[dataLengthOffset]);
    return header;
}

} // namespace d88
