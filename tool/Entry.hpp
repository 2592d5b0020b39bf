#pragma once

#include "ToolContext.hpp"

namespace d88 {

inline constexpr int exitSuccess = 0;
inline constexpr int exitFailure = 1;

// The whole run for the command line `argv[0] d88file [DiskNo]`; returns the
// exit status. The image is opened through `context.image` and left open.
int runTool(int argc, const char* const* argv, ToolContext& context);

} // namespace d88
