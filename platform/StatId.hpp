#pragma once

#include <sys/stat.h>

#include "platform/FileId.hpp"

namespace d88 {

// The identity a stat() result describes, for callers that stat a name for
// more than its identity (POSIX systems only).
FileId idOf(const struct stat& status);

} // namespace d88
