#include "EndToEnd.hpp"

using namespace d88::build;
using namespace d88::test;

namespace {

const std::string usage = std::string("Usage: ") + D88CUT_PATH + " [d88file] (DiskNo.)\n";
const std::string openFailed = "\x83t\x83@\x83"
                               "C\x83\x8B\x82\xF0\x83I\x81[\x83v\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1.\n";

using CommandLineTest = EndToEnd;

TEST_F(CommandLineTest, WrongArgumentsPrintTheUsage)
{
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    const std::string path = imagePath().string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {path, "1", "x"}, {path, "0"}, {path, "3"}, {path, "A"}, {path, ""}}) {
        const auto result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, usage);
    }
    EXPECT_TRUE(outputNames().empty());
}

TEST_F(CommandLineTest, HelpAndVersionAloneAnswerOnStandardOutput)
{
    for (const char* option : {"--help", "-h"}) {
        const auto result = run({option});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(result.out.starts_with(usage)) << result.out;
        EXPECT_NE(result.out.find("  DiskNo.   1 or 2"), std::string::npos);
    }
    const auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "d88cut " D88_VERSION "\n");
    // With a disk number, --help is an image name like any other.
    const auto named = run({"--help", "1"});
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.err, openFailed);
    EXPECT_TRUE(outputNames().empty());
}

TEST_F(CommandLineTest, AnImageOfAnyNameAtAPathOfAnyLengthOpens)
{
    // A Japanese name, which no Western code page holds, in a folder whose
    // path is longer than Windows' old limit of 260 characters.
    std::filesystem::path folder = inputs.path();
    while (folder.u8string().size() <= 300)
        folder /= std::string(40, 'd');
    std::filesystem::create_directories(folder);
    const std::filesystem::path named = folder / std::filesystem::path(u8"\u30C6\u30B9\u30C8.d88");
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(named, image({b}));
    const std::u8string utf8 = named.u8string();
    const auto result = run({std::string(utf8.begin(), utf8.end())});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, diskBText);
    EXPECT_EQ(checkFiles(b, diskBFiles), "");
}

TEST_F(CommandLineTest, ImageThatCannotBeOpened)
{
    for (const auto& path : {(inputs / "missing.d88").string(), inputs.path().string()}) {
        const auto result = run({path});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, openFailed);
    }
}

TEST_F(CommandLineTest, ImageWithoutAWholeHeaderIsQuiet)
{
    writeFile(imagePath(), std::vector<std::uint8_t>(687, 0xFF));
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"1"}, {"2"}}) {
        std::vector<std::string> full{imagePath().string()};
        full.insert(full.end(), args.begin(), args.end());
        const auto result = run(full);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CommandLineTest, RecognisesEachDiskBySignatureInImageOrder)
{
    const auto result =
        cut({setDisk('B', Signature::diskB), setDisk('N', Signature::none), setDisk('A', Signature::diskA)});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskBText + diskAText);
    EXPECT_EQ(result.out, diskBProgress + diskAProgress);
}

TEST_F(CommandLineTest, BothSignaturesMeanDiskA)
{
    Disk both = setDisk('A', Signature::diskA);
    both.tracks[1][0].data[0] = 0xFF;
    both.tracks[1][0].data[1] = 0x08;
    const auto result = cut({both});
    EXPECT_EQ(result.err, diskAText);
    EXPECT_EQ(result.out, diskAProgress);
}

TEST_F(CommandLineTest, DiskNumberTakesTheFirstDiskWhateverItCarries)
{
    auto result = cut({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}, {"2"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskBText);
    EXPECT_EQ(result.out, diskBProgress);

    result = cut({setDisk('N', Signature::none), setDisk('A', Signature::diskA)}, {"1x"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskAText);
    EXPECT_EQ(result.out, diskAProgress);
}

TEST_F(CommandLineTest, LeftoverBytesOfAnEarlierDiskNeverRecogniseOne)
{
    // The last files cut from A and B leave signature bytes at the buffer's
    // start; the next disk's identifying sector is missing or one byte long,
    // so its own read does not place the signature and it must pass unrecognised.
    Disk a = setDisk('A', Signature::diskA);
    a.find(78, 4)->data[16] = 0xF3;
    a.find(78, 4)->data[17] = 0xED;
    Disk b = setDisk('B', Signature::diskB);
    b.find(40, 1)->data[0] = 0xFF;
    b.find(40, 1)->data[1] = 0x08;
    Disk missing = setDisk('M', Signature::none);
    missing.tracks[1].erase(missing.tracks[1].begin());
    Disk tiny = setDisk('T', Signature::none);
    tiny.tracks[1][0].data = {0xFF};
    const auto result = cut({a, missing, b, tiny});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskAText + diskBText);
    EXPECT_EQ(result.out, diskAProgress + diskBProgress);
}

} // namespace
