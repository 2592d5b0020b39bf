#include "OutputFolder.hpp"

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

} // namespace

OutputFolder::~OutputFolder()
{
    system::closeFolder(folder_);
}

std::error_code OutputFolder::replace(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    if (!opened_) {
        if (const std::error_code failed = system::openFolder(path_, folder_))
            return failed;
        opened_ = true;
    }
    system::Target target;
    if (const std::error_code refused = system::inspect(folder_, name, target))
        return refused;
    std::error_code failed = write(folder_, name, target, system::Creation::unnamed, data, size);
    if (failed == std::errc::not_supported)
        failed = write(folder_, name, target, system::Creation::named, data, size);
    return failed;
}

std::error_code OutputFolder::write(const system::Folder& folder, const std::string& name, const system::Target& target,
                                    system::Creation creation, const std::uint8_t* data, std::size_t size)
{
    system::NewFile file;
    if (const std::error_code failed = system::createFile(folder, name, creation, file))
        return failed;
    Pending pending(folder, file);
    if (const std::error_code failed = writeAll(file.handle, data, size))
        return failed;
    if (const std::error_code failed = system::setAccess(file.handle, target.keep, creation))
        return failed;
    if (creation == system::Creation::unnamed)
        if (const std::error_code failed = system::nameFile(folder, name, file))
            return failed;
    if (const std::error_code failed = system::closeFile(file))
        return failed;
    if (const std::error_code failed = system::renameOver(folder, file, name))
        return failed;
    pending.done();
    return {};
}

} // namespace d88
