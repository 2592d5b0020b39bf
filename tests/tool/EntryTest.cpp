// The entry run in-process, for what a separate program cannot show.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "builder/D88Builder.hpp"
#include "builder/SetDisk.hpp"
#include "image/D88Image.hpp"
#include "output/FileSink.hpp"
#include "set/Catalogue.hpp"
#include "tests/support/TestFiles.hpp"
#include "tool/CutFile.hpp"
#include "tool/Entry.hpp"

using namespace d88;

namespace {

class MemorySink : public FileSink {
public:
    FileError write(const std::string& name, const std::uint8_t* data, std::size_t size) override
    {
        tried.push_back(name);
        if (name == refused || refused == "*")
            return std::make_error_code(std::errc::operation_not_permitted);
        files[name].assign(data, data + size);
        return {};
    }
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::vector<std::string> tried;
    std::string refused; // "*": every name, as a folder nobody may write
};

class EntryTest : public ::testing::Test {
protected:
    int run(std::vector<const char*> argv) { return runTool(static_cast<int>(argv.size()), argv.data(), context); }

    test::TempDir dir;
    D88Image image;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(cutBufferSize, 0);
    MemorySink sink;
    std::ostringstream out;
    std::ostringstream err;
    ToolContext context{image, buffer, sink, out, err};
};

TEST_F(EntryTest, UsageNamesTheProgramOrFallsBack)
{
    EXPECT_EQ(runTool(0, nullptr, context), 1);
    EXPECT_EQ(err.str(), "Usage: d88cut [d88file] (DiskNo.)\nerror: missing d88file\nTry 'd88cut --help'\n");
    err.str("");
    EXPECT_EQ(run({"", "a", "3"}), 1) << "an empty program name is no name";
    EXPECT_TRUE(err.str().starts_with("Usage: d88cut [d88file] (DiskNo.)\n")) << err.str();
    err.str("");
    EXPECT_EQ(run({"./x", "a", "\xB1"}), 1) << "a negative first character is no disk number";
    EXPECT_EQ(err.str(), "Usage: ./x [d88file] (DiskNo.)\nerror: DiskNo must be 1 or 2\nTry './x --help'\n");
}

TEST_F(EntryTest, CutFileRefusesWhatDoesNotFitTheBuffer)
{
    const SectorAddress start = SectorAddress::onTrack(1, 1, 3);
    WriteFailures failures(std::nullopt);
    EXPECT_FALSE(cutFile(context, {"X", start, -1, 10}, failures));
    EXPECT_FALSE(cutFile(context, {"X", start, 0, -1}, failures));
    EXPECT_FALSE(cutFile(context, {"X", start, 409000, 601}, failures));
    const std::string error = "error: cannot write X: larger than the cut buffer\n";
    EXPECT_EQ(err.str(), error + error + error);
    EXPECT_TRUE(sink.files.empty());
}

TEST_F(EntryTest, FileThatCannotBeWrittenFailsTheRunButNotTheOthers)
{
    using namespace d88::build;
    const auto path = dir / "a.d88";
    test::writeFile(path, setDisk('A', Signature::diskA).bytes());
    sink.refused = "WORK";
    EXPECT_EQ(run({"d88cut", path.string().c_str()}), 1);
    EXPECT_EQ(sink.files.size(), 17u);
    EXPECT_EQ(sink.files.count("WORK"), 0u);
    EXPECT_NE(err.str().find("error: cannot write WORK: " +
                             std::make_error_code(std::errc::operation_not_permitted).message() + "\n"),
              std::string::npos);
}

TEST_F(EntryTest, AFolderThatRefusesEveryFileIsNamedOnceAndEveryFileStillTried)
{
    using namespace d88::build;
    const auto path = dir / "ab.d88";
    test::writeFile(path, d88::build::image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}));
    sink.refused = "*";
    EXPECT_EQ(run({"d88cut", "-d", "out\x1B[2J", path.string().c_str()}), 1);
    EXPECT_EQ(sink.tried.size(), 20u);
    const std::string reason = std::make_error_code(std::errc::operation_not_permitted).message();
    EXPECT_EQ(err.str(),
              "Disk A \x82\xF0\x94"
              "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\nerror: cannot write PROG: " +
                  reason + "\nerror: cannot write into folder out\\x1B[2J: " + reason +
                  " (every file is still tried; those that fail alike are not named)\n"
                  "Disk B \x82\xF0\x94"
                  "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n");
    // Without -d, the current folder is named by its path: "." would tell nobody anything.
    err.str("");
    EXPECT_EQ(run({"d88cut", path.string().c_str()}), 1);
    EXPECT_NE(err.str().find("error: cannot write into folder " + std::filesystem::current_path().string() + ": "),
              std::string::npos)
        << err.str();
}

} // namespace
