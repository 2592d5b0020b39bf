#pragma once

#include <filesystem>

#include "FileSink.hpp"
#include "OutputFolder.hpp"

namespace d88 {

class D88Image;

// Files in a folder on disk, each put in place whole through a temporary that
// nothing in the folder can interfere with (see OutputFolder). A name that
// is the image being read (itself, a hard link to it, or it seen through
// another view of its folder) or where the run's log goes is never written; a
// symbolic link there is replaced like any other link, its target untouched.
class FolderSink : public FileSink {
public:
    FolderSink(const std::filesystem::path& folder, const D88Image& source) : folder_(folder), source_(source) { }
    [[nodiscard]] std::error_code write(const std::string& name, const std::uint8_t* data, std::size_t size) override;

private:
    OutputFolder folder_;
    const D88Image& source_;
};

} // namespace d88
