#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

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
// --help, -h; on Windows also /?.
bool isHelpOption(std::string_view arg);
// -d DIR, -dDIR, --directory DIR or --directory=DIR at argv[i] (which is not
// null); moves i past a separate folder name.
struct DirectoryOption {
    bool matched = false;
    std::string folder;
    std::string problem; // what was wrong with it, where it matched
};
DirectoryOption readDirectoryOption(int argc, const char* const* argv, int& i);
// The names left once the options are read: `d88file [DiskNo]`. Returns what
// is wrong with them, empty where nothing is.
std::string takeImageAndDisk(std::span<const std::string_view> names, std::string& image, int& diskNumber);

} // namespace d88
