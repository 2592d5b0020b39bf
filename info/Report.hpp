#pragma once

#include <cstdint>
#include <ostream>
#include <span>

#include "info/Options.hpp"

namespace d88 {
class D88Image;
}

namespace d88::info {

// Describes every disk of an opened image: header, identification, and for a
// set disk what d88cut would find of each of its files. `buffer` receives the
// reads and must hold at least cutBufferSize bytes.
void reportImage(D88Image& image, const Options& options, std::span<std::uint8_t> buffer, std::ostream& out);

} // namespace d88::info
