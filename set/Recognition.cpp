#include "set/Recognition.hpp"

#include <algorithm>

#include "image/D88Image.hpp"

namespace d88 {
namespace {

bool carries(std::span<const std::uint8_t> sector, std::int32_t placed, std::int32_t offset,
             const std::uint8_t (&signature)[2])
{
    const std::int32_t end = offset + 2;
    return placed >= end && static_cast<std::size_t>(end) <= sector.size() &&
        std::equal(signature, signature + 2, sector.begin() + offset);
}

} // namespace

DiskKind classify(std::span<const std::uint8_t> sector, std::int32_t placed, int diskNumber)
{
    using S = IdentifyingSector;
    if ((diskNumber == 0 && carries(sector, placed, S::diskAOffset, S::diskASignature)) || diskNumber == 1)
        return DiskKind::diskA;
    if ((diskNumber == 0 && carries(sector, placed, S::diskBOffset, S::diskBSignature)) || diskNumber == 2)
        return DiskKind::diskB;
    return DiskKind::neither;
}

Identification identify(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber)
{
    using S = IdentifyingSector;
    const auto capacity = static_cast<std::int32_t>(std::min<std::size_t>(buffer.size(), S::capacity));
    Identification result;
    result.placed = image.readSector(SectorAddress{S::track, S::c, S::h, S::r, S::n},
                                     buffer.first(static_cast<std::size_t>(capacity)));
    result.kind = classify(buffer, result.placed, diskNumber);
    return result;
}

} // namespace d88
