#include "Entry.hpp"

#include "Catalogue.hpp"
#include "CutFile.hpp"
#include "D88Image.hpp"
#include "Messages.hpp"
#include "ReadPlan.hpp"
#include "Recognition.hpp"

namespace d88 {
namespace {

int usage(ToolContext& context, int argc, const char* const* argv)
{
    const std::string_view program = (argc > 0 && argv[0] != nullptr) ? argv[0] : fallbackProgramName;
    context.err << usageText(program);
    return exitFailure;
}

} // namespace

int runTool(int argc, const char* const* argv, ToolContext& context)
{
    if (argc < 2 || argc > 3)
        return usage(context, argc, argv);
    // Alone, the conventional options; with a DiskNo they are image names.
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        context.out << usageText(argv[0] != nullptr ? argv[0] : fallbackProgramName) << helpText << std::flush;
        return context.out ? exitSuccess : exitFailure;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        context.out << versionText << std::flush;
        return context.out ? exitSuccess : exitFailure;
    }

    int diskNumber = 0;
    if (argc == 3) {
        // Only the first character counts: "1x" is disk 1.
        diskNumber = static_cast<signed char>(argv[2][0]) - '0';
        if (diskNumber < 1 || diskNumber > 2)
            return usage(context, argc, argv);
    }

    D88Image& image = context.image;
    if (!image.open(argv[1])) {
        context.err << openFailedText;
        return exitFailure;
    }

    // Every disk is identified first and then every set disk's catalogue
    // read is prepared, so that two passes over the image answer them all.
    const std::vector<DiskKind> kinds =
        identifyDisks(image, context.buffer, diskNumber, diskNumber != 0 ? 1 : image.diskCount());
    prepareCatalogues(image, kinds);
    bool allWritten = true;
    for (std::int32_t disk = 0; disk < static_cast<std::int32_t>(kinds.size()); ++disk) {
        // A disk whose header cannot be read is deselected: every read of it
        // finds nothing, so it is passed over like any unrecognised disk.
        static_cast<void>(image.selectDisk(disk));
        image.setSectorRange(setFirstSector, setLastSector);
        const DiskKind kind = kinds[static_cast<std::size_t>(disk)];
        if (kind == DiskKind::neither)
            continue;
        context.err << (kind == DiskKind::diskA ? diskARecognisedText : diskBRecognisedText);
        allWritten &= cutCatalogue(context, kind);
        if (diskNumber != 0)
            break;
    }
    // The files are written; a log that did not reach its reader still fails the run.
    if (!context.out.flush()) {
        context.err << standardOutputFailedText;
        return exitFailure;
    }
    return allWritten ? exitSuccess : exitFailure;
}

} // namespace d88
