#include "bench/Floor.hpp"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include "image/LittleEndian.hpp"
#include "set/Catalogue.hpp"

namespace d88::bench {
namespace {

struct Sector {
    std::uint32_t identity; // C, H, R, N packed
    std::uint32_t length;
    std::uint64_t data;
};

std::uint32_t pack(int c, int h, int r, int n)
{
    return static_cast<std::uint32_t>(c | h << 8 | r << 16 | n << 24);
}

using Track = std::vector<Sector>;

std::array<Track, 164> indexTracks(const std::vector<std::uint8_t>& file, std::uint64_t disk)
{
    std::array<Track, 164> tracks;
    const std::uint32_t size = readU32LE(&file[disk + 0x1C]);
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const std::uint32_t entry = readU32LE(&file[disk + 0x20 + 4 * t]);
        if (entry == 0 || entry > size)
            continue;
        std::uint64_t at = disk + entry;
        for (std::uint64_t i = 0; at + 16 <= file.size(); ++i) {
            const std::uint32_t count = readU16LE(&file[at + 4]);
            const std::uint32_t length = readU16LE(&file[at + 14]);
            tracks[t].push_back({pack(file[at], file[at + 1], file[at + 2], file[at + 3]), length, at + 16});
            at += 16 + length;
            if (count == 0 || i + 1 == count)
                break;
        }
    }
    return tracks;
}

const Sector* find(const Track& track, std::uint32_t identity)
{
    for (const Sector& sector : track)
        if (sector.identity == identity)
            return &sector;
    return nullptr;
}

} // namespace

std::uint64_t floorJob(const std::filesystem::path& image, const std::filesystem::path& folder)
{
    std::ifstream in(image, std::ios::binary);
    std::vector<std::uint8_t> file(static_cast<std::size_t>(std::filesystem::file_size(image)));
    in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
    file.resize(static_cast<std::size_t>(in.gcount()));
    std::uint64_t written = 0;
    std::vector<std::uint8_t> buffer;
    for (std::uint64_t disk = 0, n = 0; n < 64 && disk + 0x2B0 <= file.size(); ++n) {
        const auto tracks = indexTracks(file, disk);
        DiskKind kind = DiskKind::neither;
        if (const Sector* id = find(tracks[1], pack(0, 1, 1, 3))) {
            if (id->length >= 18 && file[id->data + 16] == 0xF3 && file[id->data + 17] == 0xED)
                kind = DiskKind::diskA;
            else if (id->length >= 2 && file[id->data] == 0xFF && file[id->data + 1] == 0x08)
                kind = DiskKind::diskB;
        }
        for (const CatalogueFile& entry : catalogueFor(kind)) {
            buffer.assign(static_cast<std::size_t>(entry.length), 0);
            int track = entry.start.track, r = entry.start.r;
            for (std::size_t at = 0; at < buffer.size(); at += 1024) {
                const Sector* sector = find(tracks[static_cast<std::size_t>(track)], pack(track >> 1, track & 1, r, 3));
                if (sector == nullptr || sector->length < 1024 || sector->data + 1024 > file.size())
                    break;
                std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(sector->data), 1024,
                            buffer.begin() + static_cast<std::ptrdiff_t>(at));
                r = r == 5 ? 1 : r + 1;
                track += r == 1;
            }
            // Whole under a temporary name, its data on the disk, then renamed:
            // the guarantee d88cut gives.
            const auto temporary = folder / ("." + entry.name + ".floor-part");
            const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (out < 0 || ::write(out, buffer.data(), buffer.size()) != static_cast<ssize_t>(buffer.size()) ||
                ::fdatasync(out) != 0 || ::close(out) != 0)
                throw std::runtime_error("cannot write " + temporary.string());
            std::filesystem::rename(temporary, folder / entry.name);
            written += buffer.size();
        }
        disk += readU32LE(&file[disk + 0x1C]);
    }
    // The names on the disk too, once, after the last.
    const int names = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (names < 0 || ::fsync(names) != 0 || ::close(names) != 0)
        throw std::runtime_error("cannot sync " + folder.string());
    return written;
}

} // namespace d88::bench
