#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "set/Catalogue.hpp"
#include "tool/ToolContext.hpp"

namespace d88 {

struct FileError;

// Says why files could not be written, each on a line of its own, except
// where the folder itself refuses them: once two files in a row fail for the
// same reason, one a folder gives for all its files, the folder is named once, and the files after them that fail
// alike are not named again. Every file is still tried.
class WriteFailures {
public:
    // `folder` as the user named it; none for the current folder, which is
    // then named by its path, as "." would tell a person nothing.
    explicit WriteFailures(std::optional<std::string> folder) : folder_(std::move(folder)) { }
    void failed(std::ostream& err, const std::string& name, const FileError& error);
    void written() { streak_ = 0; }

private:
    std::optional<std::string> folder_;
    std::error_code last_;
    int streak_ = 0;
};

// Reads the extent of one catalogue file into the cut buffer and writes
// `length` bytes of it, from `skip` on, under the file's name. Returns false
// when the file could not be written (the error is already reported).
bool cutFile(ToolContext& context, const CatalogueFile& file, WriteFailures& failures);

// Cuts every file of the kind's catalogue in order; false if any could not be written.
bool cutCatalogue(ToolContext& context, DiskKind kind, WriteFailures& failures);

} // namespace d88
