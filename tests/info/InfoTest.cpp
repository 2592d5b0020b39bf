#include <algorithm>
#include <array>
#include <gtest/gtest.h>

#include "builder/SetDisk.hpp"
#include "console/Program.hpp"
#include "tests/support/TestFiles.hpp"

using namespace d88::build;
using namespace d88::test;

namespace {

class InfoTest : public ::testing::Test {
protected:
    RunResult info(const std::vector<Disk>& disks, std::vector<std::string> options = {})
    {
        writeFile(dir / "image.d88", image(disks));
        options.push_back((dir / "image.d88").string());
        return run(options);
    }
    RunResult run(std::vector<std::string> args)
    {
        args.insert(args.begin(), D88INFO_PATH);
        return runProgram(args, dir.path());
    }
    static bool has(const RunResult& result, const std::string& line)
    {
        return result.out.find(line + "\n") != std::string::npos;
    }
    TempDir dir;
};

TEST_F(InfoTest, WellFormedDiskAIsCompleteAndWritesNothing)
{
    const auto result = info({setDisk('A', Signature::diskA)});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(has(result,
                    "disk 0 at offset 0: name \"SET DISK A\", media type 0x10 (2DD), size 832688 bytes, "
                    "160 tracks present"));
    EXPECT_TRUE(has(result,
                    "  identifying sector (track 1, C 0, H 1, R 1, N 3): 1024 bytes; bytes 0-1: 44 69, "
                    "bytes 16-17: F3 ED"));
    EXPECT_TRUE(has(result, "  verdict: Disk A"));
    EXPECT_TRUE(has(result, "    PROG     32768 of  32768 bytes  complete"));
    EXPECT_TRUE(has(result, "    MB008     1024 of   1024 bytes  complete"));
    EXPECT_EQ(result.out.find("incomplete"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "only the image";
}

TEST_F(InfoTest, MissingSectorShowsWhatD88cutWouldFind)
{
    Disk b = setDisk('B', Signature::diskB);
    b.tracks[10].erase(b.tracks[10].begin() + 2); // R 3
    const auto result = info({b});
    EXPECT_TRUE(has(result, "  verdict: Disk B"));
    EXPECT_TRUE(has(
        result, "    ADPCM1   48128 of 194560 bytes  incomplete (stops at track 10, C 5 H 0 R 3: 0 of 1024 bytes)"));
    EXPECT_TRUE(has(result, "    ADPCM2  148480 of 148480 bytes  complete"));
}

TEST_F(InfoTest, VerdictFollowsOnlyTheBytesTheIdentifyingReadPlaced)
{
    Disk neither = setDisk('N', Signature::none);
    auto result = info({neither});
    EXPECT_TRUE(has(result, "  verdict: neither"));
    EXPECT_EQ(result.out.find("files of"), std::string::npos);

    result = info({neither}, {"--as", "B"});
    EXPECT_TRUE(has(result, "  verdict: neither"));
    EXPECT_TRUE(has(result, "  files of Disk B, as d88cut would find them:"));

    Disk shortB = setDisk('S', Signature::diskB);
    shortB.tracks[1][0].data.resize(10);
    Disk oneByte = setDisk('O', Signature::diskB);
    oneByte.tracks[1][0].data.resize(1);
    Disk missing = setDisk('M', Signature::diskA);
    missing.tracks[1].erase(missing.tracks[1].begin());
    Disk otherFormat = setDisk('F', Signature::none); // track 1 of 16 records of 256 bytes
    otherFormat.tracks[1].clear();
    for (std::uint8_t r = 1; r <= 16; ++r)
        otherFormat.tracks[1].push_back(Record{0, 1, r, 1, std::vector<std::uint8_t>(256), {}, {}});
    Disk empty = setDisk('E', Signature::none);
    empty.tracks[1][0].data.clear();
    Disk stopped = setDisk('S', Signature::none);
    stopped.tracks[1][0].sectorCount = 0;
    result = info({shortB, oneByte, missing, otherFormat, empty, stopped});
    EXPECT_TRUE(has(result,
                    "  identifying sector (track 1, C 0, H 1, R 1, N 3): 10 bytes; bytes 0-1: FF 08, "
                    "bytes 16-17: -- --\n  verdict: Disk B"));
    EXPECT_TRUE(has(result,
                    "  identifying sector (track 1, C 0, H 1, R 1, N 3): 1 bytes; bytes 0-1: FF --, "
                    "bytes 16-17: -- --\n  verdict: neither"));
    // Where the read placed nothing, what its walk found says why.
    const std::string id = "  identifying sector (track 1, C 0, H 1, R 1, N 3): ";
    for (const char* why :
         {"missing: track 1 holds 4 records of N 3 (1024 bytes) and no C 0 H 1 R 1 N 3",
          "missing: track 1 holds 16 records of N 1 (256 bytes) and no C 0 H 1 R 1 N 3",
          "empty: track 1 holds 5 records of N 3 (1024 bytes), and its C 0 H 1 R 1 N 3 yields no data",
          "missing: track 1's first record has a sector count of 0, which ends every search"})
        EXPECT_TRUE(has(result, id + why + "\n  verdict: neither")) << why;
}

TEST_F(InfoTest, MapMarksEachRecordWithTheFileThatUsesIt)
{
    Disk a = setDisk('A', Signature::diskA);
    a.tracks[8].insert(a.tracks[8].begin() + 2, Record{9, 9, 9, 2, std::vector<std::uint8_t>(512), {}, {}});
    for (int r = 6; r < 6 + 65; ++r) // a damaged track chaining more records than a line shows
        a.tracks[9].push_back(Record{4, 1, static_cast<std::uint8_t>(r), 3, {}, {}, {}});
    a.tracks[163] = std::vector<Record>(40, Record{0, 0, 0, 0, std::vector<std::uint8_t>(256), 0, {}}); // zero-filled
    a.name = "SEVENTEEN LETTERS"; // fills its field
    const auto result = info({a}, {"--map"});
    EXPECT_TRUE(has(result, "    track 163 (C 81, H 1): no sectors (the first record's sector count is 0)"));
    EXPECT_NE(result.out.find("name \"SEVENTEEN LETTERS\""), std::string::npos) << "all 17 characters";
    EXPECT_TRUE(has(result, "    track   8 (C  4, H 0): 1 2=W 9/9/9/2 3=W 4 5"));
    const auto track9 = result.out.find("    track   9 (C  4, H 1): 1 2 3 4 5 6 7 ");
    ASSERT_NE(track9, std::string::npos);
    const auto line = result.out.substr(track9, result.out.find('\n', track9) - track9);
    EXPECT_TRUE(line.ends_with(" 63 64 ... (more records follow)")) << line;
    EXPECT_TRUE(has(result, "    track  67 (C 33, H 1): 1=MA1 2=MA1 3=MA2 4=MA2 5=MA2"));
    EXPECT_TRUE(has(result, "    track  78 (C 39, H 0): 1 2 3 4=MB8 5"));
    EXPECT_NE(result.out.find("=CODE: used by P PROG, V0 VD000, V1 VD001, W WORK, MA0 MA000,"), std::string::npos);
}

TEST_F(InfoTest, SaysWhenMoreDisksFollowThanAreRead)
{
    Disk empty;
    auto result = info(std::vector<Disk>(65, empty));
    EXPECT_TRUE(result.out.ends_with(
        "disk 63 at offset 43344: name \"\", media type 0x00 (2D), size 688 bytes, "
        "0 tracks present\n  identifying sector (track 1, C 0, H 1, R 1, N 3): missing: "
        "track 1 is not in the disk's track table\n  verdict: neither\n\n... more disks follow; only the first 64 "
        "are read\n"))
        << result.out.substr(result.out.size() - 200);
    result = info(std::vector<Disk>(64, empty));
    EXPECT_EQ(result.out.find("more disks follow"), std::string::npos);
}

TEST_F(InfoTest, WhatDoesNotLookLikeAnImageIsFlaggedFirst)
{
    std::vector<std::uint8_t> gzip(2000, 0x7A);
    const std::array<std::uint8_t, 4> magic{0x1F, 0x8B, 0x08, 0x00};
    std::copy(magic.begin(), magic.end(), gzip.begin());
    writeFile(dir / "image.d88", gzip);
    auto result = run({(dir / "image.d88").string()});
    EXPECT_TRUE(result.out.starts_with("warning: this file starts like a gzip archive, not a D88 image: unpack it "
                                       "first\ndisk 0 at offset 0: name \"\\x1F\\x8B\\x08\", media type 0x7A "
                                       "(unknown), size 2054847098 bytes, "))
        << result.out;

    Disk oversized;
    oversized.diskSize = 5000;
    result = info({oversized});
    EXPECT_TRUE(result.out.starts_with("warning: disk 0's size (5000 bytes) reaches past the end of the file "
                                       "(688 bytes): it may not be a D88 image\ndisk 0 at offset 0"))
        << result.out;

    // Bytes after the last disk are counted, also zero padding, which reads
    // as disks of size 0: not 63 more disks.
    auto bytes = image({setDisk('B', Signature::diskB)});
    const auto end = bytes.size();
    for (const std::size_t after : {100, 4096}) {
        bytes.resize(end + after, 0);
        writeFile(dir / "image.d88", bytes);
        result = run({(dir / "image.d88").string()});
        EXPECT_EQ(result.out.find("warning"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("disk 1 "), std::string::npos) << result.out;
        EXPECT_TRUE(result.out.ends_with("complete\n\n" + std::to_string(after) +
                                         " bytes follow the last disk, from offset " + std::to_string(end) + "\n"))
            << result.out;
    }
    std::vector<std::uint8_t> tar(10240, 0);
    const std::string ustar = "ustar";
    std::copy(ustar.begin(), ustar.end(), tar.begin() + 257);
    writeFile(dir / "image.d88", tar);
    EXPECT_EQ(run({(dir / "image.d88").string()}).out,
              "warning: this file starts like a tar archive, not a D88 image: unpack it first\nno disk: the disk "
              "header at offset 0 gives a size of 0 bytes, less than the header's own 688\n");
#ifndef _WIN32
    // A full disk, or standard output closed when it starts (reopened on /dev/full).
    for (const char* redirect : {" >/dev/full", " >&-"}) {
        const auto lost = runProgram(
            {"/bin/sh", "-c", std::string(D88INFO_PATH) + " " + (dir / "image.d88").string() + redirect}, dir.path());
        EXPECT_EQ(lost.status, 1);
        EXPECT_EQ(lost.err, "d88info: cannot write standard output\n");
    }
#endif
}

TEST_F(InfoTest, WrongCommandLinesAndUnreadableImagesFail)
{
    for (const auto& [args, problem] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "missing IMAGE"},
             {{"a", "b"}, "too many arguments: b"},
             {{"--as", "C", "a"}, "option --as takes A or B, not C"},
             {{"--as"}, "option --as needs A or B"},
             {{"--as=A", "--as", "B", "a"}, "option --as given more than once"},
             {{"a", "--bogus\x1B"}, "unknown option --bogus\\x1B"},
             {{"--map", "--"}, "missing IMAGE"}}) {
        const auto result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err,
                  "Usage: d88info [--map] [--as A|B] IMAGE\nerror: " + problem + "\nTry 'd88info --help'\n");
    }
    // -- ends the options: a name after it may begin with -.
    const auto dashed = run({"--", "-x.d88"});
    EXPECT_EQ(dashed.err, "d88info: cannot open -x.d88: No such file or directory\n");
    const auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "d88info " + std::string(d88::version) + "\n");

    const auto result = run({dir.path().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88info: cannot open " + dir.path().string() + ": Is a directory\n");
    const auto missing = run({(dir / "none.d88").string()});
    EXPECT_EQ(missing.err, "d88info: cannot open " + (dir / "none.d88").string() + ": No such file or directory\n");
    const auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(
        help.out.starts_with("Usage: d88info [--map] [--as A|B] IMAGE\nd88info [--map] [--as A|B] [--] image\n"))
        << help.out;
    EXPECT_NE(help.out.find("  --as A|B "), std::string::npos);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(run({"-h"}).out, help.out);
    EXPECT_EQ(run({"image.d88", "--help"}).out, help.out) << "an option wherever it stands";
#ifdef _WIN32
    EXPECT_EQ(run({"/?"}).out, help.out);
#endif
}

#ifdef _WIN32
TEST_F(InfoTest, DroppedOnFromExplorerItReportsEachImageAndWaits)
{
    const std::string pressAnyKey = "\nPress any key to close this window.\n";
    writeFile(dir / "image.d88", image({setDisk('B', Signature::diskB)}));
    const std::string path = (dir / "image.d88").string();
    const auto dropped = Running({D88INFO_PATH, path}, dir.path(), RunAs::ownConsole).finish();
    EXPECT_EQ(dropped.status, 0) << dropped.err;
    EXPECT_TRUE(dropped.out.starts_with(path + ":\ndisk 0 at offset 0: ")) << dropped.out;
    EXPECT_TRUE(dropped.out.ends_with("complete\n" + pressAnyKey)) << dropped.out;
    const auto clicked = Running({D88INFO_PATH}, dir.path(), RunAs::ownConsole).finish();
    EXPECT_TRUE(clicked.out.starts_with("d88info shows what D88 disk images hold")) << clicked.out;
    EXPECT_TRUE(clicked.out.ends_with(pressAnyKey)) << clicked.out;
}
#endif

TEST_F(InfoTest, RealImagesAreDescribed)
{
    if (!std::filesystem::exists(samplesDir()))
        GTEST_SKIP() << samplesMissing();
    for (const char* name : sampleNames) {
        const auto result = run({"--map", "--as", "A", (samplesDir() / name).string()});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_TRUE(has(result, "  verdict: neither")) << name;
    }
    const auto result = run({"--map", (samplesDir() / "short-last-track-2d-256.d88").string()});
    EXPECT_TRUE(has(result, "    track  79 (C 39, H 1): 39/1/1/1"));
}

} // namespace
