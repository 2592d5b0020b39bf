#pragma once

#include "console/Program.hpp"
#include "tool/CommandLine.hpp"
#include "tool/ToolContext.hpp"

namespace d88 {

// The whole run for a parsed command line; returns the exit status. The
// image is opened through `context.image` and left open.
int runTool(const Command& command, ToolContext& context);
// The same for the command line `argv[0] [options] d88file [DiskNo]`.
int runTool(int argc, const char* const* argv, ToolContext& context);

} // namespace d88
