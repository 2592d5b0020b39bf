// Standard streams that are closed, or whose reader goes away: the files are
// written all the same, and the run says what it lost where it still can.
#include "tests/support/EndToEnd.hpp"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace d88::build;
using namespace d88::test;

namespace {

// Runs `program` on `image` in `folder` with descriptor `broken` (1 or 2) a
// pipe nobody reads; the other stream goes to a file, returned with the status.
std::pair<int, std::string> withBrokenPipe(int broken, const std::string& image, const std::filesystem::path& folder,
                                           const std::filesystem::path& capture, const char* program = D88CUT_PATH)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {-1, "no pipe"};
    ::close(ends[0]); // no reader, ever: the first write fails
    const pid_t child = ::fork();
    if (child == 0) {
        const int other = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (other < 0 || ::dup2(ends[1], broken) < 0 || ::dup2(other, 3 - broken) < 0 || ::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::execl(program, program, image.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ends[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readText(capture)};
}

using StandardStreamsTest = EndToEnd;

TEST_F(StandardStreamsTest, APipeThatClosesCostsTheLogNotTheFiles)
{
    const Disk a = setDisk('A', Signature::diskA);
    const Disk b = setDisk('B', Signature::diskB);
    writeFile(imagePath(), image({a, b}));
    const auto [outStatus, err] = withBrokenPipe(1, imagePath().string(), out.path(), inputs / "other");
    EXPECT_EQ(outStatus, 1);
    EXPECT_EQ(err, diskAText + diskBText + "error: cannot write standard output\n");
    EXPECT_EQ(checkFiles(a, diskAFiles) + checkFiles(b, diskBFiles), "");

    for (const auto& name : outputNames())
        std::filesystem::remove(out / name);
    const auto [errStatus, log] = withBrokenPipe(2, imagePath().string(), out.path(), inputs / "other");
    EXPECT_EQ(errStatus, 1);
    EXPECT_EQ(log, diskAProgress + diskBProgress + "error: cannot write standard error\n");
    EXPECT_EQ(checkFiles(a, diskAFiles) + checkFiles(b, diskBFiles), "");

    // d88info's report is its whole job: a reader that went away is a failure it says.
    const auto [infoStatus, infoErr] =
        withBrokenPipe(1, imagePath().string(), out.path(), inputs / "other", D88INFO_PATH);
    EXPECT_EQ(infoStatus, 1);
    EXPECT_EQ(infoErr, "d88info: cannot write standard output\n");
}

TEST_F(StandardStreamsTest, ClosedStreamsThatCannotBeReopenedStopTheRunFirst)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root for a mount namespace without /dev";
    writeFile(imagePath(), image({setDisk('B', Signature::diskB)}));
    const std::string image = imagePath().string();
    const pid_t child = ::fork();
    if (child == 0) {
        // A /dev with nothing in it, seen by this process alone.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", "/dev", "tmpfs", 0, nullptr) != 0 || ::chdir(out.path().c_str()) != 0)
            ::_exit(126);
        ::close(0);
        ::close(1);
        ::close(2);
        ::execl(D88CUT_PATH, D88CUT_PATH, image.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 126)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(outputNames().empty()) << "nothing opened, so nothing took the place of a standard stream";
}

} // namespace
