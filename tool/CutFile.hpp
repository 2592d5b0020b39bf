#pragma once

#include <string>

#include "output/FileSink.hpp"
#include "set/Catalogue.hpp"
#include "tool/ToolContext.hpp"

namespace d88 {

// Says why `name` is not in place, or that it is and only closing it failed.
void reportFileError(ToolContext& context, const std::string& name, const FileError& failure);

// Reads the extent of one catalogue file into the cut buffer and writes
// `length` bytes of it, from `skip` on, under the file's name. Returns false
// when the file could not be written (the error is already reported).
bool cutFile(ToolContext& context, const CatalogueFile& file);

// Cuts every file of the kind's catalogue in order; false if any could not be written.
bool cutCatalogue(ToolContext& context, DiskKind kind);

} // namespace d88
