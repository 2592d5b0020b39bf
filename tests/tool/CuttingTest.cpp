#include "EndToEnd.hpp"

using namespace d88::build;
using namespace d88::test;

namespace {

struct Expected {
    std::string name;
    int track;
    int r;
    int sectors;
};

// Where each file's sectors lie, written out independently of the tool's tables.
const std::vector<Expected> diskAFiles{
    {"PROG", 1, 1, 32},   {"VD000", 64, 3, 1}, {"VD001", 76, 3, 1}, {"WORK", 8, 2, 2},   {"MA000", 73, 2, 3},
    {"MA001", 67, 1, 2},  {"MA002", 67, 3, 6}, {"MA003", 68, 4, 4}, {"MA006", 69, 3, 4}, {"MB000", 74, 5, 3},
    {"MB001", 70, 2, 2},  {"MB002", 70, 4, 5}, {"MB003", 71, 4, 4}, {"MB004", 74, 4, 1}, {"MB005", 74, 2, 2},
    {"MB006", 72, 3, 4},  {"MB007", 73, 5, 2}, {"MB008", 78, 4, 1},
};
const std::vector<Expected> diskBFiles{{"ADPCM1", 1, 1, 190}, {"ADPCM2", 40, 1, 145}};

// What a file must hold: its sectors in order, up to the first one that is
// missing or short (whose bytes are kept), then zeros. `found` gets the bytes
// of whole sectors read before that point.
std::vector<std::uint8_t> expectedBytes(const Disk& disk, const Expected& file, std::size_t fileSize, int& found)
{
    std::vector<std::uint8_t> bytes;
    found = 0;
    int track = file.track;
    int r = file.r;
    for (int i = 0; i < file.sectors; ++i) {
        const Record* record = nullptr;
        if (auto t = disk.tracks.find(track); t != disk.tracks.end())
            for (const Record& candidate : t->second)
                if (candidate.r == r && candidate.c == track / 2 && candidate.h == track % 2 && candidate.n == 3) {
                    record = &candidate;
                    break;
                }
        if (record == nullptr)
            break;
        bytes.insert(bytes.end(), record->data.begin(), record->data.begin() + std::min<std::size_t>(record->data.size(), 1024));
        if (record->data.size() < 1024)
            break;
        found += 1024;
        r = r == 5 ? 1 : r + 1;
        track += r == 1 ? 1 : 0;
    }
    bytes.resize(fileSize, 0);
    return bytes;
}

class CuttingTest : public EndToEnd {
protected:
    // Checks every file of `files` against `disk` and returns the warnings it expects.
    std::string checkFiles(const Disk& disk, const std::vector<Expected>& files)
    {
        std::string warnings;
        for (const auto& file : files) {
            int found = 0;
            auto expected = expectedBytes(disk, file, static_cast<std::size_t>(file.sectors) * 1024, found);
            const auto actual = readFile(out / file.name);
            EXPECT_EQ(actual.size(), expected.size()) << file.name;
            EXPECT_TRUE(actual == expected) << file.name << " differs";
            if (found < file.sectors * 1024)
                warnings += "warning: " + file.name + ": only " + std::to_string(found) + " of " +
                            std::to_string(file.sectors * 1024) + " bytes found; the rest is zero-filled\n";
        }
        return warnings;
    }
};

TEST_F(CuttingTest, CutsEveryFileOfBothDisksByteForByte)
{
    const Disk a = setDisk('A', Signature::diskA);
    const Disk b = setDisk('B', Signature::diskB);
    const auto result = cut({a, b});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskAProgress + diskBProgress);
    EXPECT_EQ(result.err, diskAText + diskBText);
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
    EXPECT_EQ(checkFiles(b, diskBFiles), "");

    std::vector<std::string> names;
    for (const auto& list : {diskAFiles, diskBFiles})
        for (const auto& file : list)
            names.push_back(file.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(outputNames(), names) << "no other file, MA004 or temporary file, is left";

    // MA002 crosses from head 1 of cylinder 33 to head 0 of cylinder 34.
    const auto ma002 = readText(out / "MA002");
    EXPECT_EQ(ma002.substr(2 * 1024, 30), "Disk A track 067 C 33 H 1 R 5\n");
    EXPECT_EQ(ma002.substr(3 * 1024, 30), "Disk A track 068 C 34 H 0 R 1\n");
}

TEST_F(CuttingTest, LaterFilesReplaceEarlierOnes)
{
    writeFile(out / "PROG", std::vector<std::uint8_t>(100000, 0x77));
    const Disk second = setDisk('Z', Signature::diskA);
    const auto result = cut({setDisk('A', Signature::diskA), second});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskAText + diskAText);
    EXPECT_EQ(result.out, diskAProgress + diskAProgress);
    EXPECT_EQ(checkFiles(second, diskAFiles), "");
}

TEST_F(CuttingTest, DamagedDisksAreCutWithWarningsAndZeroFilledTails)
{
    Disk a = setDisk('A', Signature::diskA);
    auto& track8 = a.tracks[8];
    track8.erase(track8.begin() + 2);        // WORK's second sector (R 3) is missing
    a.find(68, 2)->data.resize(100);         // MA002's fifth sector is short
    a.find(78, 4)->n = 2;                    // MB008's only sector has the wrong size code
    const auto result = cut({a});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskAProgress);
    const std::string warnings = checkFiles(a, diskAFiles);
    EXPECT_EQ(warnings, "warning: WORK: only 1024 of 2048 bytes found; the rest is zero-filled\n"
                        "warning: MA002: only 4096 of 6144 bytes found; the rest is zero-filled\n"
                        "warning: MB008: only 0 of 1024 bytes found; the rest is zero-filled\n");
    EXPECT_EQ(result.err, diskAText + warnings);
}

TEST_F(CuttingTest, TruncatedImageLosesOnlyWhatIsMissing)
{
    const Disk b = setDisk('B', Signature::diskB);
    auto bytes = b.bytes();
    constexpr std::size_t header = 0x2B0;
    constexpr std::size_t record = 16 + 1024;
    bytes.resize(header + (60 * 5 + 2) * record + 16 + 500); // inside track 60 R 3's data
    writeFile(imagePath(), bytes);
    const auto result = run({imagePath().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskBProgress);
    EXPECT_EQ(result.err, diskBText + "warning: ADPCM2: only 104448 of 148480 bytes found; the rest is zero-filled\n");

    Disk model = b; // what is left of the disk: R 3 of track 60 keeps 500 bytes
    for (auto it = model.tracks.begin(); it != model.tracks.end();)
        it = it->first > 60 ? model.tracks.erase(it) : std::next(it);
    model.tracks[60].resize(3);
    model.tracks[60][2].data.resize(500);
    EXPECT_EQ(checkFiles(model, diskBFiles), "warning: ADPCM2: only 104448 of 148480 bytes found; the rest is zero-filled\n");
}

TEST_F(CuttingTest, FileThatCannotBeWrittenIsReportedAndTheRestAreCut)
{
    std::filesystem::create_directory(out / "WORK");
    const Disk a = setDisk('A', Signature::diskA);
    const auto result = cut({a});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, diskAProgress);
    EXPECT_EQ(result.err, diskAText + "error: cannot write WORK\n");
    EXPECT_TRUE(std::filesystem::is_directory(out / "WORK"));
    auto others = diskAFiles;
    std::erase_if(others, [](const Expected& file) { return file.name == "WORK"; });
    EXPECT_EQ(checkFiles(a, others), "");
    EXPECT_EQ(outputNames().size(), 18u) << "no temporary file is left behind";
}

} // namespace
