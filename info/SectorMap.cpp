#include "info/SectorMap.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string>

#include "image/D88Image.hpp"
#include "image/SectorAddress.hpp"

namespace d88::info {
namespace {

constexpr std::int32_t idBytes = 4;
// A real track holds a few dozen records at most; a damaged one can chain
// thousands, which would bury the map, so a line stops after this many.
constexpr std::int32_t maxListed = 64;

} // namespace

// One more than is shown, to tell whether more follow.
const std::size_t SectorMap::listingCapacity = (static_cast<std::size_t>(maxListed) + 1) * idBytes;

std::string SectorMap::codeFor(const std::string& name)
{
    // PROG -> P, VD001 -> V1, MA006 -> MA6, ADPCM2 -> A2: short, and unique per disk.
    std::string code(1, name.front());
    if (name.front() == 'M' && name.size() > 1)
        code += name[1];
    if (std::isdigit(static_cast<unsigned char>(name.back())))
        code += name.back();
    return code;
}

SectorMap::SectorMap(const std::vector<CatalogueFile>& files, const std::vector<FileRead>& reads)
{
    for (std::size_t i = 0; i < files.size() && i < reads.size(); ++i) {
        const std::string code = codeFor(files[i].name);
        legend_.emplace_back(code, files[i].name);
        for (const SectorAddress& at : reads[i].sectors)
            if (const auto identity = packIdentity(at.c, at.h, at.r, at.n))
                owners_.emplace(key(at.track, *identity), code);
    }
}

std::uint64_t SectorMap::key(std::int32_t track, std::uint32_t identity)
{
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(track)) << 32 | identity;
}

const std::string& SectorMap::codeOf(std::int32_t track, std::uint32_t identity) const
{
    static const std::string none;
    const auto found = owners_.find(key(track, identity));
    return found == owners_.end() ? none : found->second;
}

std::string SectorMap::legend() const
{
    std::string text;
    for (const auto& [code, name] : legend_) {
        if (!text.empty())
            text += ", ";
        text.append(code).append(" ").append(name);
    }
    return text;
}

void SectorMap::print(D88Image& image, std::ostream& out) const
{
    std::vector<std::uint8_t> ids(listingCapacity);
    for (std::int32_t track = 0; track < D88Image::trackCount; ++track) {
        if (!image.trackPresent(track))
            continue;
        const std::int32_t listed = image.listSectorIds(track, ids);
        const SectorAddress expected = SectorAddress::onTrack(track, 0, sizeCode1024);
        char head[48];
        std::snprintf(head, sizeof head, "    track %3d (C %2d, H %d):", track, expected.c, expected.h);
        out << head;
        if (listed == 0) {
            out << " no records\n";
            continue;
        }
        // Such a track's records stop every search at once: listing them would suggest sectors.
        if (image.firstRecordCount(track) == 0) {
            out << " no sectors (the first record's sector count is 0)\n";
            continue;
        }
        // Only the first record of an identity is ever read; later ones stay unmarked.
        std::set<std::uint32_t> seen;
        // A line is written whole: a stream synced with stdio costs a call per insertion.
        std::string line;
        for (std::int32_t i = 0; i < std::min(listed, maxListed * idBytes); i += idBytes) {
            const std::int32_t c = ids[i], h = ids[i + 1], r = ids[i + 2], n = ids[i + 3];
            line += ' ';
            if (c == expected.c && h == expected.h && n == expected.n)
                line += std::to_string(r);
            else
                line.append(std::to_string(c))
                    .append("/")
                    .append(std::to_string(h))
                    .append("/")
                    .append(std::to_string(r))
                    .append("/")
                    .append(std::to_string(n));
            const std::uint32_t identity = *packIdentity(c, h, r, n);
            if (seen.insert(identity).second) {
                const std::string& code = codeOf(track, identity);
                if (!code.empty())
                    line.append("=").append(code);
            }
        }
        if (listed > maxListed * idBytes)
            line += " ... (more records follow)";
        out << line << '\n';
    }
}

} // namespace d88::info
