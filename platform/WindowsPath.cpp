#include "platform/WindowsPath.hpp"

#include <windows.h>

namespace d88 {

std::wstring extendedPath(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    if (wide.empty())
        return wide;
    const DWORD fullSize = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullSize == 0)
        return wide;
    std::wstring full(fullSize, L'\0');
    full.resize(::GetFullPathNameW(wide.c_str(), fullSize, full.data(), nullptr));
    if (full.rfind(L"\\\\?\\", 0) == 0)
        return full;
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring extendedPath(const char* utf8)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), size);
    wide.resize(static_cast<std::size_t>(size) - 1);
    return extendedPath(std::filesystem::path(wide));
}

} // namespace d88
