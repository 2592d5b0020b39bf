#include "TestFiles.hpp"

#include "D88Builder.hpp"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace d88::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "d88cut-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    if (!build::save(path, bytes))
        throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string readText(const std::filesystem::path& path)
{
    const auto bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

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
    result.out = readText(capture_ / "stdout");
    result.err = readText(capture_ / "stderr");
    return result;
}

std::string Running::outputSoFar() const
{
    return readText(capture_ / "stdout");
}

RunResult runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder, RunAs who)
{
    return Running(argv, folder, who).finish();
}

std::filesystem::path samplesDir()
{
    return D88_SAMPLES_DIR;
}

} // namespace d88::test
