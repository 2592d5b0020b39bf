#include "FolderSink.hpp"

#include "D88Image.hpp"
#include "NativeFile.hpp"
#include "OutputError.hpp"
#include "OutputFolder.hpp"

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
    if (!create_)
        return {};
    std::error_code failed;
    if (!std::filesystem::create_directory(folder_.path(), failed) && !failed &&
        !std::filesystem::is_directory(folder_.path(), failed))
        return failed ? failed : std::make_error_code(std::errc::not_a_directory);
    return failed;
}

std::error_code FolderSink::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    // A link at the name is replaced, never its target, so only the entry
    // itself can be the image or where the log goes.
    if (const auto entry = entryIdOf((folder_.path() / name).string().c_str())) {
        if (isOpenFile(*entry, source_.fileId()))
            return OutputError::imageBeingRead;
        const auto logs = system::logHandles();
        if (isOpenFile(*entry, openIdOf(logs[0])))
            return OutputError::standardOutput;
        if (isOpenFile(*entry, openIdOf(logs[1])))
            return OutputError::standardError;
    }
    return folder_.replace(name, data, size);
}

} // namespace d88
