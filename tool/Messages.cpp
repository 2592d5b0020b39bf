#include "Messages.hpp"

#include "FileRead.hpp"

namespace d88 {

std::string usageText(std::string_view program)
{
    return "Usage: " + std::string(program) + " [d88file] (DiskNo.)\n";
}

std::string progressLine(std::string_view name)
{
    return "cutting ... " + std::string(name) + "\n";
}

std::string shortfallWarning(std::string_view name, std::int32_t found, std::int32_t length,
                             const D88Image::Shortfall& stop)
{
    return "warning: " + std::string(name) + ": only " + std::to_string(found) + " of " + std::to_string(length) +
        " bytes found (" + stopText(stop) + "); the rest is zero-filled\n";
}

std::string writeError(std::string_view name, std::string_view reason)
{
    return "error: cannot write " + std::string(name) + ": " + std::string(reason) + "\n";
}

} // namespace d88
