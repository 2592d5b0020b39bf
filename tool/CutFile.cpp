#include "CutFile.hpp"

#include <algorithm>

#include "D88Image.hpp"
#include "FileSink.hpp"
#include "Messages.hpp"

namespace d88 {

bool cutFile(ToolContext& context, const CatalogueFile& file)
{
    const bool fits = file.skip >= 0 && file.length >= 0 &&
                      static_cast<std::uint64_t>(file.skip) + static_cast<std::uint64_t>(file.length) <=
                          context.buffer.size();
    if (!fits) {
        context.err << writeError(file.name, tooLargeReason);
        return false;
    }
    const std::int32_t wanted = file.skip + file.length;

    // Whatever the extent does not place stays zero, never a leftover of an
    // earlier file or disk.
    std::fill_n(context.buffer.begin(), wanted, std::uint8_t{0});
    const SectorAddress& at = file.start;
    D88Image::Shortfall stop{};
    const std::int32_t found =
        context.image.readExtent(at.track, at.c, at.h, at.r, at.n, context.buffer.data(), wanted, &stop);

    // Flushed at once, so the log of an interrupted run is true.
    context.out << progressLine(file.name) << std::flush;
    if (found < wanted)
        context.err << shortfallWarning(file.name, std::max(found - file.skip, 0), file.length, stop);

    const WriteOutcome outcome =
        context.files.write(file.name, context.buffer.data() + file.skip, static_cast<std::size_t>(file.length));
    if (!outcome) {
        context.err << writeError(file.name, outcome.failure);
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
