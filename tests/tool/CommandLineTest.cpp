#include "console/Program.hpp"
#include "tests/support/EndToEnd.hpp"
#include <algorithm>
#include <array>

using namespace d88::build;
using namespace d88::test;

namespace {

const std::string usage = std::string("Usage: ") + D88CUT_PATH + " [d88file] (DiskNo.)\n";
std::string usageError(const std::string& problem)
{
    return usage + "error: " + problem + "\nTry '" + D88CUT_PATH + " --help'\n";
}
const std::string openFailed = "\x83t\x83@\x83"
                               "C\x83\x8B\x82\xF0\x83I\x81[\x83v\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1.\n";

using CommandLineTest = EndToEnd;

TEST_F(CommandLineTest, WrongArgumentsPrintTheUsage)
{
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    const std::string path = imagePath().string();
    const std::string diskNo = "DiskNo must be 1 or 2";
    for (const auto& [args, problem] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "missing d88file"},
             {{path, "1", "x"}, "too many arguments: x"},
             {{path, "0"}, diskNo},
             {{path, "3"}, diskNo},
             {{path, "A"}, diskNo},
             {{path, ""}, diskNo},
             {{"--bogus", path}, "unknown option --bogus"},
             {{"-x"}, "unknown option -x"},
             {{path, "-d"}, "option -d needs a folder name"},
             {{"--directory=", path}, "option --directory needs a folder name"},
             {{"-d", "a", "--directory=b", path}, "option -d (--directory) given more than once"},
             {{"--bell\a", path}, "unknown option --bell\\x07"},
             {{"--"}, "missing d88file"}}) {
        const auto result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, usageError(problem));
    }
    EXPECT_TRUE(outputNames().empty());
}

TEST_F(CommandLineTest, HelpAndVersionAloneAnswerOnStandardOutput)
{
    for (const char* option : {"--help", "-h"}) {
        const auto result = run({option});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(result.out.starts_with(usage + "d88cut [-d DIR] [--] d88file [DiskNo]\n")) << result.out;
        EXPECT_NE(result.out.find("  DiskNo.   1 or 2"), std::string::npos);
    }
    const auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "d88cut " + std::string(d88::version) + "\n");
    // An option wherever it stands; after --, a name like any other.
    EXPECT_EQ(run({"x.d88", "--help"}).status, 0);
#ifdef _WIN32
    EXPECT_TRUE(run({"/?"}).out.starts_with(usage));
#endif
    const auto named = run({"--", "--help", "1"});
    EXPECT_EQ(named.status, 1);
    EXPECT_TRUE(named.err.starts_with(openFailed + "error: cannot open --help: ")) << named.err;
    EXPECT_TRUE(outputNames().empty());
#ifndef _WIN32
    // An answer that cannot be written is a failure, and says so.
    for (const char* option : {"--help", "--version"}) {
        const auto lost =
            runProgram({"/bin/sh", "-c", std::string(D88CUT_PATH) + " " + option + " >/dev/full"}, out.path());
        EXPECT_EQ(lost.status, 1);
        EXPECT_EQ(lost.err, "error: cannot write standard output\n");
    }
#endif
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
    // And files go into a folder that deep, made there.
    const std::u8string deep = (folder / "out").u8string();
    EXPECT_EQ(run({"-d", std::string(deep.begin(), deep.end()), std::string(utf8.begin(), utf8.end())}).status, 0);
    for (const auto& file : diskBFiles)
        EXPECT_TRUE(std::filesystem::exists(folder / "out" / file.name)) << file.name;
}

TEST_F(CommandLineTest, ImageThatCannotBeOpened)
{
    for (const auto& [path, reason] : {std::pair{(inputs / "missing.d88").string(), "No such file or directory"},
                                       std::pair{inputs.path().string(), "Is a directory"}}) {
        const auto result = run({path});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, openFailed + "error: cannot open " + path + ": " + reason + "\n");
    }
#ifndef _WIN32
    // A name's control bytes reach the terminal escaped, never raw.
    const auto result = run({(inputs / "\x1B]0;x\a\r\n.d88").string()});
    EXPECT_EQ(result.err,
              openFailed + "error: cannot open " + inputs.path().string() +
                  "/\\x1B]0;x\\x07\\x0D\\x0A.d88: No such file or directory\n");
#endif
}

TEST_F(CommandLineTest, ImageWithoutAWholeHeaderIsNamedWithOrWithoutADiskNumber)
{
    writeFile(imagePath(), std::vector<std::uint8_t>(687, 0xFF));
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"1"}, {"2"}}) {
        std::vector<std::string> full{imagePath().string()};
        full.insert(full.end(), args.begin(), args.end());
        const auto result = run(full);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err,
                  "warning: " + imagePath().string() +
                      " is shorter than one disk header (688 bytes): it is not a D88 image\n");
    }
}

TEST_F(CommandLineTest, AnArchiveIsNamedAsWhatItIsAndDiskNoStillCutsIt)
{
    // A gzip stream of an image is long enough to be read as a disk.
    std::vector<std::uint8_t> gzip(4000, 0x5A);
    const std::array<std::uint8_t, 4> magic{0x1F, 0x8B, 0x08, 0x08};
    std::copy(magic.begin(), magic.end(), gzip.begin());
    writeFile(imagePath(), gzip);
    const std::string gzipped =
        "warning: " + imagePath().string() + " is a gzip archive, not a D88 image: unpack it first\n";
    auto result = run({imagePath().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, gzipped);
    EXPECT_TRUE(outputNames().empty());
    // DiskNo cuts it as asked, but says so first.
    result = run({imagePath().string(), "2"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.err.starts_with(gzipped + diskBText)) << result.err;
    EXPECT_EQ(result.out, diskBProgress);

    // The magic bytes are a guess: a real disk whose name starts with them is cut all the same.
    Disk a = setDisk('A', Signature::diskA);
    a.name = "\x1F\x8B named";
    writeFile(imagePath(), image({a}));
    result = run({imagePath().string(), "1"});
    EXPECT_EQ(result.err, gzipped + diskAText);
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
    EXPECT_EQ(run({imagePath().string()}).err, diskAText);

    // A tar file reads as a chain of disks of size 0 from its first byte.
    std::vector<std::uint8_t> tar(10240, 0);
    const std::string ustar = "ustar";
    std::copy(ustar.begin(), ustar.end(), tar.begin() + 257);
    writeFile(imagePath(), tar);
    EXPECT_EQ(run({imagePath().string()}).err,
              "warning: " + imagePath().string() +
                  " no longer reads as disks from offset 0: the disk header there gives a size of 0 bytes, less "
                  "than the header's own 688\nwarning: " +
                  imagePath().string() + " is a tar archive, not a D88 image: unpack it first\n");
}

TEST_F(CommandLineTest, ZeroPaddingAfterTheDisksIsNotMoreDisks)
{
    auto bytes = image({setDisk('B', Signature::diskB)});
    const std::size_t end = bytes.size();
    bytes.resize(end + 4096, 0);
    writeFile(imagePath(), bytes);
    const auto result = run({imagePath().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              diskBText + "warning: " + imagePath().string() + " no longer reads as disks from offset " +
                  std::to_string(end) +
                  ": the disk header there gives a size of 0 bytes, less than the header's own 688\n");
}

TEST_F(CommandLineTest, DisksPastTheReadOnesAreNamedNotPassedOverSilently)
{
    std::vector<Disk> disks(64, Disk{});
    disks.push_back(setDisk('B', Signature::diskB));
    writeFile(imagePath(), image(disks));
    const auto result = run({imagePath().string()});
    EXPECT_EQ(result.status, 0);
    const std::string name = imagePath().string();
    EXPECT_EQ(result.err,
              "warning: " + name + " holds more than 64 disks; only the first 64 are read\nwarning: " + name +
                  " holds neither Disk A nor Disk B; see what it holds with: d88info " + name + "\n");
}

TEST_F(CommandLineTest, AnOutputFolderIsMadeWhenThereIsSomethingToPutInIt)
{
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({b}));
    writeFile(inputs / "-b.d88", image({b}));
    const auto made = run({"-d", "made", imagePath().string()});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out, diskBProgress);
    EXPECT_EQ(outputNames(), std::vector<std::string>{"made"});
    for (const auto& file : diskBFiles)
        EXPECT_TRUE(std::filesystem::exists(out / "made" / file.name)) << file.name;
    // Into a folder that is there already, and an image whose name begins with -.
    const auto again = run({(inputs / "-b.d88").string(), "--directory=made", "2"});
    EXPECT_EQ(again.status, 0) << again.err;
    writeFile(out / "-b.d88", image({b}));
    const auto dashed = run({"-dmade", "--", "-b.d88"});
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_EQ(dashed.err, diskBText);

    // Nothing recognised: no folder; a folder that cannot be made: one line, nothing cut.
    writeFile(inputs / "none.d88", image({setDisk('N', Signature::none)}));
    EXPECT_EQ(run({"-d", "unused", (inputs / "none.d88").string()}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(out / "unused"));
    EXPECT_EQ(outputNames(), (std::vector<std::string>{"-b.d88", "made"}));
    const auto blocked = run({"-d", "made/PROG/deeper", imagePath().string()});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.out, "");
    EXPECT_TRUE(blocked.err.starts_with("error: cannot create folder made/PROG/deeper: ")) << blocked.err;
}

#ifndef _WIN32
TEST_F(CommandLineTest, AFolderNobodyMayWriteIsNamedNotEveryFile)
{
    // Run as an ordinary user (nobody, where the tests run as root), from a
    // place every user reaches, into a folder of mode 0555.
    const TempDir place(TempDir::Reach::everyone);
    std::filesystem::copy_file(program, place / "d88cut");
    writeFile(place / "ab.d88", image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}));
    std::filesystem::create_directory(place / "shut");
    std::filesystem::permissions(place / "d88cut", std::filesystem::perms(0755));
    std::filesystem::permissions(place / "ab.d88", std::filesystem::perms(0644));
    std::filesystem::permissions(place / "shut", std::filesystem::perms(0555));
    const std::string shut = (place / "shut").string();
    const auto result = runProgram({(place / "d88cut").string(), "-d", shut, (place / "ab.d88").string()}, place.path(),
                                   RunAs::ordinaryUser);
    if (result.status == 127)
        GTEST_SKIP() << "cannot run the program as an ordinary user here";
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, diskAProgress + diskBProgress) << "every file is still tried";
    EXPECT_EQ(result.err,
              diskAText + "error: cannot write PROG: Permission denied\nerror: cannot write into folder " + shut +
                  ": Permission denied (every file is still tried; those that fail alike are not "
                  "named)\n" +
                  diskBText);
}
#endif

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

TEST_F(CommandLineTest, DiskNumberTakesTheFirstDiskWhateverItCarriesAndSaysSo)
{
    const std::string taken = "warning: " + imagePath().string() + ": disk 0 is taken as ";
    auto result = cut({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}, {"2"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskBText + taken + "Disk B as DiskNo 2 asks, but its signature says Disk A\n");
    EXPECT_EQ(result.out, diskBProgress);

    result = cut({setDisk('N', Signature::none), setDisk('A', Signature::diskA)}, {"1x"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              diskAText + taken + "Disk A as DiskNo 1 asks, but its signature says neither Disk A nor Disk B\n");
    EXPECT_EQ(result.out, diskAProgress);

    result = cut({setDisk('A', Signature::diskA)}, {"1"});
    EXPECT_EQ(result.err, diskAText) << "a disk number that agrees adds nothing";
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
