#include "builder/SetDisk.hpp"

#include <cstdio>

namespace d88::build {

std::vector<std::uint8_t> stampedSector(char label, int track, int r)
{
    char line[64];
    const int length = std::snprintf(line, sizeof line, "Disk %c track %03d C %02d H %d R %d\n", label, track,
                                     track >> 1, track & 1, r);
    std::vector<std::uint8_t> data(setSectorSize);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(line[i % static_cast<std::size_t>(length)]);
    return data;
}

Disk setDisk(char label, Signature signature)
{
    Disk disk;
    disk.name = std::string("SET DISK ") + label;
    disk.mediaType = 0x10;
    for (int track = 0; track < setTracks; ++track) {
        auto& records = disk.tracks[track];
        for (int r = 1; r <= setSectorsPerTrack; ++r)
            records.push_back(Record{static_cast<std::uint8_t>(track >> 1),
                                     static_cast<std::uint8_t>(track & 1),
                                     static_cast<std::uint8_t>(r),
                                     3,
                                     stampedSector(label, track, r),
                                     {},
                                     {}});
    }
    auto& identifying = disk.tracks[1][0].data;
    if (signature == Signature::diskA) {
        identifying[16] = 0xF3;
        identifying[17] = 0xED;
    } else if (signature == Signature::diskB) {
        identifying[0] = 0xFF;
        identifying[1] = 0x08;
    }
    return disk;
}

} // namespace d88::build
