#include "FolderSink.hpp"

#include "D88Image.hpp"
#include "NativeFile.hpp"
#include "OutputError.hpp"
#include "OutputFolder.hpp"

namespace d88 {

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
    const auto image = source_.fileId();
    // A link at the name is replaced, never its target, so only the entry itself can be the image.
    if (image && entryIdOf((folder_.path() / name).string().c_str()) == image)
        return OutputError::imageBeingRead;
    return folder_.replace(name, data, size);
}

} // namespace d88
