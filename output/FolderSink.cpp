#include "FolderSink.hpp"

#include "D88Image.hpp"
#include "NativeFile.hpp"
#include "OutputError.hpp"
#include "OutputFolder.hpp"

namespace d88 {

std::error_code FolderSink::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const auto image = source_.fileId();
    // A link at the name is replaced, never its target, so only the entry itself can be the image.
    if (image && entryIdOf((folder_.path() / name).string().c_str()) == image)
        return OutputError::imageBeingRead;
    return folder_.replace(name, data, size);
}

} // namespace d88
