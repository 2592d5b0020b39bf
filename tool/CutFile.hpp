#pragma once

#include <cstdint>
#include <string>

#include "Catalogue.hpp"
#include "ToolContext.hpp"

namespace d88 {

// Reads the extent of one file into the cut buffer and writes `length` bytes
// of it, from `skip` on, as `name`. Returns false when the file could not be
// written (the error is already reported).
bool cutFile(ToolContext& context, const std::string& name, std::int32_t track, std::int32_t c, std::int32_t h,
             std::int32_t r, std::int32_t n, std::int32_t skip, std::int32_t length);

// Cuts every file of the kind's catalogue in order; false if any could not be written.
bool cutCatalogue(ToolContext& context, DiskKind kind);

} // namespace d88
