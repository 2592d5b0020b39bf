#include "TestFiles.hpp"

#include "D88Builder.hpp"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace d88::test {

TempDir::TempDir()
{
    static std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() / ("d88cut-test-" + std::to_string(random()));
        // False when something is already there: then try another name.
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
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

std::string readOutput(const std::filesystem::path& path)
{
    std::string text = readText(path);
#ifdef _WIN32
    // A console program's line ends there are CRLF; the tests compare the lines.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    text = std::move(lines);
#endif
    return text;
}

RunResult runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder, RunAs who)
{
    return Running(argv, folder, who).finish();
}

std::filesystem::path samplesDir()
{
    return D88_SAMPLES_DIR;
}

std::string samplesMissing(const std::string& name)
{
    return (name.empty() ? "no sample images" : "no sample image " + name) + " in " + samplesDir().string() +
        "; set the CMake cache variable D88_SAMPLES_DIR to the folder that holds them";
}

} // namespace d88::test
