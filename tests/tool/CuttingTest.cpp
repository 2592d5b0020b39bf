#include "tests/support/EndToEnd.hpp"

using namespace d88::build;
using namespace d88::test;

namespace {

using CuttingTest = EndToEnd;

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

TEST_F(CuttingTest, DamagedDisksNameTheSectorWhereEachFileStops)
{
    Disk a = setDisk('A', Signature::diskA);
    auto& track8 = a.tracks[8];
    track8.erase(track8.begin() + 2); // WORK's second sector (R 3) is missing
    a.find(68, 2)->data.resize(100);  // MA002's fifth sector is short
    a.find(78, 4)->n = 2;             // MB008's only sector has the wrong size code
    a.find(7, 1)->data.resize(24);    // PROG's 31st sector is short
    const auto result = cut({a});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskAProgress);
    const std::string warnings = checkFiles(a, diskAFiles);
    EXPECT_EQ(warnings,
              "warning: PROG: only 30720 of 32768 bytes found (track 7, C 3 H 1 R 1: 24 of 1024 bytes); "
              "the rest is zero-filled\n"
              "warning: WORK: only 1024 of 2048 bytes found (track 8, C 4 H 0 R 3: 0 of 1024 bytes); "
              "the rest is zero-filled\n"
              "warning: MA002: only 4096 of 6144 bytes found (track 68, C 34 H 0 R 2: 100 of 1024 bytes); "
              "the rest is zero-filled\n"
              "warning: MB008: only 0 of 1024 bytes found (track 78, C 39 H 0 R 4: 0 of 1024 bytes); "
              "the rest is zero-filled\n");
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
    const std::string warning = "warning: ADPCM2: only 104448 of 148480 bytes found (track 60, C 30 H 0 R 3: "
                                "500 of 1024 bytes); the rest is zero-filled\n";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskBProgress);
    EXPECT_EQ(result.err,
              diskBText + "warning: " + imagePath().string() +
                  ": disk 0 is cut short: its header gives 832688 bytes, and the file holds only " +
                  std::to_string(bytes.size()) + " of them\n" + warning);

    Disk model = b; // what is left of the disk: R 3 of track 60 keeps 500 bytes
    for (auto it = model.tracks.begin(); it != model.tracks.end();)
        it = it->first > 60 ? model.tracks.erase(it) : std::next(it);
    model.tracks[60].resize(3);
    model.tracks[60][2].data.resize(500);
    EXPECT_EQ(checkFiles(model, diskBFiles), warning);
}

} // namespace
