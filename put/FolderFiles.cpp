#include "put/FolderFiles.hpp"

#include <algorithm>
#include <filesystem>

#include "console/Console.hpp"
#include "platform/Error.hpp"
#include "platform/NativeFile.hpp"
#include "set/Catalogue.hpp"

namespace d88 {
namespace {

namespace fs = std::filesystem;

std::string reasonOf(fs::file_type type)
{
    return type == fs::file_type::directory ? "it is a folder" : "it is not a regular file (a FIFO, a device, ...)";
}

// Reads what is at `path` into `file`; absent where nothing is there.
bool load(const std::string& path, FolderFile& file)
{
    std::error_code failed;
    const fs::path name = console::pathOf(path);
    if (fs::symlink_status(name, failed).type() == fs::file_type::not_found)
        return false;
    // Followed as a person naming a file expects, but looked at before it is
    // opened: opening a device can act on it.
    const fs::file_status status = fs::status(name, failed);
    if (failed) {
        file.problem = failed.message();
        return true;
    }
    if (status.type() != fs::file_type::regular) {
        file.problem = reasonOf(status.type());
        return true;
    }
    NativeFile opened;
    if (const std::error_code refused = opened.open(path.c_str())) {
        file.problem = refused.message();
        return true;
    }
    file.size = opened.size();
    if (file.size > static_cast<std::uint64_t>(file.length))
        return true;
    file.bytes.resize(static_cast<std::size_t>(file.size));
    const std::size_t got = opened.readAt(0, file.bytes.data(), file.bytes.size());
    if (got != file.bytes.size() || opened.size() != file.size) {
        file.problem = make_error_code(Error::fileChanged).message();
        file.bytes.clear();
    }
    return true;
}

} // namespace

FolderFiles loadFolderFiles(const std::string& folder, std::span<const DiskKind> kinds)
{
    FolderFiles files;
    std::vector<std::string> looked;
    for (const DiskKind kind : kinds)
        for (const CatalogueFile& entry : catalogueFor(kind)) {
            if (std::find(looked.begin(), looked.end(), entry.name) != looked.end())
                continue;
            looked.push_back(entry.name);
            FolderFile file;
            file.name = entry.name;
            file.length = entry.length;
            if (load(folder.empty() ? entry.name : folder + "/" + entry.name, file))
                files.push_back(std::move(file));
        }
    return files;
}

const FolderFile* findFile(const FolderFiles& files, std::string_view name)
{
    const auto found =
        std::find_if(files.begin(), files.end(), [&](const FolderFile& file) { return file.name == name; });
    return found != files.end() ? &*found : nullptr;
}

} // namespace d88
