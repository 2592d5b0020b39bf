#include "FolderSink.hpp"

#include "Error.hpp"
#include "FolderSystem.hpp"

namespace d88 {
namespace {

// The entry at a name is the open file `open`: the same file, or a regular
// file that shows the same size and times to the nanosecond, as another view
// of it does (bindfs, an overlay's merged folder seen from its upper one),
// where device and inode differ.
bool isOpenFile(const FileId& entry, const std::optional<FileId>& open)
{
    return open && (entry == *open || (entry.stamp.regular && entry.stamp == open->stamp));
}

} // namespace

std::error_code FolderSink::prepare()
{
    return create_ ? system::createFolder(folder_.path()) : std::error_code();
}

FileError FolderSink::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    // A link at the name is replaced, never its target, so only the entry
    // itself can be the image or where the log goes.
    if (const auto entry = entryIdOf(folder_.path() / name)) {
        if (isOpenFile(*entry, image_()))
            return Error::imageBeingRead;
        const auto logs = system::logHandles();
        if (isOpenFile(*entry, openIdOf(logs[0])))
            return Error::standardOutput;
        if (isOpenFile(*entry, openIdOf(logs[1])))
            return Error::standardError;
    }
    return folder_.replace(name, data, size);
}

} // namespace d88
