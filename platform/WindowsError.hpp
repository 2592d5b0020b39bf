#pragma once

#include <system_error>

namespace d88 {

// A Windows error code as a std::error_code: the failures that have a C
// library counterpart read as on other systems (Permission denied, No space
// left on device, ...); others carry Windows' own text, without the closing
// full stop and line end it has. Reading the image and writing the files
// both report through it, so a reason reads the same wherever it arises.
std::error_code windowsError(unsigned long error);

} // namespace d88
