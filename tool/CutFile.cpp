#include "CutFile.hpp"

#include <algorithm>

#include "D88Image.hpp"
#include "FileSink.hpp"

namespace d88 {

bool cutFile(ToolContext& context, const std::string& name, std::int32_t track, std::int32_t c, std::int32_t h,
             std::int32_t r, std::int32_t n, std::int32_t skip, std::int32_t length)
{
    const bool fits = skip >= 0 && length >= 0 &&
                      static_cast<std::uint64_t>(skip) + static_cast<std::uint64_t>(length) <= context.buffer.size();
    if (!fits) {
        context.err << "error: cannot write " << name << '\n';
        return false;
    }
    const std::int32_t wanted = skip + length;

    // Whatever the extent does not place stays zero, never a leftover of an
    // earlier file or disk.
    std::fill_n(context.buffer.begin(), wanted, std::uint8_t{0});
    const std::int32_t found = context.image.readExtent(track, c, h, r, n, context.buffer.data(), wanted);

    context.out << "cutting ... " << name << '\n';
    if (found < wanted)
        context.err << "warning: " << name << ": only " << std::max(found - skip, 0) << " of " << length
                    << " bytes found; the rest is zero-filled\n";

    if (!context.files.write(name, context.buffer.data() + skip, static_cast<std::size_t>(length))) {
        context.err << "error: cannot write " << name << '\n';
        return false;
    }
    return true;
}

bool cutCatalogue(ToolContext& context, DiskKind kind)
{
    bool allWritten = true;
    for (const CatalogueFile& file : catalogueFor(kind))
        allWritten &= cutFile(context, file.name, file.track, file.c, file.h, file.r, file.n, file.skip, file.length);
    return allWritten;
}

} // namespace d88
