#pragma once

#include <string>

namespace d88 {

// ".NAME.<16 hex digits>.d88cut-part", random each time.
std::string temporaryNameFor(const std::string& name);

} // namespace d88
