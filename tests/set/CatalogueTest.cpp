#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "set/Catalogue.hpp"
#include "tests/support/SetCatalogue.hpp"

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

TEST(CatalogueTest, FilesComeInOrderWhereTheyLieWithTheirLengths)
{
    for (const auto& [kind, expected] :
         {std::pair{DiskKind::diskA, test::diskAFiles}, std::pair{DiskKind::diskB, test::diskBFiles}}) {
        const auto files = catalogueFor(kind);
        ASSERT_EQ(files.size(), expected.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            const SectorAddress& start = files[i].start;
            EXPECT_EQ(files[i].name, expected[i].name);
            EXPECT_EQ(files[i].length, expected[i].length()) << files[i].name;
            EXPECT_EQ(files[i].skip, 0) << files[i].name;
            EXPECT_EQ(start.track, expected[i].track) << files[i].name;
            EXPECT_EQ(start.r, expected[i].r) << files[i].name;
            EXPECT_EQ(start.c, expected[i].track / 2) << files[i].name;
            EXPECT_EQ(start.h, expected[i].track % 2) << files[i].name;
            EXPECT_EQ(start.n, 3) << files[i].name;
        }
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
