#include "set/Catalogue.hpp"

#include <cstdio>

namespace d88 {
namespace {

constexpr std::int32_t kib = 1024;

// R gives every row of the four tables its role: seriesEnd ends the table,
// seriesGap is a series number without a file, anything else is a file.
constexpr std::int32_t seriesEnd = 0;
constexpr std::int32_t seriesGap = 255;

struct FixedFile {
    const char* name;
    std::int32_t track;
    std::int32_t r;
    std::int32_t length;
};

// A row of a numbered series; the row's position gives the file's number.
struct ExtentEntry {
    std::int32_t track;
    std::int32_t r;
    std::int32_t kib;
};

// clang-format off: one row a line, as the tables are read
constexpr FixedFile diskAFiles[] = {
    {"PROG", 1, 1, 32768}, {"VD000", 64, 3, 1024},     {"VD001", 76, 3, 1024},
    {"WORK", 8, 2, 2048},  {nullptr, 0, seriesEnd, 0},
};

constexpr FixedFile diskBFiles[] = {
    {"ADPCM1", 1, 1, 194560},
    {"ADPCM2", 40, 1, 148480},
    {nullptr, 0, seriesEnd, 0},
};

constexpr ExtentEntry maSeries[] = {
    {73, 2, 3},        {67, 1, 2}, {67, 3, 6},        {68, 4, 4},        {0, seriesGap, 0},
    {0, seriesGap, 0}, {69, 3, 4}, {0, seriesGap, 0}, {0, seriesGap, 0}, {0, seriesEnd, 0},
};

constexpr ExtentEntry mbSeries[] = {
    {74, 5, 3}, {70, 2, 2}, {70, 4, 5}, {71, 4, 4}, {74, 4, 1},
    {74, 2, 2}, {72, 3, 4}, {73, 5, 2}, {78, 4, 1}, {0, seriesEnd, 0},
};
// clang-format on

CatalogueFile fileAt(std::string name, std::int32_t track, std::int32_t r, std::int32_t length)
{
    return CatalogueFile{std::move(name), SectorAddress::onTrack(track, r, sizeCode1024), 0, length};
}

void addFixed(std::vector<CatalogueFile>& files, const FixedFile* table)
{
    for (const FixedFile* row = table; row->r != seriesEnd; ++row)
        files.push_back(fileAt(row->name, row->track, row->r, row->length));
}

void addSeries(std::vector<CatalogueFile>& files, const ExtentEntry* table, const char* pattern)
{
    int number = 0;
    for (const ExtentEntry* row = table; row->r != seriesEnd; ++row, ++number) {
        if (row->r == seriesGap)
            continue;
        char name[16];
        std::snprintf(name, sizeof name, pattern, number);
        files.push_back(fileAt(name, row->track, row->r, row->kib * kib));
    }
}

} // namespace

std::vector<CatalogueFile> catalogueFor(DiskKind kind)
{
    std::vector<CatalogueFile> files;
    if (kind == DiskKind::diskA) {
        addFixed(files, diskAFiles);
        addSeries(files, maSeries, "MA%03d");
        addSeries(files, mbSeries, "MB%03d");
    } else if (kind == DiskKind::diskB) {
        addFixed(files, diskBFiles);
    }
    return files;
}

} // namespace d88
