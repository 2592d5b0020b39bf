#include "output/OutputFolder.hpp"

#include "output/TestSwitches.hpp"
#include "platform/Error.hpp"

namespace d88 {
namespace {

// Removes the new file unless it reached its name, also when an exception
// (out of memory) passes.
class Pending {
public:
    Pending(const system::Folder& folder, system::NewFile& file) : folder_(folder), file_(file) { }
    ~Pending()
    {
        if (!done_)
            system::discard(folder_, file_);
    }
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;
    void done() { done_ = true; }
    // Removes the file now and returns `failed`, naming its temporary where
    // that could not be removed.
    FileError fail(std::error_code failed)
    {
        done_ = true;
        std::string temporary = file_.temporary;
        if (system::discard(folder_, file_))
            temporary.clear();
        return FileError{failed, std::move(temporary)};
    }

private:
    const system::Folder& folder_;
    system::NewFile& file_;
    bool done_ = false;
};

std::error_code writeAll(system::Handle file, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        std::size_t written = 0;
        if (const std::error_code failed = system::writeSome(file, data, size, written))
            return failed;
        if (written == 0)
            return std::make_error_code(std::errc::io_error); // no progress and no reason given
        data += written;
        size -= written;
    }
    return {};
}

// Gives a complete file its name: a named temporary is closed first, so a
// close that fails (a network or FUSE file system) leaves the old file in
// place. An unnamed file gets a new name at once, with no temporary name at
// all; over an old file, or where something came to the name meanwhile, it
// is named and renamed at once. It is closed after, by the caller.
std::error_code giveName(const system::Folder& folder, const std::string& name, bool replacing,
                         system::Creation creation, system::NewFile& file)
{
    if (creation == system::Creation::named) {
        if (const std::error_code failed = system::closeFile(file))
            return failed;
        return system::renameOver(folder, file, name);
    }
    std::error_code failed =
        replacing ? std::make_error_code(std::errc::file_exists) : system::linkFile(folder, name, file);
    if (failed == std::errc::file_exists) {
        failed = system::nameFile(folder, name, file);
        if (!failed)
            failed = system::renameOver(folder, file, name);
    }
    return failed;
}

} // namespace

OutputFolder::~OutputFolder()
{
    system::closeFolder(folder_);
}

FileError OutputFolder::replace(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    return replace(name, [data, size](const Put& put) { return put(data, size); });
}

FileError OutputFolder::replace(const std::string& name, const Content& content)
{
    if (!opened_) {
        if (const std::error_code failed = system::openFolder(path_, folder_))
            return failed;
        opened_ = true;
    }
    system::Target target;
    const std::error_code inspected = system::inspect(folder_, name, target);
    if (target.entry && guard_)
        if (const std::error_code refused = guard_(*target.entry))
            return refused;
    if (inspected)
        return inspected;
    // Known up front, so no temporary is left that the folder will not let go.
    if (target.entry && folder_.appendOnly)
        return Error::appendOnlyFolder;
    FileError failed = testSwitches().namedTemporary ? FileError{std::make_error_code(std::errc::not_supported)}
                                                     : write(name, target, system::Creation::unnamed, content);
    if (failed.reason == std::errc::not_supported) {
        if (folder_.appendOnly)
            return Error::appendOnlyFolder;
        failed = write(name, target, system::Creation::named, content);
    }
    return failed;
}

std::error_code OutputFolder::finish()
{
    if (!named_)
        return {};
    named_ = false;
    return system::syncFolder(folder_);
}

FileError OutputFolder::write(const std::string& name, const system::Target& target, system::Creation creation,
                              const Content& content)
{
    const bool replacing = target.entry.has_value();
    system::NewFile file;
    if (const std::error_code failed = system::createFile(folder_, name, creation, target.keep.has_value(), file))
        return failed;
    Pending pending(folder_, file);
    const Put put = [&file](const std::uint8_t* data, std::size_t size) { return writeAll(file.handle, data, size); };
    if (const std::error_code failed = content(put))
        return pending.fail(failed);
    if (const std::error_code failed = system::setAccess(folder_, file.handle, target.keep, creation))
        return pending.fail(failed);
    // The data is on the disk before the name is: a crash after the rename
    // must not leave the name on a file whose data never arrived.
    if (const std::error_code failed = system::syncData(folder_, file.handle))
        return pending.fail(failed);
    if (const std::error_code failed = giveName(folder_, name, replacing, creation, file))
        return pending.fail(failed);
    pending.done();
    named_ = true;
    if (file.handle != system::noHandle)
        if (const std::error_code failed = system::closeFile(file)) {
            FileError closing{failed};
            closing.inPlace = true;
            return closing;
        }
    return {};
}

} // namespace d88
