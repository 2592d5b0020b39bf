#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "Catalogue.hpp"

using namespace d88;

namespace {

// The (track, R) of every sector a catalogue file covers, walking R 1..5.
std::vector<std::pair<int, int>> sectorsOf(const CatalogueFile& file)
{
    std::vector<std::pair<int, int>> sectors;
    int track = file.start.track;
    int r = file.start.r;
    for (int i = 0; i < file.length / 1024; ++i) {
        sectors.emplace_back(track, r);
        if (r == 5) {
            ++track;
            r = 1;
        } else {
            ++r;
        }
    }
    return sectors;
}

TEST(CatalogueTest, DiskAFilesComeInOrderWithTheirLengths)
{
    const std::vector<std::pair<std::string, int>> expected{
        {"PROG", 32768}, {"VD000", 1024}, {"VD001", 1024}, {"WORK", 2048},  {"MA000", 3072}, {"MA001", 2048},
        {"MA002", 6144}, {"MA003", 4096}, {"MA006", 4096}, {"MB000", 3072}, {"MB001", 2048}, {"MB002", 5120},
        {"MB003", 4096}, {"MB004", 1024}, {"MB005", 2048}, {"MB006", 4096}, {"MB007", 2048}, {"MB008", 1024},
    };
    const auto files = catalogueFor(DiskKind::diskA);
    ASSERT_EQ(files.size(), expected.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].name, expected[i].first);
        EXPECT_EQ(files[i].length, expected[i].second) << files[i].name;
        EXPECT_EQ(files[i].start.c, files[i].start.track >> 1) << files[i].name;
        EXPECT_EQ(files[i].start.h, files[i].start.track & 1) << files[i].name;
        EXPECT_EQ(files[i].start.n, 3);
        EXPECT_EQ(files[i].skip, 0);
    }
    EXPECT_TRUE(catalogueFor(DiskKind::neither).empty());
}

TEST(CatalogueTest, NoTwoFilesOfADiskShareASector)
{
    for (DiskKind kind : {DiskKind::diskA, DiskKind::diskB}) {
        std::set<std::pair<int, int>> used;
        for (const auto& file : catalogueFor(kind))
            for (const auto& sector : sectorsOf(file))
                EXPECT_TRUE(used.insert(sector).second) << file.name << " reuses track " << sector.first;
    }
}

TEST(CatalogueTest, SeriesFilesCoverTheirAreaWithoutAGap)
{
    std::set<std::pair<int, int>> covered;
    for (const auto& file : catalogueFor(DiskKind::diskA))
        if (file.name.starts_with("MA") || (file.name.starts_with("MB") && file.name != "MB008"))
            for (const auto& sector : sectorsOf(file))
                covered.insert(sector);
    std::set<std::pair<int, int>> area;
    for (int track = 67; track <= 75; ++track)
        for (int r = 1; r <= 5 && !(track == 75 && r > 2); ++r)
            area.insert({track, r});
    EXPECT_EQ(covered, area);
}

} // namespace
