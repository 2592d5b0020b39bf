#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/CommandLine.hpp"

namespace d88 {

// What the command line asks of d88cut.
struct Command {
    enum class Action { cut, help, showVersion, usageError };
    Action action = Action::cut;
    std::string program; // argv[0] as invoked, or the program's name where that is empty
    std::string image;
    int diskNumber = 0;                   // 0: recognise every disk by its signature
    std::optional<std::string> directory; // -d: where the files go instead of the current folder
    std::string problem;                  // with usageError: what was wrong
};

// `d88cut [-d DIR] [--] d88file [DiskNo]`, --help, -h, --version; on Windows
// also /? for --help. Options may stand anywhere before `--`; after it, and
// `-` alone, are names.
Command parseCommandLine(int argc, const char* const* argv);

// The pieces d88put's command line shares with d88cut's.
// -d DIR, -dDIR, --directory DIR or --directory=DIR.
console::ValueOption readDirectoryOption(console::ArgumentScanner& scanner, std::string_view text);
// The names left once the options are read: `d88file [DiskNo]`. Returns what
// is wrong with them, empty where nothing is.
std::string takeImageAndDisk(std::span<const std::string_view> names, std::string& image, int& diskNumber);

} // namespace d88
