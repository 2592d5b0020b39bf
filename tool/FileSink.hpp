#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace d88 {

// Where cut files go. write() is all or nothing: true only when the whole
// file is in place under `name`.
class FileSink {
public:
    virtual ~FileSink() = default;
    virtual bool write(const std::string& name, const std::uint8_t* data, std::size_t size) = 0;
};

// Files in a folder on disk. Each file is written under a temporary name and
// renamed over its own name only once complete, so a failed write leaves an
// earlier file of that name untouched and no partial file behind.
class FolderSink : public FileSink {
public:
    explicit FolderSink(std::filesystem::path folder) : folder_(std::move(folder)) {}
    bool write(const std::string& name, const std::uint8_t* data, std::size_t size) override;

private:
    std::filesystem::path folder_;
};

} // namespace d88
