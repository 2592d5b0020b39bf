#pragma once

#include <optional>
#include <string>

#include "Recognition.hpp"

namespace d88::info {

struct Options {
    std::string image;
    bool map = false;
    // Set by --as: every disk's catalogue is shown as this kind.
    std::optional<DiskKind> as;
};

inline constexpr const char* usageText = "Usage: d88info [--map] [--as A|B] IMAGE\n";

// nullopt for a command line that does not fit the usage.
std::optional<Options> parseOptions(int argc, const char* const* argv);

} // namespace d88::info
