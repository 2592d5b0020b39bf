#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

namespace d88 {

class D88Image;
class FileSink;

// What one run of the tool works with: the reader, the cut buffer, where
// files go, and the two output streams.
struct ToolContext {
    D88Image& image;
    std::span<std::uint8_t> buffer;
    FileSink& files;
    std::ostream& out;
    std::ostream& err;
};

} // namespace d88
