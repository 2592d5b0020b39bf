#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace d88::test {

// A fresh folder under the system's temporary folder, removed with its
// contents. One that every user may enter, for runs as another user, is made
// where every user may pass: there, else under /tmp or /var/tmp.
class TempDir {
public:
    enum class Reach { owner, everyone };
    explicit TempDir(Reach reach = Reach::owner);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
std::string readText(const std::filesystem::path& path);
// A program's captured output, with Windows' CRLF line ends read as LF.
std::string readOutput(const std::filesystem::path& path);

// The result of running a program: its exit status and both output streams.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Who a program runs as: the test's own user, or an ordinary user (nobody)
// where the tests run as root, so that file permissions apply; on Windows,
// ownConsole starts it in a console of its own, as Explorer does.
enum class RunAs { self, ordinaryUser, ownConsole };

// A program started in the background, its output going to files.
// Running_posix.cpp and Running_windows.cpp hold the two versions.
class Running {
public:
    Running(const std::vector<std::string>& argv, const std::filesystem::path& folder, RunAs who);
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
#ifndef _WIN32
    void signal(int number) const;
#endif
    // Waits for the end; the status is 128 + N for a program ended by signal N.
    // A program still running after `seconds` is killed and gets status -1.
    RunResult finish(int seconds = 120);

private:
    TempDir capture_;
    long long process_ = -1;
};

// Runs `argv` (argv[0] is the program path, passed as given) in `folder`.
RunResult runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                     RunAs who = RunAs::self);

// The real sample images, from the CMake cache variable D88_SAMPLES_DIR.
std::filesystem::path samplesDir();
// Their names, each a real image written by another program.
inline constexpr std::array<const char*, 3> sampleNames{"clean-2d-256.d77", "short-last-track-2d-256.d88",
                                                        "malformed-15-byte-headers-2hd.d88"};
// Why a test that needs sample `name` (empty: the folder) is skipped.
std::string samplesMissing(const std::string& name = {});

} // namespace d88::test
