// Standard streams that are closed, or whose reader goes away: the files are
// written all the same, and the run says what it lost where it still can.
#include "EndToEnd.hpp"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace d88::build;
using namespace d88::test;

namespace {

using StandardStreamsTest = EndToEnd;

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
