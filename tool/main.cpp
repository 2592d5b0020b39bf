#include <array>
#include <cstdint>
#include <iostream>
#include <new>

#include "Catalogue.hpp"
#include "Console.hpp"
#include "D88Image.hpp"
#include "Entry.hpp"
#include "FolderSink.hpp"
#include "Messages.hpp"
#include "OutputFolder.hpp"

namespace {

// Both live for the whole run; the image closes when the program ends.
d88::D88Image image;
std::array<std::uint8_t, d88::cutBufferSize> cutBuffer{};

} // namespace

int D88_MAIN(argc, argv)
{
    d88::protectStandardDescriptors();
    d88::console::showTextsAsCharacters();
    d88::console::Arguments arguments(argc, argv);
    d88::removeTemporaryOnInterrupt();
    try {
        d88::FolderSink currentFolder{".", image};
        d88::ToolContext context{image, cutBuffer, currentFolder, std::cout, std::cerr};
        return d88::runTool(arguments.count(), arguments.values(), context);
    } catch (const std::bad_alloc&) {
        // The index and the buffers are bounded, but the system may still refuse them.
        std::cerr << d88::outOfMemoryText << std::flush;
        return d88::exitFailure;
    }
}
