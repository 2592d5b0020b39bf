#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include "output/FileSink.hpp"
#include "output/OutputFolder.hpp"
#include "platform/FileId.hpp"

namespace d88 {

// Files in a folder on disk, each put in place whole through a temporary that
// nothing in the folder can interfere with (see OutputFolder). A name that
// is the image being read (itself, a hard link to it, or it seen through
// another view of its folder) or where the run's log goes is never written; a
// symbolic link there is replaced like any other link, its target untouched.
// `image` gives the open image's identity (nullopt where none is open).
// With `create`, the folder is made (one level, with the umask) if it is missing.
// Files wait unnamed where the system allows it, and get their names, a batch
// at a time, once their data is synced together (OutputFolder::replaceLater).
class FolderSink : public FileSink {
public:
    using Identity = std::function<std::optional<FileId>()>;
    FolderSink(const std::filesystem::path& folder, Identity image, bool create = false);
    FolderSink(const FolderSink&) = delete;
    FolderSink& operator=(const FolderSink&) = delete;
    [[nodiscard]] std::error_code prepare() override;
    [[nodiscard]] FileError write(const std::string& name, const std::uint8_t* data, std::size_t size) override;
    [[nodiscard]] Finished finish() override;

private:
    std::error_code refusal(const FileId& entry);

    OutputFolder folder_;
    Identity image_;
    bool create_;
    std::optional<FileId> imageId_;
    std::array<std::optional<FileId>, 2> logs_;              // standard output and error, once looked at
    std::vector<std::pair<std::string, FileError>> unnamed_; // named early, as too many waited, and failed
};

} // namespace d88
