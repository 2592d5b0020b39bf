#include "OutputFile.hpp"

#include <windows.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

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
std::array<wchar_t, 1024> pendingPath{};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        if (pendingSet.exchange(false))
            ::DeleteFileW(pendingPath.data());
    }
    return FALSE; // and then the default: the process ends as Ctrl+C ends it
}

void setPending(const std::wstring& path)
{
    if (path.size() >= pendingPath.size())
        return;
    std::memcpy(pendingPath.data(), path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    pendingSet = true;
}

// The same texts as on other systems where the C library has one, so a
// message reads alike everywhere; the system's own text otherwise.
std::string reason(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    case ERROR_WRITE_PROTECT:
        return std::strerror(EROFS);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return std::strerror(ENOENT);
    default:
        break;
    }
    std::string text = std::system_category().message(static_cast<int>(error));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

struct Handle {
    HANDLE value = INVALID_HANDLE_VALUE;
    ~Handle()
    {
        if (value != INVALID_HANDLE_VALUE)
            ::CloseHandle(value);
    }
};

bool writeAll(HANDLE file, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD done = 0;
        if (!::WriteFile(file, data, chunk, &done, nullptr) || done == 0)
            return false;
        data += done;
        size -= done;
    }
    return true;
}

std::string fail(const std::wstring& temporary, DWORD error)
{
    ::DeleteFileW(temporary.c_str());
    pendingSet = false;
    return reason(error);
}

} // namespace

// Windows starts every console program with its standard handles in place.
void protectStandardDescriptors() {}

void removeTemporaryOnInterrupt()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

OutputFolder::OutputFolder(std::filesystem::path folder) : path_(std::move(folder)) {}

OutputFolder::~OutputFolder() = default;

std::string OutputFolder::replace(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path& folder = path_;
    const std::wstring target = (folder / name).wstring();
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return std::strerror(EISDIR);
        // A read-only file is refused as opening it for writing would refuse it.
        if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return reason(ERROR_ACCESS_DENIED);
    }

    std::wstring temporary;
    Handle file;
    for (int attempt = 0; attempt < namingAttempts && file.value == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = (folder / temporaryNameFor(name)).wstring();
        setPending(temporary);
        // CREATE_NEW fails on anything already at the name, a link included;
        // sharing delete lets the console handler remove it while it is open.
        file.value = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.value == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            pendingSet = false;
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return reason(error);
        }
    }
    if (file.value == INVALID_HANDLE_VALUE)
        return reason(ERROR_FILE_EXISTS);
    if (!writeAll(file.value, data, size))
        return fail(temporary, ::GetLastError());
    const BOOL closed = ::CloseHandle(file.value);
    file.value = INVALID_HANDLE_VALUE;
    if (!closed)
        return fail(temporary, ::GetLastError());
    // Replaces a file or a symbolic link at the name; a link's target is untouched.
    for (int attempt = 1; !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING); ++attempt) {
        const DWORD error = ::GetLastError();
        const bool passing = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!passing || attempt == replaceAttempts)
            return fail(temporary, error);
        ::Sleep(replacePauseMs);
    }
    pendingSet = false;
    return {};
}

} // namespace d88
