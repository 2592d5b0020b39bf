#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "FileId.hpp"
#include "FileSink.hpp"
#include "OutputFolder.hpp"

namespace d88 {

// Files in a folder on disk, each put in place whole through a temporary that
// nothing in the folder can interfere with (see OutputFolder). A name that
// is the image being read (itself, a hard link to it, or it seen through
// another view of its folder) or where the run's log goes is never written; a
// symbolic link there is replaced like any other link, its target untouched.
// `image` gives the open image's identity as it is at the moment of asking.
// With `create`, the folder is made (one level, with the umask) if it is missing.
class FolderSink : public FileSink {
public:
    using Identity = std::function<std::optional<FileId>()>;
    FolderSink(const std::filesystem::path& folder, Identity image, bool create = false)
        : folder_(folder), image_(std::move(image)), create_(create)
    {
    }
    [[nodiscard]] std::error_code prepare() override;
    [[nodiscard]] FileError write(const std::string& name, const std::uint8_t* data, std::size_t size) override;

private:
    OutputFolder folder_;
    Identity image_;
    bool create_;
};

} // namespace d88
