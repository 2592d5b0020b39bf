#include "FolderSink.hpp"

#include "D88Image.hpp"
#include "Messages.hpp"
#include "NativeFile.hpp"
#include "OutputFile.hpp"

namespace d88 {

WriteOutcome FolderSink::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const auto image = source_.fileId();
    // A link at the name is replaced, never its target, so only the entry itself can be the image.
    if (image && entryIdOf((folder_.path() / name).string().c_str()) == image)
        return WriteOutcome::failed(std::string(imageBeingReadReason));
    if (std::string reason = folder_.replace(name, data, size); !reason.empty())
        return WriteOutcome::failed(std::move(reason));
    return WriteOutcome::written();
}

} // namespace d88
