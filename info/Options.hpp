#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "set/Recognition.hpp"

namespace d88::info {

// What the command line asks of d88info.
struct Options {
    std::string image;
    bool map = false;
    // Set by --as: every disk's catalogue is shown as this kind.
    std::optional<DiskKind> as;
    enum class Action { report, help, showVersion, usageError };
    Action action = Action::report;
    std::string problem = {}; // with usageError: what was wrong
};

inline constexpr std::string_view programName = "d88info";
inline constexpr std::string_view usageText = "Usage: d88info [--map] [--as A|B] IMAGE\n";
// After the usage line, for --help: the synopsis as the manual page has it, and what it means.
inline constexpr std::string_view helpText =
    "d88info [--map] [--as A|B] [--] image\n"
    "d88info --help | -h | --version\n"
    "Describes what a D88 image holds, as d88cut would read it; writes no file.\n"
    "  IMAGE      the D88 image to read\n"
    "  --map      also list the records of every track\n"
    "  --as A|B   show every disk's files as Disk A's or Disk B's, whatever it is\n"
    "  --         ends the options: an image name after it may begin with -\n"
    "  --help, -h   show this text; --version   show the version\n";
// Started from Explorer (Windows) with no image dropped on it.
inline constexpr std::string_view dropHelpText =
    "d88info shows what D88 disk images hold, as d88cut would read them.\n"
    "Drop one or more image files on d88info.exe to see their reports here.\n"
    "From a command prompt: d88info [--map] [--as A|B] IMAGE; d88info --help says more.\n";

// `d88info [--map] [--as A|B] [--] image`, --help, -h, --version; on Windows
// also /? for --help. Options may stand anywhere before `--`.
Options parseOptions(int argc, const char* const* argv);

} // namespace d88::info
