// What is already in the output folder, or happens to the run, must never
// turn the output against the user.
#include "EndToEnd.hpp"

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#endif

using namespace d88::build;
using namespace d88::test;
namespace fs = std::filesystem;

namespace {

class OutputSafetyTest : public EndToEnd {
protected:
    std::vector<std::string> temporaries() const
    {
        std::vector<std::string> found;
        for (const auto& name : outputNames())
            if (name.find("d88cut-part") != std::string::npos)
                found.push_back(name);
        return found;
    }
#ifndef _WIN32
    static unsigned modeOf(const fs::path& path)
    {
        struct stat status { };
        ::lstat(path.c_str(), &status);
        return status.st_mode & 07777;
    }
#endif
};

TEST_F(OutputSafetyTest, FolderInTheWayIsReportedWithItsReason)
{
    fs::create_directory(out / "WORK");
    const Disk a = setDisk('A', Signature::diskA);
    const auto result = cut({a});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, diskAProgress);
    EXPECT_EQ(result.err, diskAText + "error: cannot write WORK: Is a directory\n");
    EXPECT_TRUE(fs::is_directory(out / "WORK"));
    auto others = diskAFiles;
    std::erase_if(others, [](const ExpectedFile& file) { return file.name == "WORK"; });
    EXPECT_EQ(checkFiles(a, others), "");
    EXPECT_EQ(outputNames().size(), 18u) << "no temporary file is left behind";
}

#ifndef _WIN32
TEST_F(OutputSafetyTest, NothingPlantedAtTemporaryNamesIsFollowedOrWaitedOn)
{
    const fs::path victim = inputs / "victim";
    writeFile(victim, {'m', 'i', 'n', 'e'});
    fs::create_symlink(victim, out / ".PROG.d88cut-part");
    ASSERT_EQ(::mkfifo((out / ".WORK.d88cut-part").c_str(), 0644), 0);
    fs::create_directory(out / ".VD000.d88cut-part");
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));

    auto result = Running({D88CUT_PATH, imagePath().string()}, out.path(), RunAs::self).finish(30);
    ASSERT_NE(result.status, -1) << "the run hung";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskAText);
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
    EXPECT_EQ(readText(victim), "mine");
    EXPECT_TRUE(fs::is_symlink(out / ".PROG.d88cut-part"));
    EXPECT_TRUE(fs::is_fifo(out / ".WORK.d88cut-part"));
    EXPECT_TRUE(fs::is_directory(out / ".VD000.d88cut-part"));
    EXPECT_EQ(temporaries().size(), 3u) << "only the planted names";
}
#endif

TEST_F(OutputSafetyTest, ImageIsNeverWrittenUnderAnyOfItsNames)
{
    // The image itself is named ADPCM1 and WORK is a hard link to it. VD000
    // is a symbolic link to it: replacing the link leaves the image alone, so
    // VD000 is written, and what the link leads to is never looked at.
    const auto bytes = image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)});
    writeFile(out / "ADPCM1", bytes);
    fs::create_hard_link(out / "ADPCM1", out / "WORK");
#ifndef _WIN32
    fs::create_symlink("ADPCM1", out / "VD000");
    EXPECT_TRUE(fs::is_symlink(out / "VD000"));
#endif
    const auto result = run({"ADPCM1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, diskAProgress + diskBProgress);
    EXPECT_EQ(result.err,
              diskAText + "error: cannot write WORK: it is the image being read\n" + diskBText +
                  "error: cannot write ADPCM1: it is the image being read\n");
    EXPECT_FALSE(fs::is_symlink(out / "VD000"));
    EXPECT_TRUE(readFile(out / "ADPCM1") == bytes) << "the image is untouched";
    EXPECT_TRUE(readFile(out / "WORK") == bytes) << "the hard link still leads to the image";
    EXPECT_EQ(fs::file_size(out / "ADPCM2"), 148480u);
}

TEST_F(OutputSafetyTest, TwoRunsInOneFolderBothSucceedWithWholeFiles)
{
    const Disk a1 = setDisk('A', Signature::diskA);
    const Disk a2 = setDisk('Z', Signature::diskA);
    writeFile(inputs / "one.d88", image({a1}));
    writeFile(inputs / "two.d88", image({a2}));
    for (int round = 0; round < 10; ++round) {
        Running first({D88CUT_PATH, (inputs / "one.d88").string()}, out.path(), RunAs::self);
        Running second({D88CUT_PATH, (inputs / "two.d88").string()}, out.path(), RunAs::self);
        for (RunResult result : {first.finish(), second.finish()}) {
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(result.err, diskAText);
            EXPECT_EQ(result.out, diskAProgress);
        }
        for (const ExpectedFile& file : diskAFiles) {
            const auto actual = readFile(out / file.name);
            EXPECT_TRUE(actual == expectedCut(a1, file).bytes || actual == expectedCut(a2, file).bytes)
                << file.name << " is whole from one run or the other";
        }
        EXPECT_TRUE(temporaries().empty());
    }
}

#ifndef _WIN32
TEST_F(OutputSafetyTest, ReplacingKeepsModesAndReplacesLinksNotTheirTargets)
{
    writeFile(out / "PROG", {1});
    fs::permissions(out / "PROG", fs::perms(0600));
    writeFile(out / "WORK", {2});
    fs::permissions(out / "WORK", fs::perms(0640));
    const fs::path target = inputs / "target";
    writeFile(target, {'k', 'e', 'e', 'p'});
    fs::create_symlink(target, out / "MA000");
    const Disk a = setDisk('A', Signature::diskA);
    const auto result = cut({a});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
    EXPECT_EQ(modeOf(out / "PROG"), 0600u);
    EXPECT_EQ(modeOf(out / "WORK"), 0640u);
    EXPECT_FALSE(fs::is_symlink(out / "MA000"));
    EXPECT_EQ(readText(target), "keep");
}
#endif

TEST_F(OutputSafetyTest, FileTheUserMayNotWriteIsNotReplaced)
{
    fs::permissions(out.path(), fs::perms(0777));
    fs::permissions(inputs.path(), fs::perms(0755));
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));
    fs::permissions(imagePath(), fs::perms(0644));
    writeFile(out / "VD000", {'o', 'l', 'd'});
    fs::permissions(out / "VD000", fs::perms(0444)); // on Windows: the read-only attribute

    const auto result = run({imagePath().string()}, RunAs::ordinaryUser);
    if (result.status == 127)
        GTEST_SKIP() << "cannot run the program as an ordinary user here (as root it runs as nobody, who needs "
                        "to reach the build folder)";
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, diskAText + "error: cannot write VD000: Permission denied\n");
    EXPECT_EQ(readText(out / "VD000"), "old");
#ifndef _WIN32
    EXPECT_EQ(modeOf(out / "VD000"), 0444u);
#endif
    EXPECT_EQ(fs::file_size(out / "PROG"), 32768u);
}

#ifndef _WIN32
TEST_F(OutputSafetyTest, InterruptedRunsLeaveNoTemporaryAndATrueLog)
{
    writeFile(imagePath(), image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}));
    // SIGQUIT would leave a core file among the output.
    const struct rlimit noCore {
        0, 0
    };
    ::setrlimit(RLIMIT_CORE, &noCore);
    std::mt19937 random(9);
    int interrupted = 0;
    for (int round = 0; round < 40; ++round) {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        const int signal = std::array{SIGINT, SIGTERM, SIGHUP, SIGQUIT}[static_cast<std::size_t>(round % 4)];
        Running running({D88CUT_PATH, imagePath().string()}, out.path(), RunAs::self);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        running.signal(signal);
        const RunResult result = running.finish();
        if (result.status == 0)
            continue;
        ++interrupted;
        EXPECT_EQ(result.status, 128 + signal) << "ends the way the signal would have ended it";
        EXPECT_TRUE(temporaries().empty()) << "round " << round;
        // Every file in place was announced.
        for (const auto& name : outputNames())
            EXPECT_NE(result.out.find("cutting ... " + name + "\n"), std::string::npos) << name;
    }
    EXPECT_GT(interrupted, 0) << "no run was caught before its end";
}

TEST_F(OutputSafetyTest, AHangupIgnoredAtTheStartStaysIgnored)
{
    // As under nohup: the program must not put back what its caller turned off.
    writeFile(imagePath(), image({setDisk('B', Signature::diskB)}));
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGHUP, &ignore, &previous);
    Running running({D88CUT_PATH, imagePath().string()}, out.path(), RunAs::self);
    ::sigaction(SIGHUP, &previous, nullptr);
    for (int i = 0; i < 20; ++i) {
        running.signal(SIGHUP);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const RunResult result = running.finish();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskBProgress);
}

// Runs d88cut on the image through the shell, which first runs `setup` (a
// limit, redirections).
RunResult runThroughShell(const std::string& setup, const fs::path& image, const fs::path& folder,
                          RunAs who = RunAs::self)
{
    return runProgram({"/bin/sh", "-c", setup + "; exec \"$0\" \"$1\"", D88CUT_PATH, image.string()}, folder, who);
}

TEST_F(OutputSafetyTest, AWriteOnlyDropBoxFolderTakesTheFiles)
{
    // Owned by root, mode 0733: an ordinary user may create files there but not list it.
    fs::permissions(inputs.path(), fs::perms(0755));
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({b}));
    fs::permissions(imagePath(), fs::perms(0644));
    fs::permissions(out.path(), fs::perms(0733));
    const auto result = runThroughShell("true", imagePath(), out.path(), RunAs::ordinaryUser);
    fs::permissions(out.path(), fs::perms(0755));
    if (result.status == 127 || ::geteuid() != 0)
        GTEST_SKIP() << "needs to run as root, to run the program as nobody in a folder root owns";
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, diskBText);
    EXPECT_EQ(checkFiles(b, diskBFiles), "");
}

TEST_F(OutputSafetyTest, AFolderDefaultAclDoesNotWidenAReplacedFile)
{
    writeFile(out / "PROG", {1});
    fs::permissions(out / "PROG", fs::perms(0644));
    if (runProgram({"/bin/sh", "-c", "setfacl -d -m u:nobody:rwx,g::rwx . 2>/dev/null"}, out.path()).status != 0)
        GTEST_SKIP() << "no setfacl, or no ACLs on the temporary folder's file system";
    const Disk a = setDisk('A', Signature::diskA);
    const auto result = cut({a});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(modeOf(out / "PROG"), 0644u);
    EXPECT_LT(::getxattr((out / "PROG").c_str(), "system.posix_acl_access", nullptr, 0), 0)
        << "no entry PROG did not have";
    EXPECT_GT(::getxattr((out / "VD000").c_str(), "system.posix_acl_access", nullptr, 0), 0)
        << "a new file gets what a plain create gives: the folder's default entries";
}

TEST_F(OutputSafetyTest, FilesPastTheSizeLimitFailWithTheirReasonAndTheRunGoesOn)
{
    const Disk a = setDisk('A', Signature::diskA);
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({a, b}));
    const auto result = runThroughShell("ulimit -f 64", imagePath(), out.path()); // 64 blocks of 512 bytes
    EXPECT_EQ(result.status, 1);
    std::string expected = diskAText;
    for (const auto* files : {&diskAFiles, &diskBFiles}) {
        if (files == &diskBFiles)
            expected += diskBText;
        for (const ExpectedFile& file : *files)
            if (file.length() > 64 * 512)
                expected += "error: cannot write " + file.name + ": File too large\n";
    }
    EXPECT_EQ(result.err, expected);
    EXPECT_EQ(result.out, diskAProgress + diskBProgress);
    EXPECT_TRUE(temporaries().empty());
    EXPECT_EQ(fs::file_size(out / "PROG"), 32768u);
}

TEST_F(OutputSafetyTest, ALostLogFailsTheRunButTheFilesAreWritten)
{
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({b}));
    auto result = runThroughShell("exec >/dev/full", imagePath(), out.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, diskBText + "error: cannot write standard output\n");
    EXPECT_EQ(checkFiles(b, diskBFiles), "");

    // Started with all three standard descriptors closed, no file takes their place.
    for (const auto& name : outputNames())
        fs::remove(out / name);
    result = runThroughShell("exec <&- >&- 2>&-", imagePath(), out.path());
    EXPECT_EQ(result.status, 1) << "the log could not be written";
    EXPECT_EQ(checkFiles(b, diskBFiles), "");
    EXPECT_EQ(outputNames().size(), diskBFiles.size());
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__has_feature)
#define D88_MEMORY_LIMIT_TESTABLE 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define D88_MEMORY_LIMIT_TESTABLE 1
#endif
#endif

#ifdef D88_MEMORY_LIMIT_TESTABLE
TEST_F(OutputSafetyTest, RunningOutOfMemoryEndsWithOneLineAndNoTemporary)
{
    // The identifying read walks a long chain before its sector, and the
    // reader keeps what that pass reads for the catalogue's pass.
    Disk a = setDisk('A', Signature::diskA);
    auto& track1 = a.tracks[1];
    for (Record& record : track1)
        record.sectorCount = 0xFFFF;
    track1.insert(track1.begin(), 60000, Record{0xFF, 0xFF, 0xFF, 3, {}, 0xFFFF, {}});
    writeFile(imagePath(), image({a}));
    bool ranOut = false;
    for (const int kib : {7000, 8000, 9000, 10000, 12000, 16000}) {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        const auto result = runThroughShell("ulimit -v " + std::to_string(kib), imagePath(), out.path());
        if (result.status == 127)
            continue; // too little even to start
        EXPECT_TRUE(temporaries().empty()) << kib;
        if (result.status == 0)
            continue;
        ranOut = true;
        EXPECT_EQ(result.status, 1) << kib;
        EXPECT_TRUE(result.err.ends_with("error: out of memory\n")) << kib << ": " << result.err;
    }
    EXPECT_TRUE(ranOut) << "no limit made the run fail";
}
#endif
#endif

} // namespace
