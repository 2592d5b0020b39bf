#include "set/ReadPlan.hpp"

#include <algorithm>

#include "image/D88Image.hpp"
#include "set/Catalogue.hpp"

namespace d88 {

std::vector<DiskKind> identifyDisks(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber, std::int32_t disks)
{
    using S = IdentifyingSector;
    disks = std::min(disks, image.diskCount());
    WalkPlan plan;
    for (std::int32_t disk = 0; disk < disks; ++disk)
        if (image.selectDisk(disk))
            image.planSector(plan, SectorAddress{S::track, S::c, S::h, S::r, S::n});
    image.prepare(plan, D88Image::LaterPasses::follow);

    std::vector<DiskKind> kinds;
    for (std::int32_t disk = 0; disk < disks; ++disk) {
        // As the programs' own loops read it: a disk that cannot be selected reads nothing.
        static_cast<void>(image.selectDisk(disk));
        image.setSectorRange(setFirstSector, setLastSector);
        kinds.push_back(identify(image, buffer, diskNumber).kind);
    }
    return kinds;
}

void prepareCatalogues(D88Image& image, std::span<const DiskKind> kinds, std::size_t listingCapacity)
{
    WalkPlan plan;
    for (std::size_t disk = 0; disk < kinds.size(); ++disk) {
        if (!image.selectDisk(static_cast<std::int32_t>(disk)))
            continue;
        image.setSectorRange(setFirstSector, setLastSector);
        for (const CatalogueFile& file : catalogueFor(kinds[disk]))
            if (file.skip >= 0 && file.length >= 0)
                image.planExtent(plan, file.start,
                                 static_cast<std::size_t>(file.skip) + static_cast<std::size_t>(file.length));
        if (listingCapacity > 0)
            for (std::int32_t track = 0; track < D88Image::trackCount; ++track)
                image.planListing(plan, track, listingCapacity);
    }
    image.prepare(plan);
}

TakenDisks takeDisks(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber)
{
    TakenDisks taken;
    taken.signatures = identifyDisks(image, buffer, 0, diskNumber != 0 ? 1 : image.diskCount());
    taken.kinds = taken.signatures;
    if (diskNumber != 0)
        std::fill(taken.kinds.begin(), taken.kinds.end(), diskNumber == 1 ? DiskKind::diskA : DiskKind::diskB);
    return taken;
}

} // namespace d88
