#include "platform/FileId.hpp"

#include <windows.h>

#include "platform/WindowsPath.hpp"

namespace d88 {
namespace {

// A time in 100 ns steps since 1601 as nanoseconds since 1970.
std::int64_t nanoseconds(LARGE_INTEGER time)
{
    constexpr std::int64_t from1601To1970 = 116444736000000000;
    return (time.QuadPart - from1601To1970) * 100;
}

} // namespace

std::optional<FileId> openIdOf(std::intptr_t handle)
{
    const HANDLE file = reinterpret_cast<HANDLE>(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!::GetFileInformationByHandle(file, &info) ||
        !::GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times))
        return std::nullopt;
    const bool regular = (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    return FileId{info.dwVolumeSerialNumber,
                  (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                  FileStamp{regular, (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                            nanoseconds(times.LastWriteTime), nanoseconds(times.ChangeTime)}};
}

std::optional<FileId> entryIdOf(const std::filesystem::path& path)
{
    // A reparse point (a link) is opened itself, not what it leads to.
    const HANDLE handle =
        ::CreateFileW(extendedPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const auto id = openIdOf(reinterpret_cast<std::intptr_t>(handle));
    ::CloseHandle(handle);
    return id;
}

} // namespace d88
