#pragma once

#include <filesystem>
#include <string>

namespace d88 {

// A path as Windows' wide calls take it in the \\?\ form that is not held to
// 260 characters: made absolute first, as that form is taken as it stands.
std::wstring extendedPath(const std::filesystem::path& path);
// The same for a UTF-8 path (the programs' arguments); empty where it is not UTF-8.
std::wstring extendedPath(const char* utf8);

} // namespace d88
