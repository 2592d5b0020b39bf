#include "tool/Entry.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "console/CommandLine.hpp"
#include "image/D88Image.hpp"
#include "image/DiskChain.hpp"
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

// A disk cut whose size reaches past the end of the file has lost its end,
// and any disk after it: said once for the disk, before its files' warnings.
void reportCutShort(ToolContext& context, const std::string& imageName, std::int32_t disk)
{
    D88Image& image = context.image;
    const std::uint64_t offset = image.diskOffset(disk);
    const std::uint64_t size = image.selectedDiskSize();
    const std::uint64_t fileSize = image.fileSize();
    if (offset + size > fileSize)
        context.err << diskCutShort(imageName, disk, image.selectedDiskSize(),
                                    fileSize > offset ? fileSize - offset : 0);
}

int cut(const Command& command, ToolContext& context)
{
    D88Image& image = context.image;
    if (const std::error_code failed = image.open(command.image.c_str())) {
        context.err << openFailedText << openError(command.image, failed.message());
        return exitFailure;
    }
    const int diskNumber = command.diskNumber;
    // DiskNo cuts the first disk whatever the file is; the magic bytes are a
    // guess, so a file that looks like something else is named, not refused.
    if (diskNumber != 0)
        if (const auto instead = notAnImage(command.image, archiveFormatOf(image), image.diskCount() == 0))
            context.err << *instead;
    const std::optional<ChainEnd> chain = diskNumber == 0 ? chainEnd(image) : std::nullopt;

    // Every disk is identified first and then every set disk's catalogue
    // read is prepared, so that two passes over the image answer them all.
    // The signatures are read also where DiskNo decides, to say when they disagree.
    const auto [signatures, kinds] = takeDisks(image, context.buffer, diskNumber);
    prepareCatalogues(image, kinds);
    WriteFailures failures(command.directory);
    bool allWritten = true;
    bool recognised = false;
    for (std::int32_t disk = 0; disk < static_cast<std::int32_t>(kinds.size()); ++disk) {
        // A disk whose header cannot be read is deselected: every read of it
        // finds nothing, so it is passed over like any unrecognised disk.
        const bool selected = image.selectDisk(disk);
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
        if (selected)
            reportCutShort(context, command.image, disk);
        if (const DiskKind signature = signatures[static_cast<std::size_t>(disk)]; signature != kind)
            context.err << diskNumberContradicts(command.image, diskNumber, kind, signature);
        allWritten &= cutCatalogue(context, kind, failures);
        if (diskNumber != 0)
            break;
    }
    // The files written get their names, and the names are synced once.
    if (recognised) {
        const FileSink::Finished finished = context.files.finish();
        for (const auto& [name, failure] : finished.files)
            failures.failed(context.err, name, failure);
        if (finished.names)
            context.err << syncError(command.directory.value_or("."), finished.names.message());
        allWritten &= finished.files.empty() && !finished.names;
    }
    if (diskNumber == 0) {
        // Zero padding or another format after the disks is no more disks.
        if (chain)
            context.err << chainEnds(command.image, chain->offset, chain->size);
        else if (image.moreDisksFollow())
            context.err << disksPassedOver(command.image, D88Image::maxDisks);
        if (!recognised)
            context.err << nothingFound(command.image, archiveFormatOf(image), image.diskCount() == 0);
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
        context.err << usageText(command.program) << console::usageProblem(command.program, command.problem)
                    << std::flush;
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
