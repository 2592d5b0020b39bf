#include "tests/support/TestFiles.hpp"

#include "builder/D88Builder.hpp"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace d88::test {

namespace {

bool everyoneMayPass(const std::filesystem::path& folder)
{
    std::error_code failed;
    for (auto at = std::filesystem::absolute(folder, failed); !failed; at = at.parent_path()) {
        const auto permissions = std::filesystem::status(at, failed).permissions();
        if (failed || (permissions & std::filesystem::perms::others_exec) == std::filesystem::perms::none)
            return false;
        if (at == at.root_path())
            return true;
    }
    return false;
}

std::filesystem::path baseFor(TempDir::Reach reach)
{
    const auto temporary = std::filesystem::temp_directory_path();
    if (reach == TempDir::Reach::owner)
        return temporary;
    for (const std::filesystem::path& base :
         {temporary, std::filesystem::path("/tmp"), std::filesystem::path("/var/tmp")})
        if (everyoneMayPass(base))
            return base;
    throw std::runtime_error("no temporary folder that every user may enter");
}

} // namespace

TempDir::TempDir(Reach reach)
{
    static std::mt19937_64 random(std::random_device{}());
    const auto base = baseFor(reach);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("d88cut-test-" + std::to_string(random()));
        // False when something is already there: then try another name.
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            if (reach == Reach::everyone)
                std::filesystem::permissions(path_, std::filesystem::perms(0755));
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
