#pragma once

#include <optional>
#include <string>

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

} // namespace d88
