#include "bench/BenchImages.hpp"

#include <algorithm>
#include <random>

#include "builder/SetDisk.hpp"

namespace d88::bench {
namespace {

using build::Disk;
using build::Record;

constexpr int chainLength = 65535;

Record foreign(std::uint16_t count)
{
    return Record{0xFF, 0xFF, 0xFF, 3, std::vector<std::uint8_t>(build::setSectorSize, 0xE5), count, {}};
}

} // namespace

std::vector<std::uint8_t> normalImage()
{
    std::mt19937 random(88);
    std::vector<Disk> disks{build::setDisk('A', build::Signature::diskA), build::setDisk('B', build::Signature::diskB)};
    for (Disk& disk : disks)
        for (auto& [track, records] : disk.tracks)
            std::shuffle(records.begin(), records.end(), random);
    return build::image(disks);
}

std::vector<std::uint8_t> hostileImage()
{
    const Disk b = build::setDisk('B', build::Signature::diskB);
    std::vector<Record> needed;
    for (int track = 1; track <= 68; ++track)
        if (track != 39)
            for (const Record& record : b.tracks.at(track))
                needed.push_back(record);

    Disk hostile;
    hostile.name = "HOSTILE B";
    auto& chain = hostile.tracks[0];
    chain.assign(chainLength - needed.size(), foreign(chainLength));
    for (Record& record : needed) {
        record.sectorCount = chainLength;
        chain.push_back(record);
    }
    for (int track = 1; track < 164; ++track)
        hostile.trackEntryOverrides[track] = 0x2B0;
    return hostile.bytes();
}

std::vector<std::uint8_t> chainImage(int records)
{
    Disk disk;
    const auto count = static_cast<std::uint16_t>(records);
    auto& chain = disk.tracks[0];
    chain.assign(static_cast<std::size_t>(records - 1), foreign(count));
    chain.push_back(Record{0, 0, 1, 3, std::vector<std::uint8_t>(build::setSectorSize, 0x11), count, {}});
    return disk.bytes();
}

} // namespace d88::bench
