#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <vector>

#include "builder/SetDisk.hpp"
#include "image/D88Image.hpp"
#include "info/Report.hpp"
#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"
#include "set/ReadPlan.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88;
using namespace d88::build;

namespace {

// Both programs' reads, planned in their two passes, walk no track plainly
// and read no header twice: a read the plans missed would read headers the
// passes did not.
TEST(ReadPlanTest, TwoPassesAnswerEveryReadOfBothPrograms)
{
    Disk b = setDisk('B', Signature::diskB);
    b.trackEntryOverrides[7] = b.trackEntryOverrides[6] = 0; // absent tracks are planned as nothing
    const auto bytes = image({b, setDisk('A', Signature::diskA), setDisk('C', Signature::none)});
    std::vector<std::uint8_t> buffer(cutBufferSize);

    const auto readsOnce = [](const D88Image& image) {
        const auto& reads = image.passReads();
        return image.headersRead() == reads.size() && std::set(reads.begin(), reads.end()).size() == reads.size();
    };
    D88Image cut(WalkLimits{.logReads = true});
    cut.open(bytes);
    const auto kinds = identifyDisks(cut, buffer, 0, cut.diskCount());
    EXPECT_EQ(kinds, (std::vector{DiskKind::diskB, DiskKind::diskA, DiskKind::neither}));
    prepareCatalogues(cut, kinds);
    for (std::int32_t disk = 0; disk < cut.diskCount(); ++disk) {
        ASSERT_TRUE(cut.selectDisk(disk));
        cut.setSectorRange(setFirstSector, setLastSector);
        for (const CatalogueFile& file : catalogueFor(kinds[static_cast<std::size_t>(disk)]))
            EXPECT_EQ(readCatalogueFile(cut, file, buffer).complete, disk != 0 || file.start.track > 7) << file.name;
    }
    EXPECT_TRUE(readsOnce(cut));

    for (const std::optional<DiskKind> as : {std::optional<DiskKind>{}, std::optional(DiskKind::diskA)}) {
        D88Image info(WalkLimits{.logReads = true});
        info.open(bytes);
        std::ostringstream report;
        info::reportImage(info, info::Options{"set.d88", true, as}, buffer, report);
        EXPECT_TRUE(readsOnce(info));
    }
}

} // namespace
