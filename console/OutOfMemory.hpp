#pragma once

#include <functional>

namespace d88::console {

// Out of memory as one line and exit status 1, wherever it strikes. When an
// allocation first fails, a reserve taken at start-up is given back before
// std::bad_alloc is thrown, so the exception carrying the failure to main
// can itself be made (with no memory left at all the C++ runtime would end
// the program instead, with a core). Should memory fail again before main
// is reached, `message` is written and the program ends at once.
// False where even the reserve cannot be had: the program must then write
// `message` and stop. Call first thing; `message` must live as long as the
// program.
[[nodiscard]] bool prepareForOutOfMemory(const char* message);

// A program's whole run: standard streams protected (protectStandardStreams)
// and out of memory prepared for first, then `run`, inside which everything
// that may allocate belongs: out of memory anywhere in it is `message` on
// standard error and exit status 1. Returns run's exit status.
int runGuarded(const char* message, const std::function<int()>& run);

} // namespace d88::console
