#include "output/FolderSink.hpp"

#include "output/FolderSystem.hpp"
#include "platform/Error.hpp"

namespace d88 {

FolderSink::FolderSink(const std::filesystem::path& folder, Identity image, bool create)
    : folder_(folder, [this](const FileId& entry) { return refusal(entry); }), image_(std::move(image)), create_(create)
{
}

std::error_code FolderSink::prepare()
{
    return create_ ? system::createFolder(folder_.path()) : std::error_code();
}

FileError FolderSink::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    // Files wait for their names a batch at a time, each an open descriptor.
    constexpr std::size_t mostWaiting = 16;
    if (folder_.waiting() == mostWaiting)
        for (auto& failed : folder_.nameWaiting())
            unnamed_.push_back(std::move(failed));
    return folder_.replaceLater(name, [data, size](const OutputFolder::Put& put) { return put(data, size); });
}

FileSink::Finished FolderSink::finish()
{
    Finished finished{std::move(unnamed_), {}};
    unnamed_.clear();
    for (auto& failed : folder_.nameWaiting())
        finished.files.push_back(std::move(failed));
    finished.names = folder_.finish();
    return finished;
}

std::error_code FolderSink::refusal(const FileId& entry)
{
    // A link at the name is replaced, never its target, so only the entry
    // itself can be the image or where the log goes. The image is taken as
    // it was when the first file was written: the run only reads it.
    if (!imageId_)
        imageId_ = image_();
    if (isViewOf(entry, imageId_))
        return Error::imageBeingRead;
    const auto handles = system::logHandles();
    const Error which[] = {Error::standardOutput, Error::standardError};
    for (std::size_t log = 0; log < handles.size(); ++log) {
        // A log that is not a regular file (a terminal, a pipe) keeps its
        // identity, so it is taken once; a file's stamp moves as it is written.
        if (!logs_[log])
            logs_[log] = openIdOf(handles[log]).value_or(FileId{});
        const bool file = logs_[log]->stamp.regular;
        if (isViewOf(entry, file ? openIdOf(handles[log]) : logs_[log]))
            return which[log];
    }
    return {};
}

} // namespace d88
