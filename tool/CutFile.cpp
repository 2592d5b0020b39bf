#include "tool/CutFile.hpp"

#include "set/FileRead.hpp"
#include "tool/Messages.hpp"

namespace d88 {

void reportFileError(ToolContext& context, const std::string& name, const FileError& failure)
{
    context.err << (failure.inPlace ? closeError(name, failure.message()) : writeError(name, failure.message()));
}

bool cutFile(ToolContext& context, const CatalogueFile& file)
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
        reportFileError(context, file.name, failure);
        return false;
    }
    return true;
}

bool cutCatalogue(ToolContext& context, DiskKind kind)
{
    bool allWritten = true;
    for (const CatalogueFile& file : catalogueFor(kind))
        allWritten &= cutFile(context, file);
    return allWritten;
}

} // namespace d88
