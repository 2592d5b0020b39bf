#include "set/FileRead.hpp"

#include <algorithm>

namespace d88 {

FileRead readCatalogueFile(D88Image& image, const CatalogueFile& file, std::span<std::uint8_t> buffer)
{
    FileRead read;
    read.fits = file.skip >= 0 && file.length >= 0 &&
        static_cast<std::uint64_t>(file.skip) + static_cast<std::uint64_t>(file.length) <= buffer.size();
    if (!read.fits)
        return read;
    const std::int32_t wanted = file.skip + file.length;
    std::fill_n(buffer.begin(), wanted, std::uint8_t{0});
    const std::int32_t placed =
        image.readExtent(file.start, buffer.first(static_cast<std::size_t>(wanted)), &read.stop, &read.sectors);
    read.found = std::clamp(placed - file.skip, 0, file.length);
    read.complete = placed == wanted;
    return read;
}

std::string stopText(const D88Image::Shortfall& stop)
{
    return "track " + std::to_string(stop.track) + ", C " + std::to_string(stop.c) + " H " + std::to_string(stop.h) +
        " R " + std::to_string(stop.r) + ": " + std::to_string(stop.placed) + " of " + std::to_string(stop.requested) +
        " bytes";
}

} // namespace d88
