#pragma once

#include <filesystem>

#include "FileSink.hpp"

namespace d88 {

class D88Image;

// Files in a folder on disk, each put in place whole through a temporary that
// nothing in the folder can interfere with (see replaceFile). A name that
// leads to the image being read, by any link, is never written.
class FolderSink : public FileSink {
public:
    FolderSink(std::filesystem::path folder, const D88Image& source) : folder_(std::move(folder)), source_(source) {}
    [[nodiscard]] WriteOutcome write(const std::string& name, const std::uint8_t* data, std::size_t size) override;

private:
    std::filesystem::path folder_;
    const D88Image& source_;
};

} // namespace d88
