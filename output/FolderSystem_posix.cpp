#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

#include "output/FolderSystem.hpp"
#include "output/TemporaryName.hpp"
#include "platform/Error.hpp"
#include "platform/StatId.hpp"

namespace d88 {
namespace {

constexpr int temporaryMode = 0600; // a named temporary is private until complete
constexpr int namingAttempts = 16;
constexpr const char* accessAclName = "system.posix_acl_access";
constexpr const char* defaultAclName = "system.posix_acl_default";
// An ACL that grows between asking its size and reading it is read again.
constexpr int aclAttempts = 4;
// A name another run renames over while it is looked at is looked at again.
constexpr int inspectAttempts = 4;

// The named temporary of this run, for a signal handler: written before the
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

std::error_code lastError(int error = errno)
{
    return {error, std::generic_category()};
}

int fd(system::Handle handle)
{
    return static_cast<int>(handle);
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

// What `descriptor` leads to, as a path for the calls that take no descriptor.
std::string procPathOf(int descriptor)
{
    return "/proc/self/fd/" + std::to_string(descriptor);
}

// The path of `name` in the folder the run opened, for the calls that take
// no folder handle: through /proc, so that a folder renamed and replaced
// meanwhile by someone who may write its parent is not the one read.
std::string pathIn(const system::Folder& folder, const std::string& name)
{
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
    if (!procFds)
        return (folder.path / name).string();
    return procPathOf(fd(folder.handle)) + "/" + name;
}

bool noAcl(int error)
{
    return error == ENODATA || error == ENOTSUP || error == EOPNOTSUPP;
}

// Drops the entries of an ACL that name a user or group this user namespace
// cannot name (read back as id -1), which no file can be given here: the
// others keep what they had, those users lose it. Entries are laid out as
// <linux/posix_acl_xattr.h> has them: a 4-byte version, then a 16-bit tag,
// 16-bit permissions and a 32-bit id each, little-endian.
void dropUnmappedEntries(std::vector<char>& acl)
{
    constexpr std::ptrdiff_t header = 4;
    constexpr std::ptrdiff_t entry = 8;
    constexpr char namedUser = 0x02;
    constexpr char namedGroup = 0x08;
    if (acl.size() < header)
        return;
    std::vector<char> kept(acl.begin(), acl.begin() + header);
    for (auto at = acl.begin() + header; acl.end() - at >= entry; at += entry) {
        const bool named = (at[0] == namedUser || at[0] == namedGroup) && at[1] == 0;
        if (!named || !std::all_of(at + 4, at + entry, [](char part) { return part == '\xFF'; }))
            kept.insert(kept.end(), at, at + entry);
    }
    acl = std::move(kept);
}

// The access ACL of the file at `path`, empty where it has none or the file
// system keeps none. Any other failure to read it is returned: without it,
// what the file allows is not known.
std::error_code accessAclOf(const std::string& path, std::vector<char>& acl)
{
    for (int attempt = 0; attempt < aclAttempts; ++attempt) {
        acl.clear();
        ssize_t size = ::lgetxattr(path.c_str(), accessAclName, nullptr, 0);
        if (size > 0) {
            acl.resize(static_cast<std::size_t>(size));
            size = ::lgetxattr(path.c_str(), accessAclName, acl.data(), acl.size());
        }
        if (size >= 0) {
            acl.resize(static_cast<std::size_t>(size));
            dropUnmappedEntries(acl);
            return {};
        }
        acl.clear();
        if (noAcl(errno))
            return {};
        if (errno != ERANGE)
            return lastError();
    }
    return lastError(ERANGE);
}

// Gives an open file exactly `acl` as its access ACL, or none.
std::error_code setAcl(int file, const std::vector<char>& acl)
{
    if (!acl.empty())
        return ::fsetxattr(file, accessAclName, acl.data(), acl.size(), 0) == 0 ? std::error_code() : lastError();
    if (::fremovexattr(file, accessAclName) == 0 || noAcl(errno))
        return {};
    // Refused (a FUSE file system that keeps no ACLs may say so this way):
    // fine if there is none to remove.
    const int error = errno;
    return ::fgetxattr(file, accessAclName, nullptr, 0) < 0 && noAcl(errno) ? std::error_code() : lastError(error);
}

// Links the unnamed `file` at `name`: through /proc, else by its descriptor
// (which needs privilege, or a recent kernel). Returns 0 or the errno.
int linkUnnamed(const system::Folder& folder, int file, const std::string& name)
{
#ifdef AT_EMPTY_PATH
    // By the descriptor itself where that is allowed (privilege, or a recent
    // kernel): no walk through /proc. Once refused, it is not tried again.
    static bool byDescriptor = true;
    if (byDescriptor) {
        if (::linkat(file, "", fd(folder.handle), name.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM && errno != EINVAL)
            return errno;
        byDescriptor = false;
    }
#endif
    if (::linkat(AT_FDCWD, procPathOf(file).c_str(), fd(folder.handle), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    return errno;
}

// No /proc to name an unnamed file through, and no other way.
bool cannotLink(int error)
{
    return error == ENOENT || error == EPERM || error == EXDEV;
}

} // namespace

void removePendingTemporary() noexcept
{
    if (pendingSet)
        ::unlinkat(pendingFolder, pendingName.data(), 0);
}

namespace system {

std::error_code openFolder(const std::filesystem::path& path, Folder& folder)
{
#ifdef O_PATH
    // Only a place to name files in: a folder the user may write but not
    // read (a drop box) works.
    constexpr int access = O_PATH;
#else
    constexpr int access = O_RDONLY;
#endif
    const int opened = ::open(path.c_str(), access | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0)
        return lastError();
    folder = Folder{opened, path};
    // Read where the folder may be read (a drop box may not; then both stay
    // as feared): in an append-only folder a temporary could never be renamed
    // or removed, and a default ACL gives new files an access ACL.
    // Kept, to sync the folder through once the files have their names.
    const int readable = ::openat(opened, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable >= 0) {
#ifdef FS_IOC_GETFLAGS
        int flags = 0;
        if (::ioctl(readable, FS_IOC_GETFLAGS, &flags) == 0)
            folder.appendOnly = (flags & FS_APPEND_FL) != 0;
#endif
        folder.defaultAcl = ::fgetxattr(readable, defaultAclName, nullptr, 0) >= 0 || !noAcl(errno);
        folder.readable = readable;
    }
    return {};
}

std::error_code createFolder(const std::filesystem::path& path)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return {};
    const int error = errno;
    struct stat status { };
    if (error == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return {};
    return lastError(error == EEXIST ? ENOTDIR : error);
}

void closeFolder(Folder& folder)
{
    for (Handle* handle : {&folder.handle, &folder.readable, &folder.anyFile}) {
        if (*handle != noHandle)
            ::close(fd(*handle));
        *handle = noHandle;
    }
}

std::error_code inspect(const Folder& folder, const std::string& name, Target& target)
{
    std::error_code error;
    // Another run may rename over the name between the looks (on a FUSE file
    // system that replaces in two steps, the name is briefly missing): look
    // again.
    for (int attempt = 0; attempt < inspectAttempts; ++attempt) {
        target = Target{};
        struct stat status { };
        if (::fstatat(fd(folder.handle), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? std::error_code() : lastError();
        target.entry = idOf(status);
        if (S_ISDIR(status.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        if (!S_ISREG(status.st_mode))
            return {};
        // Refused where a plain open for writing would refuse it; the owner
        // with the write bit set needs no asking.
        static const uid_t user = ::geteuid();
        const bool ownWritable = status.st_uid == user && (status.st_mode & S_IWUSR) != 0;
        if (!ownWritable && ::faccessat(fd(folder.handle), name.c_str(), W_OK, AT_EACCESS) != 0) {
            error = lastError();
        } else {
            target.keep = Access{status.st_mode & 0777, {}};
            error = accessAclOf(pathIn(folder, name), target.keep->acl);
        }
        if (error != std::errc::no_such_file_or_directory)
            return error;
    }
    return error;
}

std::error_code createFile(const Folder& folder, const std::string& name, Creation creation, bool privately,
                           NewFile& file)
{
    if (creation == Creation::unnamed) {
#ifdef O_TMPFILE
        // Unnamed until complete, so even a killed run leaves nothing behind;
        // as nothing can open it, a new name's file may have its final mode
        // from the start.
        const int opened =
            ::openat(fd(folder.handle), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, privately ? temporaryMode : 0666);
        if (opened >= 0) {
            file.handle = opened;
            return {};
        }
#endif
        // Any failure here is the named temporary's to report.
        return std::make_error_code(std::errc::not_supported);
    }
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        file.temporary = temporaryNameFor(name);
        setPending(fd(folder.handle), file.temporary);
        const int opened = ::openat(fd(folder.handle), file.temporary.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, temporaryMode);
        if (opened >= 0) {
            file.handle = opened;
            return {};
        }
        const int error = errno;
        clearPending();
        file.temporary.clear();
        if (error != EEXIST)
            return lastError(error);
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code writeSome(Handle file, const std::uint8_t* data, std::size_t size, std::size_t& written)
{
    written = 0;
    for (;;) {
        const ssize_t done = ::write(fd(file), data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return lastError();
        written = static_cast<std::size_t>(done);
        return {};
    }
}

std::error_code setAccess(const Folder& folder, Handle file, const std::optional<Access>& keep, Creation creation)
{
    if (!keep) {
        // An unnamed file has what its creation gave it (the umask, or the
        // folder's default ACL); a named temporary is private until now. A
        // file system that keeps no modes (FAT, exFAT) refuses: the file has
        // what it gives every file, as a plain create would.
        if (creation == Creation::named)
            ::fchmod(fd(file), newFileMode());
        return {};
    }
    // The file was made private (createFile). A file system that shows it
    // wider shows modes it does not keep (a bindfs view adding bits): the
    // mode of the old file was read through it too, so it is not set; the
    // file keeps what it was made with, if the view shows it no wider.
    struct stat status { };
    if (::fstat(fd(file), &status) != 0)
        return lastError();
    std::error_code refused;
    if ((status.st_mode & 07777 & ~temporaryMode) == 0) {
        // An unnamed file in a folder without a default ACL has none.
        if (creation == Creation::named || folder.defaultAcl || !keep->acl.empty())
            if (const std::error_code failed = setAcl(fd(file), keep->acl))
                return failed;
        if (::fchmod(fd(file), keep->mode) != 0)
            refused = lastError();
        // Read back whether it was refused or not: a file system may report
        // success and keep nothing, or make it wider than asked.
        if (::fstat(fd(file), &status) != 0)
            return refused ? refused : lastError();
    }
    if ((status.st_mode & 07777 & ~keep->mode) == 0)
        return {};
    return refused ? refused : make_error_code(Error::widerAccess);
}

std::error_code syncData(Handle file)
{
    if (::fdatasync(fd(file)) != 0 && errno != EINVAL) // EINVAL: a file system that cannot sync at all
        return lastError();
    return {};
}

void keepForSync(Folder& folder, Handle file)
{
    // In a folder the user may not read, the folder is synced through one of
    // the run's files.
    if (folder.readable == noHandle && folder.anyFile == noHandle)
        folder.anyFile = ::fcntl(fd(file), F_DUPFD_CLOEXEC, 0);
}

std::error_code syncFolder(const Folder& folder)
{
    if (folder.readable != noHandle)
        return ::fsync(fd(folder.readable)) == 0 || errno == EINVAL ? std::error_code() : lastError();
    // Only its whole file system can be synced.
    if (folder.anyFile != noHandle) {
#ifdef __linux__
        const int synced = ::syncfs(fd(folder.anyFile));
#else
        const int synced = ::fsync(fd(folder.anyFile));
#endif
        return synced == 0 ? std::error_code() : lastError();
    }
    return std::make_error_code(std::errc::permission_denied);
}

std::error_code linkFile(const Folder& folder, const std::string& name, NewFile& file)
{
    const int error = linkUnnamed(folder, fd(file.handle), name);
    if (error == 0)
        return {};
    return cannotLink(error) ? std::make_error_code(std::errc::not_supported) : lastError(error);
}

std::error_code nameFile(const Folder& folder, const std::string& name, NewFile& file)
{
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        file.temporary = temporaryNameFor(name);
        setPending(fd(folder.handle), file.temporary);
        const int error = linkUnnamed(folder, fd(file.handle), file.temporary);
        if (error == 0)
            return {};
        clearPending();
        file.temporary.clear();
        if (cannotLink(error))
            return std::make_error_code(std::errc::not_supported);
        if (error != EEXIST)
            return lastError(error);
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code closeFile(NewFile& file)
{
    const int closed = ::close(fd(file.handle));
    file.handle = noHandle;
    return closed == 0 ? std::error_code() : lastError();
}

std::error_code renameOver(const Folder& folder, NewFile& file, const std::string& name)
{
    if (::renameat(fd(folder.handle), file.temporary.c_str(), fd(folder.handle), name.c_str()) != 0)
        return lastError();
    file.temporary.clear();
    clearPending();
    return {};
}

bool discard(const Folder& folder, NewFile& file)
{
    if (file.handle != noHandle)
        ::close(fd(file.handle));
    file.handle = noHandle;
    const bool removed =
        file.temporary.empty() || ::unlinkat(fd(folder.handle), file.temporary.c_str(), 0) == 0 || errno == ENOENT;
    file.temporary.clear();
    clearPending();
    return removed;
}

std::array<Handle, 2> logHandles()
{
    return {STDOUT_FILENO, STDERR_FILENO};
}

} // namespace system
} // namespace d88
