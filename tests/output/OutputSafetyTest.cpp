// What is already in the output folder, or happens to the run, must never
// turn the output against the user.
#include "tests/support/EndToEnd.hpp"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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
    // The program with the test switches: the same output layer, which the
    // named-temporary run of these tests sends down its other path.
    OutputSafetyTest() { program = D88CUT_TEST_SWITCHES_PATH; }
    static bool onNamedPath()
    {
        const char* named = std::getenv("D88CUT_TEST_NAMED_TEMPORARY");
        return named != nullptr && std::string(named) == "1";
    }
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

    // Runs the program on the image through the shell, which first runs
    // `setup` (a limit, redirections) and may start it through `wrapper`.
    RunResult shell(const std::string& setup, const std::string& wrapper = "") const
    {
        return inShell(setup + "; exec " + wrapper + " \"$0\" \"$1\"", out.path());
    }
    // Runs a shell command line in `folder`; $0 is the program, $1 the image, $2 the output folder.
    RunResult inShell(const std::string& line, const fs::path& folder) const
    {
        return runProgram({"/bin/sh", "-c", line, program, imagePath().string(), out.path().string()}, folder);
    }
    // The run with the system calls `calls` failing as strace's inject
    // syntax has it (`error=EIO`, `error=ERANGE:when=1` for the first only,
    // `signal=10:when=1`), in every thread (the data syncs run in threads of
    // their own). LeakSanitizer cannot stop a process strace traces, so it
    // stays off there.
    RunResult failing(const std::string& calls, const std::string& how, const std::string& setup = "true") const
    {
        return shell(setup + "; export ASAN_OPTIONS=detect_leaks=0",
                     "strace -f -o /dev/null -e trace=" + calls + " -e inject=" + calls + ":" + how);
    }
    // Copies the program and the image into a folder every user may enter,
    // wherever the build and the temporary folder lie; returns the command.
    std::vector<std::string> copiedForOtherUsers(const TempDir& place) const
    {
        fs::copy_file(program, place / "d88cut");
        fs::copy_file(imagePath(), place / "image.d88");
        fs::permissions(place / "d88cut", fs::perms(0755));
        fs::permissions(place / "image.d88", fs::perms(0644));
        return {(place / "d88cut").string(), (place / "image.d88").string()};
    }
#endif
};

#ifndef _WIN32
constexpr std::uint64_t nameSeed = 0x5eed000000000000;

// The k-th temporary name the run draws under D88CUT_TEST_NAME_SEED=nameSeed.
std::string seededName(const std::string& name, int k)
{
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(nameSeed + k));
    return "." + name + "." + suffix + ".d88cut-part";
}
const std::string seeded = "export D88CUT_TEST_NAME_SEED=" + std::to_string(nameSeed);
#endif

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
    // PROG is replaced, so on either path its first temporary names are drawn.
    const fs::path victim = inputs / "victim";
    writeFile(victim, {'m', 'i', 'n', 'e'});
    writeFile(out / "PROG", {1});
    fs::create_symlink(victim, out / seededName("PROG", 0));
    ASSERT_EQ(::mkfifo((out / seededName("PROG", 1)).c_str(), 0644), 0);
    fs::create_directory(out / seededName("PROG", 2));
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));

    auto result = shell(seeded);
    ASSERT_NE(result.status, -1) << "the run hung";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskAText);
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
    EXPECT_EQ(readText(victim), "mine");
    EXPECT_TRUE(fs::is_symlink(out / seededName("PROG", 0)));
    EXPECT_TRUE(fs::is_fifo(out / seededName("PROG", 1)));
    EXPECT_TRUE(fs::is_directory(out / seededName("PROG", 2)));
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
        Running first({program, (inputs / "one.d88").string()}, out.path(), RunAs::self);
        Running second({program, (inputs / "two.d88").string()}, out.path(), RunAs::self);
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
    writeFile(out / "VD001", {3});
    fs::permissions(out / "VD001", fs::perms(06750));
    const fs::path target = inputs / "target";
    writeFile(target, {'k', 'e', 'e', 'p'});
    fs::create_symlink(target, out / "MA000");
    const Disk a = setDisk('A', Signature::diskA);
    const auto result = cut({a});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
    EXPECT_EQ(modeOf(out / "PROG"), 0600u);
    EXPECT_EQ(modeOf(out / "WORK"), 0640u);
    EXPECT_EQ(modeOf(out / "VD001"), 0750u) << "no set-user-ID or set-group-ID bit is carried over";
    EXPECT_FALSE(fs::is_symlink(out / "MA000"));
    EXPECT_EQ(readText(target), "keep");
}
#endif

TEST_F(OutputSafetyTest, FileTheUserMayNotWriteIsNotReplaced)
{
    fs::permissions(out.path(), fs::perms(0777));
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));
    writeFile(out / "VD000", {'o', 'l', 'd'});
    fs::permissions(out / "VD000", fs::perms(0444)); // on Windows: the read-only attribute

#ifdef _WIN32
    const auto result = run({imagePath().string()}, RunAs::ordinaryUser);
#else
    const TempDir place(TempDir::Reach::everyone);
    const auto result = runProgram(copiedForOtherUsers(place), out.path(), RunAs::ordinaryUser);
#endif
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
        Running running({program, imagePath().string()}, out.path(), RunAs::self);
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

TEST_F(OutputSafetyTest, EverySignalThatEndsTheRunFromOutsideRemovesTheTemporary)
{
    // Each signal arrives while PROG's temporary has a name: as it is named
    // (unnamed path) or as its access is set (named path).
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    if (inShell("strace -o /dev/null true 2>/dev/null", out.path()).status != 0)
        GTEST_SKIP() << "no strace here, or it may not trace";
    const struct rlimit noCore {
        0, 0
    };
    ::setrlimit(RLIMIT_CORE, &noCore);
    const std::string call = onNamedPath() ? "fchmod" : "linkat";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU,
                             SIGIO, SIGPWR, SIGSTKFLT, SIGRTMIN, SIGRTMAX}) {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        writeFile(out / "PROG", {1});
        const auto result = failing(call, "signal=" + std::to_string(signal) + ":when=1");
        EXPECT_EQ(result.status, 128 + signal) << signal;
        EXPECT_TRUE(temporaries().empty()) << signal;
    }
}

TEST_F(OutputSafetyTest, AHangupIgnoredAtTheStartStaysIgnored)
{
    // As under nohup: the program must not put back what its caller turned off.
    writeFile(imagePath(), image({setDisk('B', Signature::diskB)}));
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGHUP, &ignore, &previous);
    Running running({program, imagePath().string()}, out.path(), RunAs::self);
    ::sigaction(SIGHUP, &previous, nullptr);
    for (int i = 0; i < 20; ++i) {
        running.signal(SIGHUP);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const RunResult result = running.finish();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, diskBProgress);
}

TEST_F(OutputSafetyTest, AWriteOnlyDropBoxFolderTakesTheFiles)
{
    // Owned by root, mode 0733: an ordinary user may create files there but not list it.
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({b}));
    fs::permissions(out.path(), fs::perms(0733));
    const TempDir place(TempDir::Reach::everyone);
    const auto result = runProgram(copiedForOtherUsers(place), out.path(), RunAs::ordinaryUser);
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

TEST_F(OutputSafetyTest, AFolderSwappedDuringTheRunLendsItsAclToNoFile)
{
    // Held as it reads the access of VD000, the first file it replaces, the
    // run has its folder swapped by someone who may write the parent for one
    // of their own, with a VD000 whose ACL lets them in. The run goes on in
    // the folder it opened, and the user's VD000 keeps its own access.
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    const fs::path old = inputs / "pub" / "old";
    fs::create_directories(inputs / "pub" / "out");
    writeFile(inputs / "pub" / "out" / "VD000", {1});
    fs::permissions(inputs / "pub" / "out" / "VD000", fs::perms(0640));
    const auto result = inShell("command -v strace >/dev/null || exit 77; export ASAN_OPTIONS=detect_leaks=0; "
                                "strace -o /dev/null -e trace=lgetxattr -e inject=lgetxattr:delay_enter=1000000:when=1 "
                                "\"$0\" -d pub/out \"$1\" 2>/dev/null | { read -r prog; read -r vd000; "
                                "mv pub/out pub/old && mkdir pub/out && : >pub/out/VD000 && "
                                "setfacl -m u:nobody:rw pub/out/VD000 || exit 77; cat >/dev/null; }",
                                inputs.path());
    if (result.status == 77)
        GTEST_SKIP() << "needs strace, and setfacl with ACLs on the temporary folder's file system";
    EXPECT_EQ(fs::file_size(old / "VD000"), 1024u);
    EXPECT_EQ(modeOf(old / "VD000"), 0640u);
    EXPECT_LT(::getxattr((old / "VD000").c_str(), "system.posix_acl_access", nullptr, 0), 0);
}

TEST_F(OutputSafetyTest, FilesPastTheSizeLimitFailWithTheirReasonAndTheRunGoesOn)
{
    const Disk a = setDisk('A', Signature::diskA);
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({a, b}));
    const auto result = shell("ulimit -f 64"); // 64 blocks of 512 bytes
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
    auto result = shell("exec >/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, diskBText + "error: cannot write standard output\n");
    EXPECT_EQ(checkFiles(b, diskBFiles), "");

    // Started with all three standard descriptors closed, no file takes their place.
    for (const auto& name : outputNames())
        fs::remove(out / name);
    result = shell("exec <&- >&- 2>&-");
    EXPECT_EQ(result.status, 1) << "the log could not be written";
    EXPECT_EQ(checkFiles(b, diskBFiles), "");
    EXPECT_EQ(outputNames().size(), diskBFiles.size());
}

TEST_F(OutputSafetyTest, TheLogIsNeverWrittenOver)
{
    // d88cut IMG > PROG 2> WORK: the shell has made both before the run.
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    const auto result = shell("exec >PROG 2>WORK");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readText(out / "PROG"), diskAProgress);
    EXPECT_EQ(readText(out / "WORK"),
              diskAText + "error: cannot write PROG: it is the standard output of this run\n" +
                  "error: cannot write WORK: it is the standard error of this run\n");
}

TEST_F(OutputSafetyTest, TheImageSeenThroughAnotherViewIsNeverWritten)
{
    // Run in an overlay's upper folder on the image named through the merged
    // one, where device and inode differ.
    for (const char* folder : {"lower", "upper", "work", "merged"})
        fs::create_directory(inputs / folder);
    const auto bytes = image({setDisk('A', Signature::diskA)});
    writeFile(inputs / "upper" / "PROG", bytes);
    const auto result = inShell("unshare -rm true 2>/dev/null || exit 77; exec unshare -rm /bin/sh -c 'mount -t "
                                "overlay overlay -o lowerdir=lower,upperdir=upper,workdir=work merged || exit 77; "
                                "cd upper && exec \"$0\" ../merged/PROG' \"$0\"",
                                inputs.path());
    if (result.status == 77)
        GTEST_SKIP() << "cannot mount an overlay in a namespace of its own here: " << result.err;
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("error: cannot write PROG: it is the image being read\n"), std::string::npos);
    EXPECT_TRUE(readFile(inputs / "upper" / "PROG") == bytes);
}

TEST_F(OutputSafetyTest, AnAppendOnlyFolderTakesNewNamesAndKeepsNoTemporary)
{
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    writeFile(out / "PROG", {1});
    if (inShell("chattr +a . 2>/dev/null", out.path()).status != 0)
        GTEST_SKIP() << "chattr +a needs root and a file system that keeps the flag";
    const auto result = run({imagePath().string()});
    inShell("chattr -a .", out.path());
    EXPECT_EQ(result.status, 1);
    const std::string refused = ": the folder is append-only, so nothing in it can be renamed or replaced\n";
    std::string expected = diskAText + "error: cannot write PROG" + refused;
    if (onNamedPath()) // every name would need a temporary renamed
        for (const ExpectedFile& file : diskAFiles)
            if (file.name != "PROG")
                expected += "error: cannot write " + file.name + refused;
    EXPECT_EQ(result.err, expected);
    EXPECT_EQ(fs::file_size(out / "PROG"), 1u);
    EXPECT_EQ(outputNames().size(), onNamedPath() ? 1u : diskAFiles.size()) << "no temporary is left";
}

TEST_F(OutputSafetyTest, FailingCallsRefuseAReplacementWithTheirReason)
{
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));
    if (inShell("strace -o /dev/null true 2>/dev/null", out.path()).status != 0)
        GTEST_SKIP() << "no strace here, or it may not trace";
    const auto fresh = [&](unsigned progMode) {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        writeFile(out / "PROG", {1});
        fs::permissions(out / "PROG", fs::perms(progMode));
    };
    const std::string progRefused = diskAText + "error: cannot write PROG: ";

    // A file system that keeps no modes: the file as it made it (0600 under
    // umask 077) replaces one no narrower, and no other.
    fresh(0200);
    writeFile(out / "WORK", {2});
    auto result = failing("fchmod", "error=ENOSYS", "umask 077");
    EXPECT_EQ(result.err, progRefused + "Function not implemented\n");
    EXPECT_EQ(fs::file_size(out / "PROG"), 1u);
    EXPECT_EQ(modeOf(out / "PROG"), 0200u);
    EXPECT_EQ(modeOf(out / "WORK"), 0600u);
    EXPECT_EQ(fs::file_size(out / "WORK"), 2048u);

    // The access of the file to replace cannot be read: it is left alone; an
    // ACL that changed between its two reads is read again.
    fresh(0644);
    result = failing("lgetxattr", "error=EIO");
    EXPECT_EQ(result.err, progRefused + "Input/output error\n");
    EXPECT_EQ(fs::file_size(out / "PROG"), 1u);
    fresh(0644);
    result = failing("lgetxattr", "error=ERANGE");
    EXPECT_EQ(result.err, progRefused + "Numerical result out of range\n");
    fresh(0644);
    result = failing("lgetxattr", "error=ERANGE:when=1");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fs::file_size(out / "PROG"), 32768u);
    // Gone between the looks (another run renaming over it on FUSE): looked at again.
    fresh(0644);
    result = failing("lgetxattr", "error=ENOENT:when=1");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fs::file_size(out / "PROG"), 32768u);

    // A folder that refuses renames and removals: the temporary is named.
    fresh(0644);
    result = failing("renameat,renameat2,unlinkat", "error=EPERM", seeded);
    EXPECT_EQ(result.status, 1);
    const std::string left = seededName("PROG", 0);
    EXPECT_NE(
        result.err.find(progRefused + "Operation not permitted; the temporary " + left + " could not be removed\n"),
        std::string::npos)
        << result.err;
    EXPECT_EQ(fs::file_size(out / left), 32768u);
}

TEST_F(OutputSafetyTest, FailuresAroundTheNamesSayWhatIsInPlace)
{
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));
    if (inShell("strace -o /dev/null true 2>/dev/null", out.path()).status != 0)
        GTEST_SKIP() << "no strace here, or it may not trace";
    const auto fresh = [&] {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        writeFile(out / "PROG", {1});
    };
    const auto eachFile = [](const std::string& before, const std::string& after) {
        std::string lines;
        for (const ExpectedFile& file : diskAFiles)
            lines += before + file.name + after;
        return lines;
    };

    // The data is synced before the name is given: where it cannot be, no
    // file gets its name, the old one stays, and there is no folder to sync.
    fresh();
    auto result = failing("fdatasync", "error=EIO");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, diskAText + eachFile("error: cannot write ", ": Input/output error\n"));
    EXPECT_EQ(outputNames(), std::vector<std::string>{"PROG"});
    EXPECT_EQ(fs::file_size(out / "PROG"), 1u);

    // The folder, synced once after the last name.
    fresh();
    result = failing("fsync", "error=EIO");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              diskAText +
                  "error: cannot sync folder .: Input/output error; the files written are in "
                  "place but may not survive a crash\n");
    EXPECT_EQ(checkFiles(a, diskAFiles), "");

    // A close that fails: an unnamed file is closed once it has its name, a
    // named temporary before it is renamed. The loader's closes go first.
    fresh();
    result =
        failing("close", "error=EIO:when=$((n + 1))+",
                "n=$(strace -o /dev/fd/3 -e trace=close \"$0\" --version 3>&1 >/dev/null 2>&1 | grep -c '^close')");
    EXPECT_EQ(result.status, 1);
    if (onNamedPath()) {
        EXPECT_EQ(result.err, diskAText + eachFile("error: cannot write ", ": Input/output error\n"));
        EXPECT_EQ(fs::file_size(out / "PROG"), 1u);
        EXPECT_TRUE(temporaries().empty());
    } else {
        EXPECT_EQ(result.err,
                  diskAText +
                      eachFile("error: ", " is written and in place, but closing it failed: Input/output error\n"));
        EXPECT_EQ(checkFiles(a, diskAFiles), "");
    }
}

TEST_F(OutputSafetyTest, ViewsShowingOrSettingOtherModesNeverWidenAReplacedFile)
{
    // bindfs views of a folder with a 0600 PROG: one that shows every file
    // readable and writable by all, one that ignores chmod and creates every
    // file 0666. The real PROG is never wider.
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    for (const std::string options : {"--perms=a+rw", "--chmod-ignore --create-with-perms=0666"}) {
        for (const auto& name : outputNames())
            fs::remove(out / name);
        writeFile(out / "PROG", {1});
        fs::permissions(out / "PROG", fs::perms(0600));
        const auto result = inShell("mkdir -p view && bindfs " + options +
                                        " \"$2\" view 2>/dev/null || exit 77; "
                                        "view=$PWD/view; trap 'cd / && fusermount -u \"$view\"' EXIT; "
                                        "cd view && \"$0\" \"$1\" >/dev/null",
                                    inputs.path());
        if (result.status == 77)
            GTEST_SKIP() << "needs bindfs and FUSE";
        EXPECT_EQ(modeOf(out / "PROG"), 0600u) << options;
        EXPECT_TRUE(temporaries().empty()) << options;
        if (fs::file_size(out / "PROG") == 1u) { // kept, and said why
            EXPECT_NE(result.err.find("error: cannot write PROG: the file system does not keep the mode it is given"),
                      std::string::npos)
                << options << ": " << result.err;
        }
    }
}

TEST_F(OutputSafetyTest, AclEntriesOfUsersThisNamespaceCannotNameAreDroppedNotWidened)
{
    writeFile(imagePath(), image({setDisk('A', Signature::diskA)}));
    writeFile(out / "PROG", {1});
    fs::permissions(out / "PROG", fs::perms(0600));
    if (inShell("setfacl -m u:12345:rw,g::- PROG 2>/dev/null", out.path()).status != 0)
        GTEST_SKIP() << "no setfacl, or no ACLs on the temporary folder's file system";
    if (inShell("unshare -r true 2>/dev/null", out.path()).status != 0)
        GTEST_SKIP() << "no user namespaces here";
    // In a user namespace of its own only the run's user has a name.
    const auto result = shell("true", "unshare -r");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fs::file_size(out / "PROG"), 32768u);
    EXPECT_EQ(modeOf(out / "PROG"), 0660u) << "the group class stays the old mask";
    const auto acl = inShell("getfacl -n PROG", out.path()).out;
    EXPECT_EQ(acl.find("12345"), std::string::npos) << acl;
    EXPECT_NE(acl.find("group::---"), std::string::npos) << acl;
}

TEST_F(OutputSafetyTest, AFolderWithoutModesTakesTheFiles)
{
    // A FAT image mounted through FUSE: no unnamed files, modes fixed at 0700.
    const Disk a = setDisk('A', Signature::diskA);
    writeFile(imagePath(), image({a}));
    const auto result = inShell("mkfs.vfat -C fat.img 4096 >/dev/null 2>&1 && mkdir fat && "
                                "fusefat -o rw+ fat.img fat >/dev/null 2>&1 || exit 77; "
                                "fat=$PWD/fat; trap 'cd / && fusermount -u \"$fat\"' EXIT; cd fat && echo old >PROG && "
                                "\"$0\" \"$1\" >/dev/null; status=$?; ls -A; cp -- * \"$2\"; exit $status",
                                inputs.path());
    if (result.status == 77)
        GTEST_SKIP() << "needs mkfs.vfat, fusefat and FUSE";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, diskAText);
    EXPECT_EQ(result.out.find("d88cut-part"), std::string::npos) << "no temporary is left";
    EXPECT_EQ(checkFiles(a, diskAFiles), "");
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
        const auto result = shell("ulimit -v " + std::to_string(kib));
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
