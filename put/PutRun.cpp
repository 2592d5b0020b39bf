#include "put/PutRun.hpp"

#include <array>
#include <filesystem>

#include "console/Console.hpp"
#include "console/PrintableName.hpp"
#include "console/Program.hpp"
#include "image/D88Image.hpp"
#include "image/DiskChain.hpp"
#include "image/ForeignFormat.hpp"
#include "output/OutputFolder.hpp"
#include "platform/Error.hpp"
#include "platform/NativeFile.hpp"
#include "put/Destination.hpp"
#include "put/FolderFiles.hpp"
#include "put/PatchedImage.hpp"
#include "put/PutMessages.hpp"
#include "put/PutPlan.hpp"
#include "set/Catalogue.hpp"
#include "set/ReadPlan.hpp"
#include "tool/Entry.hpp"
#include "tool/Messages.hpp"

namespace d88 {
namespace {

using console::printableName;

// Opens the image again through a handle of its own: the same file, as it was.
std::error_code reopen(const std::string& path, NativeFile& source, std::uint64_t size, const std::optional<FileId>& id)
{
    if (const std::error_code failed = source.open(path.c_str()))
        return failed;
    return id && isImageAsRead(source, size, id) ? std::error_code() : Error::imageChanged;
}

int failWith(PutContext& context, const std::string& text)
{
    context.err << text;
    logWritten(context.out, context.err);
    return exitFailure;
}

std::string noDiskText(D88Image& image, const std::string& name)
{
    return noDiskError(name, archiveFormatOf(image), image.diskCount() == 0);
}

// Says what stops the new image from going where the command line says;
// nothing where it may.
class Target {
public:
    Target(const PutCommand& command, const std::optional<FileId>& image) : command_(command), image_(image) { }

    std::error_code refusal(const FileId& entry) const
    {
        if (command_.inPlace)
            return image_ && entry == *image_ ? std::error_code() : Error::notTheImage;
        return isViewOf(entry, image_) ? Error::imageBeingRead : std::error_code();
    }
    // The same before anything is read; with --in-place an image gone from its
    // name is not brought back under it.
    std::error_code refusal(const std::optional<FileId>& entry) const
    {
        if (!entry)
            return command_.inPlace ? std::error_code(Error::notTheImage) : std::error_code();
        return refusal(*entry);
    }
    std::string text(const std::error_code& reason) const
    {
        if (reason == Error::imageBeingRead)
            return imageIsOutput(command_.output);
        if (reason == Error::imageChanged)
            return imageChangedError(command_.image);
        return outputError(name(), reason.message());
    }
    const std::string& name() const { return command_.inPlace ? command_.image : command_.output; }

private:
    const PutCommand& command_;
    const std::optional<FileId>& image_;
};

int put(const PutCommand& command, PutContext& context)
{
    const std::string& newPath = command.inPlace ? command.image : command.output;
    const auto destination = destinationOf(newPath);
    if (!destination)
        return failWith(context, outputError(newPath, "it names a folder, not a file"));

    D88Image& image = context.image;
    if (const std::error_code failed = image.open(command.image.c_str()))
        return failWith(context, openError(printableName(command.image), failed.message()));
    const std::optional<FileId> imageId = image.fileId();
    const Target target(command, imageId);
    if (const std::error_code refused = target.refusal(entryIdOf(console::pathOf(newPath))))
        return failWith(context, target.text(refused));

    const int diskNumber = command.diskNumber;
    // As d88cut says it: a file that looks like something else, where DiskNo
    // takes its first disk all the same; zero padding after the disks, which
    // is no more disks; a DiskNo the signature disagrees with.
    if (diskNumber != 0)
        if (const auto instead = notAnImage(command.image, archiveFormatOf(image), image.diskCount() == 0))
            context.err << *instead;
    const auto [signatures, kinds] = takeDisks(image, context.buffer, diskNumber);
    prepareCatalogues(image, kinds);
    if (diskNumber == 0) {
        if (const std::optional<ChainEnd> chain = chainEnd(image))
            context.err << chainEnds(command.image, chain->offset, chain->size);
        else if (image.moreDisksFollow())
            context.err << disksPassedOver(command.image, D88Image::maxDisks);
    } else if (!kinds.empty() && signatures.front() != kinds.front()) {
        context.err << diskNumberContradicts(command.image, diskNumber, kinds.front(), signatures.front());
    }
    if (std::all_of(kinds.begin(), kinds.end(), [](DiskKind kind) { return kind == DiskKind::neither; }))
        return failWith(context, noDiskText(image, command.image));

    if (command.directory) {
        // A folder that is not there is said to be missing, not empty.
        std::error_code failed;
        if (!std::filesystem::is_directory(console::pathOf(*command.directory), failed))
            return failWith(
                context, folderMissing(*command.directory, failed ? failed.message() : std::string("no such folder")));
    }
    const FolderFiles files = loadFolderFiles(command.directory.value_or(""), kinds);
    if (files.empty())
        return failWith(context, noFilesError(command.directory.value_or(".")));

    // The image's bytes are copied from a second reading of the same file,
    // taken as it was when the run read it.
    const std::uint64_t size = image.fileSize();
    NativeFile source;
    if (const std::error_code failed = reopen(command.image, source, size, imageId))
        return failWith(context,
                        failed == Error::imageChanged ? imageChangedError(command.image)
                                                      : openError(printableName(command.image), failed.message()));

    PutPlan plan = planPut(image, kinds, files, context.buffer);
    checkOverlaps(plan, files, source);
    for (const std::string& warning : plan.warnings)
        context.err << warning;
    if (!plan.refusals.empty()) {
        for (const std::string& refusal : plan.refusals)
            context.err << refusal;
        return failWith(context, nothingWritten(plan.refusals.size()));
    }

    // Nothing holds the image open while the new one is renamed over it
    // (Windows refuses to replace an open file): the copy opens it afresh.
    source.close();
    image.close();
    OutputFolder folder(console::pathOf(destination->folder),
                        [&target](const FileId& entry) { return target.refusal(entry); });
    const FileError failed = folder.replace(destination->name, [&](const OutputFolder::Put& put) {
        NativeFile copied;
        if (const std::error_code changed = reopen(command.image, copied, size, imageId))
            return changed;
        return writePatched(copied, size, imageId, plan, files, put);
    });
    if (failed && !failed.inPlace)
        return failWith(
            context, failed.leftBehind.empty() ? target.text(failed.reason) : outputError(newPath, failed.message()));
    // From here the new image has its name: what fails after that says so.
    for (const std::string& line : plan.putLines)
        context.out << line;
    if (failed)
        return failWith(context, closeError(printableName(newPath), failed.message()));
    if (const std::error_code unsynced = folder.finish())
        return failWith(context, syncError(destination->folder, unsynced.message()));
    return logWritten(context.out, context.err) ? exitSuccess : exitFailure;
}

} // namespace

int runPut(const PutCommand& command, PutContext& context)
{
    switch (command.action) {
    case PutCommand::Action::help:
        return answer(context.out, context.err, putUsageText(command.program) + std::string(putHelpText));
    case PutCommand::Action::showVersion:
        return answer(context.out, context.err, "d88put " + std::string(version) + "\n");
    case PutCommand::Action::usageError:
        context.err << putUsageText(command.program) << console::usageProblem(command.program, command.problem)
                    << std::flush;
        return exitFailure;
    case PutCommand::Action::put:
        break;
    }
    return put(command, context);
}

} // namespace d88
