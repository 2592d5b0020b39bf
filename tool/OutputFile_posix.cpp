#include "OutputFile.hpp"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace d88 {
namespace {

constexpr int temporaryMode = 0600; // a named temporary is private until complete
constexpr int namingAttempts = 16;
constexpr const char* accessAclName = "system.posix_acl_access";

using Access = OutputFolder::Access;

// The named temporary of this run, for the signal handler: written before the
// name exists on disk, cleared once it is renamed or removed.
volatile std::sig_atomic_t pendingSet = 0;
int pendingFolder = -1;
std::array<char, 512> pendingName{};

void setPending(int folder, const std::string& name)
{
    if (name.size() >= pendingName.size())
        return;
    pendingFolder = folder;
    std::memcpy(pendingName.data(), name.c_str(), name.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    pendingSet = 1;
}

void clearPending()
{
    pendingSet = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

extern "C" void onInterrupt(int signal)
{
    if (pendingSet)
        ::unlinkat(pendingFolder, pendingName.data(), 0);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string reason(int error) { return std::strerror(error); }

// Closes a descriptor when the scope ends.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done == 0)
            errno = EIO; // no progress and no reason given: say it failed
        if (done <= 0)
            return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// The mode a file created now gets: what the umask leaves of 0666.
mode_t newFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

// What is at NAME decides whether it may be replaced and the new file's
// access: `keep` is set for a regular file being replaced. Nothing at NAME is
// followed: a symbolic link there is replaced, its target left alone.
std::string checkTarget(int folder, const std::filesystem::path& folderPath, const std::string& name,
                        std::optional<Access>& keep)
{
    struct stat status {};
    if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? std::string() : reason(errno);
    if (S_ISDIR(status.st_mode))
        return reason(EISDIR);
    if (S_ISREG(status.st_mode)) {
        // Refused where a plain open for writing would refuse it; the owner
        // with the write bit set needs no asking.
        const bool ownWritable = status.st_uid == ::geteuid() && (status.st_mode & S_IWUSR) != 0;
        if (!ownWritable && ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0)
            return reason(errno);
        Access access{status.st_mode & 0777, {}};
        const std::string path = (folderPath / name).string();
        const ssize_t size = ::lgetxattr(path.c_str(), accessAclName, nullptr, 0);
        if (size > 0) {
            access.acl.resize(static_cast<std::size_t>(size));
            const ssize_t got = ::lgetxattr(path.c_str(), accessAclName, access.acl.data(), access.acl.size());
            access.acl.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        keep = std::move(access);
    }
    return {};
}

// Gives the new file the replaced file's access; a new name keeps what its
// creation gave it (the umask, or the folder's default ACL).
bool setAccess(int fd, const std::optional<Access>& keep)
{
    if (!keep)
        return true;
    if (!keep->acl.empty()) {
        if (::fsetxattr(fd, accessAclName, keep->acl.data(), keep->acl.size(), 0) != 0)
            return false;
    } else if (::fremovexattr(fd, accessAclName) != 0 && errno != ENODATA && errno != ENOTSUP &&
               errno != EOPNOTSUPP) {
        return false;
    }
    return ::fchmod(fd, keep->mode) == 0;
}

// Gives the unnamed file `fd` a fresh temporary name; false when this system
// cannot (no O_TMPFILE linking), with `error` set for any other failure.
bool nameUnnamed(int folder, int fd, const std::string& name, std::string& temporary, int& error)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        temporary = temporaryNameFor(name);
        setPending(folder, temporary);
        if (::linkat(AT_FDCWD, self.c_str(), folder, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        error = errno;
        clearPending();
        if (error != EEXIST)
            return false;
    }
    return false;
}

int createNamed(int folder, const std::string& name, std::string& temporary)
{
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        temporary = temporaryNameFor(name);
        setPending(folder, temporary);
        const int fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                temporaryMode);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                clearPending();
            return fd;
        }
        clearPending();
    }
    errno = EEXIST;
    return -1;
}

std::string fail(int folder, const std::string& temporary, int error)
{
    ::unlinkat(folder, temporary.c_str(), 0);
    clearPending();
    return reason(error);
}

} // namespace

void protectStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            // The lowest free descriptor is the one missing.
            const int opened = ::open(fd == 1 ? "/dev/full" : "/dev/null", O_RDWR);
            if (opened >= 0 && opened != fd)
                ::close(opened);
        }
}

void removeTemporaryOnInterrupt()
{
    // A file grown past the size limit fails with its reason (File too large)
    // instead of ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // A signal the run was started with ignored (nohup, a background job)
        // stays ignored.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

OutputFolder::OutputFolder(std::filesystem::path folder) : path_(std::move(folder)) {}

OutputFolder::~OutputFolder()
{
    if (handle_ >= 0)
        ::close(handle_);
}

std::string OutputFolder::replace(const std::string& name, const std::uint8_t* data, std::size_t size)
{
#ifdef O_PATH
    // Only a place to name files in: a folder the user may write but not
    // read (a drop box) works.
    constexpr int folderAccess = O_PATH;
#else
    constexpr int folderAccess = O_RDONLY;
#endif
    if (handle_ < 0)
        handle_ = ::open(path_.c_str(), folderAccess | O_DIRECTORY | O_CLOEXEC);
    if (handle_ < 0)
        return reason(errno);
    const int folder = handle_;
    std::optional<Access> keep;
    if (std::string refused = checkTarget(folder, path_, name, keep); !refused.empty())
        return refused;
    std::string temporary;
    try {
        return place(folder, name, keep, data, size, temporary);
    } catch (...) {
        // Out of memory mid-way: the named temporary goes with the run.
        if (!temporary.empty())
            ::unlinkat(folder, temporary.c_str(), 0);
        clearPending();
        throw;
    }
}

std::string OutputFolder::place(int folder, const std::string& name, const std::optional<Access>& keep,
                                const std::uint8_t* data, std::size_t size, std::string& temporary)
{
    Descriptor file;
#ifdef O_TMPFILE
    // Unnamed until complete, so even a killed run leaves nothing behind; as
    // nothing can open it, it may have its final mode from the start.
    file.fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (file.fd >= 0) {
        if (!writeAll(file.fd, data, size) || !setAccess(file.fd, keep))
            return reason(errno);
        int error = 0;
        if (!nameUnnamed(folder, file.fd, name, temporary, error)) {
            if (error != ENOENT && error != EPERM && error != EXDEV)
                return reason(error);
            ::close(file.fd);
            file.fd = -1; // no /proc to name it through: fall back to a named temporary
        }
    }
#endif
    if (file.fd < 0) {
        // Private until complete, then the mode it is meant to have.
        file.fd = createNamed(folder, name, temporary);
        if (file.fd < 0)
            return reason(errno);
        const bool accessSet = keep ? setAccess(file.fd, keep) : ::fchmod(file.fd, newFileMode()) == 0;
        if (!writeAll(file.fd, data, size) || !accessSet)
            return fail(folder, temporary, errno);
    }
    const int closed = ::close(file.fd);
    file.fd = -1;
    if (closed != 0)
        return fail(folder, temporary, errno);
    if (::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
        return fail(folder, temporary, errno);
    clearPending();
    return {};
}

} // namespace d88
