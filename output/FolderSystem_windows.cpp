#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>

#include "output/FolderSystem.hpp"
#include "output/TemporaryName.hpp"
#include "platform/WindowsError.hpp"
#include "platform/WindowsPath.hpp"

namespace d88 {
namespace {

constexpr int namingAttempts = 16;
// Another process replacing the same name at the same moment makes a replace
// fail for an instant with a sharing error; it is tried again for a while.
constexpr int replaceAttempts = 50;
constexpr DWORD replacePauseMs = 10;

// The temporary being written, for the console handler, which runs on a
// thread of its own: set before the file exists, cleared once it is renamed
// or removed.
std::atomic<bool> pendingSet{false};
std::array<wchar_t, 32768> pendingPath{}; // the longest path Windows has

void setPending(const std::wstring& path)
{
    if (path.size() >= pendingPath.size())
        return;
    std::memcpy(pendingPath.data(), path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    pendingSet = true;
}

std::error_code lastError()
{
    return windowsError(::GetLastError());
}

HANDLE handleOf(system::Handle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::wstring temporaryPath(const system::Folder& folder, const system::NewFile& file)
{
    return (folder.path / file.temporary).wstring();
}

} // namespace

void removePendingTemporary() noexcept
{
    if (pendingSet.exchange(false))
        ::DeleteFileW(pendingPath.data());
}

namespace system {

std::error_code openFolder(const std::filesystem::path& path, Folder& folder)
{
    // Named through its path, in the form not held to 260 characters.
    folder = Folder{noHandle, std::filesystem::path(extendedPath(path))};
    return {};
}

std::error_code createFolder(const std::filesystem::path& path)
{
    const std::wstring extended = extendedPath(path);
    if (::CreateDirectoryW(extended.c_str(), nullptr))
        return {};
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(extended.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    return error == ERROR_ALREADY_EXISTS ? std::make_error_code(std::errc::not_a_directory) : windowsError(error);
}

void closeFolder(Folder&)
{
}

std::error_code inspect(const Folder& folder, const std::string& name, Target& target)
{
    const DWORD attributes = ::GetFileAttributesW((folder.path / name).wstring().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    target.entry = entryIdOf(folder.path / name);
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !link)
        return std::make_error_code(std::errc::is_a_directory);
    // A read-only file is refused as opening it for writing would refuse it;
    // a new file has no permissions to carry over.
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !link)
        return std::make_error_code(std::errc::permission_denied);
    return {};
}

std::error_code createFile(const Folder& folder, const std::string& name, Creation creation, bool, NewFile& file)
{
    if (creation == Creation::unnamed)
        return std::make_error_code(std::errc::not_supported);
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        file.temporary = temporaryNameFor(name);
        const std::wstring path = temporaryPath(folder, file);
        setPending(path);
        // CREATE_NEW fails on anything already at the name, a link included;
        // sharing delete lets the console handler remove it while it is open.
        const HANDLE created = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            file.handle = reinterpret_cast<Handle>(created);
            return {};
        }
        const DWORD error = ::GetLastError();
        pendingSet = false;
        file.temporary.clear();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return windowsError(error);
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code writeSome(Handle file, const std::uint8_t* data, std::size_t size, std::size_t& written)
{
    const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
    DWORD done = 0;
    written = 0;
    if (!::WriteFile(handleOf(file), data, chunk, &done, nullptr))
        return lastError();
    written = done;
    return {};
}

std::error_code setAccess(const Folder&, Handle, const std::optional<Access>&, Creation)
{
    return {};
}

std::error_code syncData(Handle file)
{
    return ::FlushFileBuffers(handleOf(file)) ? std::error_code() : lastError();
}

void keepForSync(Folder&, Handle)
{
}

// Windows has no call that syncs the names in a folder; each file's data
// was flushed before its rename.
std::error_code syncFolder(const Folder&)
{
    return {};
}

std::error_code linkFile(const Folder&, const std::string&, NewFile&)
{
    return std::make_error_code(std::errc::not_supported);
}

std::error_code nameFile(const Folder&, const std::string&, NewFile&)
{
    return std::make_error_code(std::errc::not_supported);
}

std::error_code closeFile(NewFile& file)
{
    const BOOL closed = ::CloseHandle(handleOf(file.handle));
    file.handle = noHandle;
    return closed ? std::error_code() : lastError();
}

std::error_code renameOver(const Folder& folder, NewFile& file, const std::string& name)
{
    const std::wstring from = temporaryPath(folder, file);
    const std::wstring to = (folder.path / name).wstring();
    // Replaces a file or a symbolic link at the name; a link's target is untouched.
    for (int attempt = 1; !::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING); ++attempt) {
        const DWORD error = ::GetLastError();
        const bool passing = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!passing || attempt == replaceAttempts)
            return windowsError(error);
        ::Sleep(replacePauseMs);
    }
    file.temporary.clear();
    pendingSet = false;
    return {};
}

bool discard(const Folder& folder, NewFile& file)
{
    if (file.handle != noHandle)
        ::CloseHandle(handleOf(file.handle));
    file.handle = noHandle;
    const bool removed = file.temporary.empty() || ::DeleteFileW(temporaryPath(folder, file).c_str()) ||
        ::GetLastError() == ERROR_FILE_NOT_FOUND;
    file.temporary.clear();
    pendingSet = false;
    return removed;
}

std::array<Handle, 2> logHandles()
{
    return {reinterpret_cast<Handle>(::GetStdHandle(STD_OUTPUT_HANDLE)),
            reinterpret_cast<Handle>(::GetStdHandle(STD_ERROR_HANDLE))};
}

} // namespace system
} // namespace d88
