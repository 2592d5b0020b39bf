#pragma once

#include "set/Catalogue.hpp"
#include "tool/ToolContext.hpp"

namespace d88 {

// Reads the extent of one catalogue file into the cut buffer and writes
// `length` bytes of it, from `skip` on, under the file's name. Returns false
// when the file could not be written (the error is already reported).
bool cutFile(ToolContext& context, const CatalogueFile& file);

// Cuts every file of the kind's catalogue in order; false if any could not be written.
bool cutCatalogue(ToolContext& context, DiskKind kind);

} // namespace d88
