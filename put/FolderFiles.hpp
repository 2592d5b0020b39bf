#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "set/Recognition.hpp"

namespace d88 {

// A catalogue file found in the folder. Its bytes are read whole only where
// they may be put (no longer than the catalogue length), so the files of a
// run stay a few hundred KiB however large what lies at their names.
struct FolderFile {
    std::string name;
    std::int32_t length = 0; // the catalogue length: the most it may hold
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes; // the whole file, where size <= length
    std::string problem;             // why it cannot be read; empty where it was
};
using FolderFiles = std::vector<FolderFile>;

// The files of the kinds' catalogues that are at their names in `folder`
// (a command-line argument; empty for the current folder), once each. A name
// where nothing is is absent; one that is a folder, a FIFO or a device is
// never opened and carries its problem.
FolderFiles loadFolderFiles(const std::string& folder, std::span<const DiskKind> kinds);

// The file of that name, or nullptr.
const FolderFile* findFile(const FolderFiles& files, std::string_view name);

} // namespace d88
