#pragma once

#include <cstdint>
#include <ostream>
#include <span>

#include "put/PutCommand.hpp"

namespace d88 {

class D88Image;

// What one run of d88put works with: the reader, the buffer its reads land
// in (cutBufferSize), and the two output streams.
struct PutContext {
    D88Image& image;
    std::span<std::uint8_t> buffer;
    std::ostream& out;
    std::ostream& err;
};

// The whole run for a parsed command line; returns the exit status.
int runPut(const PutCommand& command, PutContext& context);

} // namespace d88
