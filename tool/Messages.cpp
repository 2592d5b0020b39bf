#include "tool/Messages.hpp"

#include "image/DiskHeader.hpp"
#include "set/FileRead.hpp"

namespace d88 {

std::string usageText(std::string_view program)
{
    return "Usage: " + std::string(program) + " [d88file] (DiskNo.)\n";
}

std::string usageProblem(std::string_view program, std::string_view problem)
{
    return "error: " + std::string(problem) + "\nTry '" + std::string(program) + " --help'\n";
}

std::string openError(std::string_view image, std::string_view reason)
{
    return "error: cannot open " + std::string(image) + ": " + std::string(reason) + "\n";
}

std::string folderError(std::string_view folder, std::string_view reason)
{
    return "error: cannot create folder " + std::string(folder) + ": " + std::string(reason) + "\n";
}

std::string disksPassedOver(std::string_view image, std::int32_t read)
{
    return "warning: " + std::string(image) + " holds more than " + std::to_string(read) + " disks; only the first " +
        std::to_string(read) + " are read\n";
}

std::string nothingFound(std::string_view image, std::optional<std::string_view> archive, bool noDisk)
{
    const std::string name(image);
    if (archive)
        return "warning: " + name + " is a " + std::string(*archive) + " archive, not a D88 image: unpack it first\n";
    if (noDisk)
        return "warning: " + name + " is shorter than one disk header (" + std::to_string(DiskHeader::size) +
            " bytes): it is not a D88 image\n";
    return "warning: " + name + " holds neither Disk A nor Disk B; see what it holds with: d88info " + name + "\n";
}

std::string dropHeading(std::string_view image, std::string_view folder)
{
    std::string heading(1, '\n');
    return heading.append(image).append(" -> ").append(folder).append("\n");
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

std::string closeError(std::string_view name, std::string_view reason)
{
    return "error: " + std::string(name) + " is written and in place, but closing it failed: " + std::string(reason) +
        "\n";
}

std::string syncError(std::string_view folder, std::string_view reason)
{
    return "error: cannot sync folder " + std::string(folder) + ": " + std::string(reason) +
        "; the files written are in place but may not survive a crash\n";
}

} // namespace d88
