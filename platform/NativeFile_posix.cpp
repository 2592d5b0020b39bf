#include "platform/NativeFile.hpp"

#include "platform/Error.hpp"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace d88 {
namespace {

int fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

} // namespace

std::error_code NativeFile::open(const char* path)
{
    close();
    // O_NONBLOCK: a FIFO must not hold the run up; it is refused just below.
    const int opened = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (opened < 0)
        return {errno, std::generic_category()};
    struct stat status { };
    if (::fstat(opened, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(opened);
        return S_ISDIR(status.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                       : std::error_code(Error::notRegularFile);
    }
    handle_ = opened;
    return {};
}

void NativeFile::close()
{
    if (isOpen())
        ::close(fd(handle_));
    handle_ = closedHandle;
}

std::uint64_t NativeFile::size() const
{
    struct stat status { };
    if (!isOpen() || ::fstat(fd(handle_), &status) != 0 || status.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

std::size_t NativeFile::readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const
{
    constexpr auto maxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    std::size_t done = 0;
    while (isOpen() && done < count && position <= maxOffset - done) {
        const ssize_t got = ::pread(fd(handle_), destination + done, count - done, static_cast<off_t>(position + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace d88
