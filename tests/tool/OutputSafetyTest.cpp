// What is already in the output folder, or happens to the run, must never
// turn the output against the user.
#include "EndToEnd.hpp"

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
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
        struct stat status {};
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
    // The image itself is named ADPCM1; WORK is a hard link to it, VD000 a
    // symbolic link (where the system lets anyone make one).
    const auto bytes = image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)});
    writeFile(out / "ADPCM1", bytes);
    fs::create_hard_link(out / "ADPCM1", out / "WORK");
#ifdef _WIN32
    const std::string symlinkError;
#else
    fs::create_symlink("ADPCM1", out / "VD000");
    const std::string symlinkError = "error: cannot write VD000: it is the image being read\n";
    EXPECT_TRUE(fs::is_symlink(out / "VD000"));
#endif
    const auto result = run({"ADPCM1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, diskAProgress + diskBProgress);
    EXPECT_EQ(result.err, diskAText + symlinkError + "error: cannot write WORK: it is the image being read\n" +
                              diskBText + "error: cannot write ADPCM1: it is the image being read\n");
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
    std::mt19937 random(9);
    int interrupted = 0;
    for (int round = 0; round < 30; ++round) {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[static_cast<std::size_t>(round % 3)];
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
    struct sigaction ignore {}, previous {};
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
#endif

} // namespace
