#pragma once

#include <optional>
#include <string>

#include "set/Recognition.hpp"

namespace d88::info {

struct Options {
    std::string image;
    bool map = false;
    // Set by --as: every disk's catalogue is shown as this kind.
    std::optional<DiskKind> as;
};

inline constexpr const char* usageText = "Usage: d88info [--map] [--as A|B] IMAGE\n";
// After the usage line, for --help.
inline constexpr const char* helpText = "Describes what a D88 image holds, as d88cut would read it; writes no file.\n"
                                        "  IMAGE      the D88 image to read\n"
                                        "  --map      also list the records of every track\n"
                                        "  --as A|B   show every disk's files as Disk A's or Disk B's, whatever it is\n"
                                        "  --help, -h   show this text; --version   show the version\n";

// nullopt for a command line that does not fit the usage.
std::optional<Options> parseOptions(int argc, const char* const* argv);

} // namespace d88::info
