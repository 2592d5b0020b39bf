#include "tool/Entry.hpp"

#include <array>

#include "image/D88Image.hpp"
#include "image/ForeignFormat.hpp"
#include "output/FileSink.hpp"
#include "set/Catalogue.hpp"
#include "set/ReadPlan.hpp"
#include "set/Recognition.hpp"
#include "tool/CutFile.hpp"
#include "tool/Messages.hpp"

namespace d88 {

int answer(std::ostream& out, std::ostream& err, const std::string& text)
{
    if (out << text << std::flush)
        return exitSuccess;
    err << standardOutputFailedText << std::flush;
    return exitFailure;
}

bool logWritten(std::ostream& out, std::ostream& err)
{
    const bool outWritten = static_cast<bool>(out.flush());
    const bool errWritten = static_cast<bool>(err.flush());
    if (!outWritten)
        err << standardOutputFailedText << std::flush;
    if (!errWritten)
        out << standardErrorFailedText << std::flush;
    return outWritten && errWritten;
}

namespace {

// Said once a run without DiskNo has recognised nothing, so a wrong image is
// not mistaken for a silent failure.
void reportNothingFound(ToolContext& context, const std::string& imageName)
{
    D88Image& image = context.image;
    std::array<std::uint8_t, archiveHeadSize> head{};
    const std::size_t got = image.readHead(head);
    context.err << nothingFound(imageName, archiveFormatOf(std::span(head).first(got)), image.diskCount() == 0);
}

int cut(const Command& command, ToolContext& context)
{
    D88Image& image = context.image;
    if (const std::error_code failed = image.open(command.image.c_str())) {
        context.err << openFailedText << openError(command.image, failed.message());
        return exitFailure;
    }

    // Every disk is identified first and then every set disk's catalogue
    // read is prepared, so that two passes over the image answer them all.
    const std::vector<DiskKind> kinds =
        identifyDisks(image, context.buffer, command.diskNumber, command.diskNumber != 0 ? 1 : image.diskCount());
    prepareCatalogues(image, kinds);
    bool allWritten = true;
    bool recognised = false;
    for (std::int32_t disk = 0; disk < static_cast<std::int32_t>(kinds.size()); ++disk) {
        // A disk whose header cannot be read is deselected: every read of it
        // finds nothing, so it is passed over like any unrecognised disk.
        static_cast<void>(image.selectDisk(disk));
        image.setSectorRange(setFirstSector, setLastSector);
        const DiskKind kind = kinds[static_cast<std::size_t>(disk)];
        if (kind == DiskKind::neither)
            continue;
        // The folder is made only once there is something to put in it.
        if (!recognised) {
            if (const std::error_code failed = context.files.prepare()) {
                context.err << folderError(command.directory.value_or("."), failed.message());
                return exitFailure;
            }
        }
        recognised = true;
        context.err << (kind == DiskKind::diskA ? diskARecognisedText : diskBRecognisedText);
        allWritten &= cutCatalogue(context, kind);
        if (command.diskNumber != 0)
            break;
    }
    if (command.diskNumber == 0) {
        if (image.moreDisksFollow())
            context.err << disksPassedOver(command.image, D88Image::maxDisks);
        if (!recognised)
            reportNothingFound(context, command.image);
    }
    const bool logged = logWritten(context.out, context.err);
    return allWritten && logged ? exitSuccess : exitFailure;
}

} // namespace

int runTool(const Command& command, ToolContext& context)
{
    switch (command.action) {
    case Command::Action::help:
        return answer(context.out, context.err, usageText(command.program) + std::string(helpText));
    case Command::Action::showVersion:
        return answer(context.out, context.err, "d88cut " + std::string(version) + "\n");
    case Command::Action::usageError:
        context.err << usageText(command.program) << usageProblem(command.program, command.problem) << std::flush;
        return exitFailure;
    case Command::Action::cut:
        break;
    }
    return cut(command, context);
}

int runTool(int argc, const char* const* argv, ToolContext& context)
{
    return runTool(parseCommandLine(argc, argv), context);
}

} // namespace d88
