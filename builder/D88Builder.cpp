#include "builder/D88Builder.hpp"

#include <algorithm>
#include <fstream>

namespace d88::build {
namespace {

constexpr std::size_t headerSize = 0x2B0;
constexpr std::size_t recordHeaderSize = 16;

void putU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    putU16(out, at, value & 0xFFFF);
    putU16(out, at + 2, value >> 16);
}

} // namespace

std::vector<std::uint8_t> Disk::bytes() const
{
    std::vector<std::uint8_t> out(headerSize, 0);
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 17), out.begin());
    out[0x1B] = mediaType;
    for (const auto& [track, records] : tracks) {
        putU32(out, 0x20 + 4 * static_cast<std::size_t>(track), static_cast<std::uint32_t>(out.size()));
        for (const Record& record : records) {
            const std::size_t at = out.size();
            out.resize(at + recordHeaderSize, 0);
            out[at + 0] = record.c;
            out[at + 1] = record.h;
            out[at + 2] = record.r;
            out[at + 3] = record.n;
            putU16(out, at + 4, record.sectorCount.value_or(static_cast<std::uint16_t>(records.size())));
            putU16(out, at + 14, record.dataLength.value_or(static_cast<std::uint16_t>(record.data.size())));
            out.insert(out.end(), record.data.begin(), record.data.end());
        }
    }
    for (const auto& [track, entry] : trackEntryOverrides)
        putU32(out, 0x20 + 4 * static_cast<std::size_t>(track), entry);
    putU32(out, 0x1C, diskSize.value_or(static_cast<std::uint32_t>(out.size())));
    return out;
}

Record* Disk::find(int track, std::uint8_t r)
{
    auto found = tracks.find(track);
    if (found == tracks.end())
        return nullptr;
    for (Record& record : found->second)
        if (record.r == r)
            return &record;
    return nullptr;
}

std::vector<std::uint8_t> image(const std::vector<Disk>& disks)
{
    std::vector<std::uint8_t> out;
    for (const Disk& disk : disks) {
        const auto bytes = disk.bytes();
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

bool save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace d88::build
