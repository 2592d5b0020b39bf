#include "tests/support/TestFiles.hpp"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace d88::test {

Running::Running(const std::vector<std::string>& argv, const std::filesystem::path& folder, RunAs who)
{
    const auto outPath = capture_ / "stdout";
    const auto errPath = capture_ / "stderr";
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    // Created before the child exists, so they are there however early it ends.
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t child = (out < 0 || err < 0) ? -1 : ::fork();
    if (child < 0)
        throw std::runtime_error("cannot start " + argv.front());
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(127);
        constexpr uid_t nobody = 65534;
        if (who == RunAs::ordinaryUser && ::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(127);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    process_ = child;
}

void Running::signal(int number) const
{
    ::kill(static_cast<pid_t>(process_), number);
}

RunResult Running::finish(int seconds)
{
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool hung = false;
    while (::waitpid(static_cast<pid_t>(process_), &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            hung = true;
            ::kill(static_cast<pid_t>(process_), SIGKILL);
            ::waitpid(static_cast<pid_t>(process_), &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    RunResult result;
    result.status = hung ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readOutput(capture_ / "stdout");
    result.err = readOutput(capture_ / "stderr");
    return result;
}

} // namespace d88::test
