#include "tool/CutFile.hpp"

#include <filesystem>

#include "output/FileSink.hpp"
#include "set/FileRead.hpp"
#include "tool/Messages.hpp"

namespace d88 {

namespace {

// Reasons a folder gives for every file put in it. Others (a file too large,
// a folder or the image at the name) belong to the one file.
bool folderWide(std::error_code reason)
{
    return reason == std::errc::permission_denied || reason == std::errc::operation_not_permitted ||
        reason == std::errc::read_only_file_system || reason == std::errc::no_space_on_device;
}

std::string currentFolder()
{
    std::error_code failed;
    const std::u8string path = std::filesystem::current_path(failed).u8string();
    return failed ? std::string(".") : std::string(path.begin(), path.end());
}

} // namespace

void WriteFailures::failed(std::ostream& err, const std::string& name, const FileError& error)
{
    // A file in place whose close failed is this file's own story.
    if (error.inPlace) {
        err << closeError(name, error.message());
        streak_ = 0;
        return;
    }
    // A temporary left behind is named whatever the streak: it is the file's own.
    const bool alike = streak_ > 0 && error.reason == last_ && error.leftBehind.empty() && folderWide(error.reason);
    streak_ = alike ? streak_ + 1 : 1;
    last_ = error.reason;
    if (streak_ == 1)
        err << writeError(name, error.message());
    else if (streak_ == 2)
        err << folderRefuses(folder_ ? *folder_ : currentFolder(), error.reason.message());
}

bool cutFile(ToolContext& context, const CatalogueFile& file, WriteFailures& failures)
{
    const FileRead read = readCatalogueFile(context.image, file, context.buffer);
    if (!read.fits) {
        context.err << writeError(file.name, tooLargeReason);
        return false;
    }
    // Flushed at once, so the log of an interrupted run is true.
    context.out << progressLine(file.name) << std::flush;
    if (!read.complete)
        context.err << shortfallWarning(file.name, read.found, file.length, read.stop);

    const FileError failure =
        context.files.write(file.name, context.buffer.data() + file.skip, static_cast<std::size_t>(file.length));
    if (failure) {
        failures.failed(context.err, file.name, failure);
        return false;
    }
    failures.written();
    return true;
}

bool cutCatalogue(ToolContext& context, DiskKind kind, WriteFailures& failures)
{
    bool allWritten = true;
    for (const CatalogueFile& file : catalogueFor(kind))
        allWritten &= cutFile(context, file, failures);
    return allWritten;
}

} // namespace d88
