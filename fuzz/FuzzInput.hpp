#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace d88::fuzz {

// The program's entry opens an image by its name, so for it each input is
// written to one file per process.
inline const char* writeInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("d88-fuzz-" + std::to_string(::getpid()) + ".d88")).string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    if (!file)
        __builtin_trap();
    return path.c_str();
}

// Stops the run at the first disagreement, so the fuzzer keeps the input.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        __builtin_trap();
    }
}

} // namespace d88::fuzz
