#include "tool/DropRun.hpp"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "console/Console.hpp"
#include "output/FolderSink.hpp"
#include "tool/Entry.hpp"
#include "tool/Messages.hpp"

namespace d88 {
namespace {

// D:\images\set.d88 -> D:\images\set; a name without an extension gets a
// suffix instead, so the folder never takes the image's own name.
std::filesystem::path folderFor(const std::filesystem::path& image)
{
    if (image.has_extension())
        return std::filesystem::path(image).replace_extension();
    return std::filesystem::path(image) += "_files";
}

} // namespace

int runDropped(int argc, const char* const* argv, D88Image& image, std::span<std::uint8_t> buffer)
{
    int status = exitSuccess;
    if (argc < 2)
        std::cout << dropHelpText;
    for (int i = 1; i < argc; ++i) {
        Command command;
        command.program = fallbackProgramName;
        command.image = argv[i];
        const std::filesystem::path folder = folderFor(console::pathOf(command.image));
        const std::u8string utf8 = folder.u8string();
        command.directory = std::string(utf8.begin(), utf8.end());
        std::cout << dropHeading(command.image, *command.directory) << std::flush;
        FolderSink sink(
            folder, [&image] { return image.fileId(); }, true);
        ToolContext context{image, buffer, sink, std::cout, std::cerr};
        status = std::max(status, runTool(command, context));
    }
    console::closeWindowOnKey();
    return status;
}

} // namespace d88
