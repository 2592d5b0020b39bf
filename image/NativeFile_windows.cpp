#include "NativeFile.hpp"

#include <windows.h>

#include <algorithm>

namespace d88 {
namespace {

HANDLE native(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// The failures that have a C library counterpart read as on other systems.
std::error_code openFailure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return std::make_error_code(std::errc::permission_denied);
    default:
        return {static_cast<int>(error), std::system_category()};
    }
}

std::optional<FileId> idOfHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileId{info.dwVolumeSerialNumber,
                  (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace

std::optional<FileId> entryIdOf(const char* path)
{
    // A reparse point (a link) is opened itself, not what it leads to.
    const HANDLE handle =
        ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const auto id = idOfHandle(handle);
    ::CloseHandle(handle);
    return id;
}

bool NativeFile::open(const char* path)
{
    close();
    // Without backup semantics a folder cannot be opened at all.
    const HANDLE handle = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        openError_ = openFailure(::GetLastError());
        return false;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        openError_ = make_error_code(OpenError::notRegularFile);
        ::CloseHandle(handle);
        return false;
    }
    openError_.clear();
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    id_ = idOfHandle(handle);
    return true;
}

void NativeFile::close()
{
    if (isOpen())
        ::CloseHandle(native(handle_));
    handle_ = closedHandle;
    id_.reset();
}

std::size_t NativeFile::readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const
{
    std::size_t done = 0;
    while (isOpen() && done < count) {
        const std::uint64_t at = position + done;
        if (at < position)
            break;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(native(handle_), destination + done, chunk, &got, &where) || got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace d88
