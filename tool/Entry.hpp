#pragma once

#include <ostream>
#include <string>

#include "console/Program.hpp"
#include "tool/CommandLine.hpp"
#include "tool/ToolContext.hpp"

namespace d88 {

// Help and version go to standard output; one that cannot take them fails.
int answer(std::ostream& out, std::ostream& err, const std::string& text);
// The files are written whatever became of the log; a stream that lost text
// still fails the run, reported on the other one.
bool logWritten(std::ostream& out, std::ostream& err);

// The whole run for a parsed command line; returns the exit status. The
// image is opened through `context.image` and left open.
int runTool(const Command& command, ToolContext& context);
// The same for the command line `argv[0] [options] d88file [DiskNo]`.
int runTool(int argc, const char* const* argv, ToolContext& context);

} // namespace d88
