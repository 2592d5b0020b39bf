#include "NativeFile.hpp"
#include "WindowsError.hpp"

#include <windows.h>

#include <algorithm>
#include <string>

namespace d88 {
namespace {

HANDLE native(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// A UTF-8 path as Windows' wide calls take it, in the \\?\ form that is not
// held to 260 characters (made absolute first, as that form is taken as is).
std::wstring widePath(const char* path)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), size);
    const DWORD fullSize = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullSize == 0)
        return wide;
    std::wstring full(fullSize, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), fullSize, full.data(), nullptr);
    full.resize(written);
    if (full.rfind(L"\\\\?\\", 0) == 0)
        return full;
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// A time in 100 ns steps since 1601 as nanoseconds since 1970.
std::int64_t nanoseconds(LARGE_INTEGER time)
{
    constexpr std::int64_t from1601To1970 = 116444736000000000;
    return (time.QuadPart - from1601To1970) * 100;
}

} // namespace

std::optional<FileId> openIdOf(std::intptr_t handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!::GetFileInformationByHandle(native(handle), &info) ||
        !::GetFileInformationByHandleEx(native(handle), FileBasicInfo, &times, sizeof times))
        return std::nullopt;
    const bool regular = (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    return FileId{info.dwVolumeSerialNumber,
                  (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                  FileStamp{regular, (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                            nanoseconds(times.LastWriteTime), nanoseconds(times.ChangeTime)}};
}

std::optional<FileId> entryIdOf(const char* path)
{
    // A reparse point (a link) is opened itself, not what it leads to.
    const HANDLE handle =
        ::CreateFileW(widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const auto id = openIdOf(reinterpret_cast<std::intptr_t>(handle));
    ::CloseHandle(handle);
    return id;
}

bool NativeFile::open(const char* path)
{
    close();
    // Without backup semantics a folder cannot be opened at all.
    const HANDLE handle =
        ::CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder cannot be opened as a file: say that, not "access denied".
        const DWORD attributes = ::GetFileAttributesW(widePath(path).c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        openError_ = folder ? std::make_error_code(std::errc::is_a_directory) : windowsError(error);
        return false;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        openError_ = make_error_code(OpenError::notRegularFile);
        ::CloseHandle(handle);
        return false;
    }
    openError_.clear();
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

void NativeFile::close()
{
    if (isOpen())
        ::CloseHandle(native(handle_));
    handle_ = closedHandle;
}

std::uint64_t NativeFile::size() const
{
    LARGE_INTEGER size{};
    if (!isOpen() || !::GetFileSizeEx(native(handle_), &size) || size.QuadPart < 0)
        return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
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
