#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace d88::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
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

// The result of running a program: its exit status and both output streams.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] is the program path, passed as given) in `folder`.
RunResult runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder);

std::filesystem::path samplesDir();

} // namespace d88::test
