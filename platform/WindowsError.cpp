#include "platform/WindowsError.hpp"

#include <windows.h>

#include <string>

namespace d88 {
namespace {

// Windows' own texts, without the closing full stop and line end they carry.
class WindowsCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override
    {
        std::string text = std::system_category().message(code);
        while (!text.empty() &&
               (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
            text.pop_back();
        return text;
    }
};

} // namespace

std::error_code windowsError(unsigned long error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT:
        return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    default:
        break;
    }
    static const WindowsCategory category;
    return {static_cast<int>(error), category};
}

} // namespace d88
