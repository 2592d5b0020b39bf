#pragma once

#include <cstdint>
#include <span>

namespace d88 {

class D88Image;

// A run started from Explorer, in a console window of its own: each argument
// is an image dropped on the program, cut into a folder beside it named after
// it without its extension; with none, how to use the program. Either way the
// window waits for a key, so what happened can be read. Returns the exit status.
int runDropped(int argc, const char* const* argv, D88Image& image, std::span<std::uint8_t> buffer);

} // namespace d88
