#pragma once

#include <optional>
#include <string>

namespace d88 {

// Where a new image goes: a folder (as given, "." for none) and the name in it.
struct Destination {
    std::string folder;
    std::string name;
};

// Splits a path argument at its last separator; nullopt where no file name
// is left (NEW/, ., ..). The name stays the argument's own bytes.
std::optional<Destination> destinationOf(const std::string& path);

} // namespace d88
