#include "tests/support/SetCatalogue.hpp"

#include <algorithm>

namespace d88::test {
namespace {

constexpr std::size_t sectorBytes = 1024;

const build::Record* findSector(const build::Disk& disk, int track, int r)
{
    const auto found = disk.tracks.find(track);
    if (found == disk.tracks.end())
        return nullptr;
    for (const build::Record& record : found->second)
        if (record.c == track / 2 && record.h == track % 2 && record.r == r && record.n == 3)
            return &record;
    return nullptr;
}

// The stamp line of the sector holding `offset`, or a hex note where there is none.
std::string stampAt(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    const std::size_t sector = offset - offset % sectorBytes;
    if (sector >= bytes.size())
        return "(past the end)";
    const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(sector);
    const auto end = std::find(begin, bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), sector + 64)),
                               std::uint8_t{'\n'});
    const std::string line(begin, end);
    if (line.rfind("Disk ", 0) == 0)
        return "\"" + line + "\"";
    return "byte " + std::to_string(bytes[offset < bytes.size() ? offset : sector]);
}

} // namespace

std::string progressOf(const std::vector<ExpectedFile>& files)
{
    std::string lines;
    for (const ExpectedFile& file : files)
        lines += "cutting ... " + file.name + "\n";
    return lines;
}

ExpectedCut expectedCut(const build::Disk& disk, const ExpectedFile& file)
{
    ExpectedCut cut;
    int track = file.track;
    int r = file.r;
    for (int i = 0; i < file.sectors; ++i) {
        const build::Record* record = findSector(disk, track, r);
        const std::size_t placed = record ? std::min(record->data.size(), sectorBytes) : 0;
        if (record)
            cut.bytes.insert(cut.bytes.end(), record->data.begin(),
                             record->data.begin() + static_cast<std::ptrdiff_t>(placed));
        if (placed < sectorBytes) {
            cut.warning = "warning: " + file.name + ": only " + std::to_string(i * 1024) + " of " +
                std::to_string(file.length()) + " bytes found (track " + std::to_string(track) + ", C " +
                std::to_string(track / 2) + " H " + std::to_string(track % 2) + " R " + std::to_string(r) + ": " +
                std::to_string(placed) + " of 1024 bytes); the rest is zero-filled\n";
            break;
        }
        r = r == 5 ? 1 : r + 1;
        track += r == 1 ? 1 : 0;
    }
    cut.bytes.resize(static_cast<std::size_t>(file.length()), 0);
    return cut;
}

::testing::AssertionResult sameBytes(const std::string& what, const std::vector<std::uint8_t>& expected,
                                     const std::vector<std::uint8_t>& actual)
{
    const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    if (e == expected.end() && a == actual.end())
        return ::testing::AssertionSuccess();
    const auto offset = static_cast<std::size_t>(e - expected.begin());
    return ::testing::AssertionFailure() << what << ": " << expected.size() << " bytes expected, " << actual.size()
                                         << " found; first difference at offset " << offset << ", in sector "
                                         << offset / sectorBytes << ": expected " << stampAt(expected, offset)
                                         << ", found " << stampAt(actual, offset);
}

} // namespace d88::test
