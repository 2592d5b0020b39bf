// Started by Explorer (Windows): an image dropped on the program, or a
// double-click with nothing dropped, in a console window of its own.
#include "tests/support/EndToEnd.hpp"

using namespace d88::build;
using namespace d88::test;

namespace {

const std::string pressAnyKey = "\nPress any key to close this window.\n";

using DropRunTest = EndToEnd;

TEST_F(DropRunTest, EachDroppedImageIsCutIntoAFolderBesideIt)
{
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(inputs / "set.d88", image({b}));
    writeFile(inputs / "none.d88", image({setDisk('N', Signature::none)}));
    const std::string set = (inputs / "set.d88").string();
    const std::string none = (inputs / "none.d88").string();
    const auto result = Running({D88CUT_PATH, set, none}, out.path(), RunAs::ownConsole).finish();
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string folder = (inputs / "set").string();
    EXPECT_EQ(result.out,
              "\n" + set + " -> " + folder + "\n" + diskBProgress + "\n" + none + " -> " + (inputs / "none").string() +
                  "\n" + pressAnyKey);
    EXPECT_EQ(result.err,
              diskBText + "warning: " + none + " holds neither Disk A nor Disk B; see what it holds with: d88info " +
                  none + "\n");
    for (const auto& file : diskBFiles)
        EXPECT_TRUE(std::filesystem::exists(inputs / "set" / file.name)) << file.name;
    EXPECT_FALSE(std::filesystem::exists(inputs / "none")) << "no folder for an image without the set";
    EXPECT_TRUE(outputNames().empty()) << "nothing in the folder Explorer started it in";
}

TEST_F(DropRunTest, ADoubleClickSaysHowToUseTheProgram)
{
    const auto result = Running({D88CUT_PATH}, out.path(), RunAs::ownConsole).finish();
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with("d88cut cuts the files of Disk A and Disk B")) << result.out;
    EXPECT_TRUE(result.out.ends_with(pressAnyKey)) << result.out;
    // From a command prompt nothing changes.
    EXPECT_EQ(run({}).status, 1);
}

} // namespace
