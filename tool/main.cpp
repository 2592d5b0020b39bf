#include <array>
#include <cstdint>
#include <iostream>

#include "console/Console.hpp"
#include "console/OutOfMemory.hpp"
#include "image/D88Image.hpp"
#include "output/FolderSink.hpp"
#include "output/FolderSystem.hpp"
#include "platform/Signals.hpp"
#include "set/Catalogue.hpp"
#include "tool/DropRun.hpp"
#include "tool/Entry.hpp"
#include "tool/Messages.hpp"

namespace {

// Both live for the whole run; the image closes when the program ends.
d88::D88Image image;
std::array<std::uint8_t, d88::cutBufferSize> cutBuffer{};

} // namespace

int D88_MAIN(argc, argv)
{
    return d88::console::runGuarded(d88::outOfMemoryText.data(), [&] {
        d88::console::showTextsAsCharacters();
        d88::console::Arguments arguments(argc, argv);
        d88::endRunsCleanly(d88::removePendingTemporary);
        if (d88::console::ownsConsoleWindow())
            return d88::runDropped(arguments.count(), arguments.values(), image, cutBuffer);
        const d88::Command command = d88::parseCommandLine(arguments.count(), arguments.values());
        d88::FolderSink folder{d88::console::pathOf(command.directory.value_or(".")), [] { return image.fileId(); },
                               command.directory.has_value()};
        d88::ToolContext context{image, cutBuffer, folder, std::cout, std::cerr};
        return d88::runTool(command, context);
    });
}
