#pragma once

#include <optional>
#include <string>

namespace d88 {

// What the command line asks of d88put.
struct PutCommand {
    enum class Action { put, help, showVersion, usageError };
    Action action = Action::put;
    std::string program; // argv[0] as invoked, or the program's name where that is empty
    std::string image;
    int diskNumber = 0;                   // 0: recognise every disk by its signature
    std::optional<std::string> directory; // -d: where the files are instead of the current folder
    std::string output;                   // -o NEW; empty with --in-place
    bool inPlace = false;
    std::string problem; // with usageError: what was wrong
};

// `d88put [-d DIR] -o NEW [--] d88file [DiskNo]` or
// `d88put [-d DIR] --in-place [--] d88file [DiskNo]`, --help, -h, --version;
// on Windows also /? for --help. Options as d88cut takes them.
PutCommand parsePutCommand(int argc, const char* const* argv);

} // namespace d88
