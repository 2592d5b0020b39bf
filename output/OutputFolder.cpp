#include "output/OutputFolder.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

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
std::error_code putInPlace(const system::Folder& folder, const std::string& name, bool replacing,
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

// The syncs of waiting files run side by side, a few at a time, where one
// sync takes long enough to pay for starting threads: on a disk that flushes
// its cache for each (milliseconds), not in memory (tmpfs, microseconds).
constexpr std::size_t syncThreads = 4;
constexpr std::chrono::microseconds slowSync{200};

// Syncs the data of every file; the result of each.
std::vector<std::error_code> syncAll(const std::vector<system::Handle>& files)
{
    std::vector<std::error_code> results(files.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t at = next++; at < files.size(); at = next++)
            results[at] = system::syncData(files[at]);
    };
    const auto start = std::chrono::steady_clock::now();
    if (!files.empty())
        results[next++] = system::syncData(files.front());
    std::vector<std::thread> helpers;
    if (std::chrono::steady_clock::now() - start >= slowSync) {
        try {
            helpers.reserve(syncThreads - 1);
            while (helpers.size() + 1 < std::min(syncThreads, files.size() - 1))
                helpers.emplace_back(work);
        } catch (...) {
            // No more threads (out of memory, or of threads): fewer will do.
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return results;
}

} // namespace

OutputFolder::~OutputFolder()
{
    // Files still waiting were never named: unnamed, they vanish as they close.
    for (Waiting& waiting : waiting_)
        system::discard(folder_, waiting.file);
    system::closeFolder(folder_);
}

FileError OutputFolder::replace(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    return replace(name, [data, size](const Put& put) { return put(data, size); });
}

FileError OutputFolder::replace(const std::string& name, const Content& content)
{
    return put(name, content, false);
}

FileError OutputFolder::replaceLater(const std::string& name, const Content& content)
{
    return put(name, content, true);
}

FileError OutputFolder::put(const std::string& name, const Content& content, bool later)
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
                                                     : write(name, target, system::Creation::unnamed, content, later);
    // A named temporary never waits: the signal handler removes only the
    // one being written.
    if (failed.reason == std::errc::not_supported) {
        if (folder_.appendOnly)
            return Error::appendOnlyFolder;
        failed = write(name, target, system::Creation::named, content, false);
    }
    return failed;
}

std::vector<std::pair<std::string, FileError>> OutputFolder::nameWaiting()
{
    std::vector<system::Handle> handles;
    for (const Waiting& waiting : waiting_)
        handles.push_back(waiting.file.handle);
    const std::vector<std::error_code> synced = syncAll(handles);
    std::vector<std::pair<std::string, FileError>> failures;
    for (std::size_t at = 0; at < waiting_.size(); ++at) {
        Waiting& waiting = waiting_[at];
        FileError failed;
        if (synced[at])
            failed = Pending(folder_, waiting.file).fail(synced[at]);
        else
            failed = giveName(waiting.name, waiting.replacing, system::Creation::unnamed, waiting.file);
        if (failed)
            failures.emplace_back(waiting.name, std::move(failed));
    }
    waiting_.clear();
    return failures;
}

std::error_code OutputFolder::finish()
{
    if (!named_)
        return {};
    named_ = false;
    return system::syncFolder(folder_);
}

FileError OutputFolder::write(const std::string& name, const system::Target& target, system::Creation creation,
                              const Content& content, bool later)
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
    if (later && creation == system::Creation::unnamed) {
        pending.done();
        // A waiting file of the same name (an image holding a disk twice)
        // would only be renamed over: it is dropped unsynced and unnamed, so
        // a run over many such disks syncs and names each name once.
        const auto earlier = std::find_if(waiting_.begin(), waiting_.end(),
                                          [&name](const Waiting& waiting) { return waiting.name == name; });
        if (earlier != waiting_.end()) {
            system::discard(folder_, earlier->file);
            waiting_.erase(earlier);
        }
        waiting_.push_back({name, replacing, file});
        return {};
    }
    // The data is on the disk before the name is: a crash after the rename
    // must not leave the name on a file whose data never arrived.
    if (const std::error_code failed = system::syncData(file.handle))
        return pending.fail(failed);
    pending.done();
    return giveName(name, replacing, creation, file);
}

// Names a complete file whose data is synced, and closes it.
FileError OutputFolder::giveName(const std::string& name, bool replacing, system::Creation creation,
                                 system::NewFile& file)
{
    system::keepForSync(folder_, file.handle);
    Pending pending(folder_, file);
    if (const std::error_code failed = putInPlace(folder_, name, replacing, creation, file))
        return pending.fail(failed);
    pending.done();
    named_ = true;
    if (file.handle == system::noHandle) // a named temporary, closed before its rename
        return {};
    if (const std::error_code failed = system::closeFile(file)) {
        FileError closing{failed};
        closing.inPlace = true;
        return closing;
    }
    return {};
}

} // namespace d88
