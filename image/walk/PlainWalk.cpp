#include "image/walk/PlainWalk.hpp"

#include <algorithm>

namespace d88 {

std::optional<FoundRecord> searchTrack(HeaderReader& reader, std::uint64_t start, std::uint32_t identity)
{
    std::uint64_t position = start;
    for (std::uint32_t i = 0; i < maxWalkRecords; ++i) {
        SectorHeader header;
        if (!reader.read(position, header) || header.sectorCount == 0)
            return std::nullopt;
        if (header.identity() == identity)
            return FoundRecord{position + SectorHeader::size, header.dataLength};
        if (i + 1 == header.sectorCount)
            return std::nullopt;
        position += SectorHeader::size + header.dataLength;
    }
    return std::nullopt;
}

std::vector<std::uint32_t> listTrack(HeaderReader& reader, std::uint64_t start, std::uint32_t limit)
{
    std::vector<std::uint32_t> identities;
    std::uint64_t position = start;
    for (std::uint32_t i = 0; i < std::min(limit, maxWalkRecords); ++i) {
        SectorHeader header;
        if (!reader.read(position, header))
            break;
        identities.push_back(header.identity());
        if (i + 1 == header.sectorCount)
            break;
        position += SectorHeader::size + header.dataLength;
    }
    return identities;
}

} // namespace d88
