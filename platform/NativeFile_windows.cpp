#include "platform/NativeFile.hpp"

#include "platform/Error.hpp"
#include "platform/WindowsError.hpp"
#include "platform/WindowsPath.hpp"

#include <windows.h>

#include <algorithm>
#include <string>

namespace d88 {
namespace {

HANDLE native(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::error_code NativeFile::open(const char* path)
{
    close();
    // Without backup semantics a folder cannot be opened at all.
    const HANDLE handle =
        ::CreateFileW(extendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder cannot be opened as a file: say that, not "access denied".
        const DWORD attributes = ::GetFileAttributesW(extendedPath(path).c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return folder ? std::make_error_code(std::errc::is_a_directory) : windowsError(error);
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return Error::notRegularFile;
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    return {};
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
