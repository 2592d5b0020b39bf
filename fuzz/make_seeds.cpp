// Writes the seed inputs of the fuzz targets: set disks whole and damaged,
// and small images that reach the reader's edge cases.
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "SetDisk.hpp"

using namespace d88::build;

namespace {

void save(const std::filesystem::path& folder, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    if (!d88::build::save(folder / name, bytes))
        throw std::runtime_error("cannot write " + (folder / name).string());
}

// Only the tracks some catalogue file or the identifying read uses, to keep seeds small.
Disk compact(Disk disk, int lastTrack)
{
    for (auto it = disk.tracks.begin(); it != disk.tracks.end();)
        it = (it->first > lastTrack || (it->first > 8 && it->first < 64)) ? disk.tracks.erase(it) : std::next(it);
    return disk;
}

Record small(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::size_t length)
{
    return Record{c, h, r, 3, std::vector<std::uint8_t>(length, r), {}, {}};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: make-fuzz-seeds FOLDER\n";
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    const Disk a = setDisk('A', Signature::diskA);
    const Disk b = setDisk('B', Signature::diskB);
    save(folder, "disk-a.d88", a.bytes());
    save(folder, "disk-b.d88", b.bytes());
    save(folder, "compact-a.d88", compact(a, 78).bytes());
    save(folder, "b-then-a.d88", image({compact(b, 68), compact(a, 78)}));

    Disk damaged = compact(a, 78);
    damaged.tracks[8].erase(damaged.tracks[8].begin() + 2);
    damaged.find(68, 2)->data.resize(100);
    damaged.find(70, 1)->sectorCount = 0;
    damaged.find(72, 3)->dataLength = 0xFFFF;
    auto truncated = damaged.bytes();
    truncated.resize(truncated.size() * 2 / 3);
    save(folder, "damaged-a.d88", truncated);

    Disk tiny;
    tiny.name = "TINY";
    tiny.tracks[1] = {small(0, 1, 1, 18), small(0, 1, 2, 0), small(0, 1, 1, 40)};
    tiny.tracks[1][0].data[16] = 0xF3;
    tiny.tracks[1][0].data[17] = 0xED;
    tiny.tracks[2] = {small(1, 0, 1, 4)};
    tiny.tracks[2][0].sectorCount = 0;
    tiny.trackEntryOverrides[3] = 0xFFFFFFF0;
    tiny.trackEntryOverrides[4] = 0x2B0 - 8;
    save(folder, "tiny.d88", tiny.bytes());

    Disk zeroSize = tiny;
    zeroSize.diskSize = 0;
    save(folder, "zero-size.d88", zeroSize.bytes());
    save(folder, "many-disks.d88", image(std::vector<Disk>(66, tiny)));
    save(folder, "short-header.d88", std::vector<std::uint8_t>(687, 0));
    return 0;
}
