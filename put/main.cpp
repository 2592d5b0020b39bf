#include <array>
#include <cstdint>
#include <iostream>
#include <new>

#include "console/Console.hpp"
#include "console/OutOfMemory.hpp"
#include "console/Program.hpp"
#include "image/D88Image.hpp"
#include "output/OutputFolder.hpp"
#include "platform/Signals.hpp"
#include "put/PutCommand.hpp"
#include "put/PutRun.hpp"
#include "set/Catalogue.hpp"
#include "tool/Messages.hpp"

namespace {

// Both live for the whole run; the image closes when the program ends.
d88::D88Image image;
std::array<std::uint8_t, d88::cutBufferSize> buffer{};

} // namespace

int D88_MAIN(argc, argv)
{
    if (!d88::console::protectStandardStreams())
        return d88::exitFailure;
    if (!d88::console::prepareForOutOfMemory(d88::outOfMemoryText.data())) {
        std::cerr << d88::outOfMemoryText << std::flush;
        return d88::exitFailure;
    }
    // Everything that may allocate is inside: out of memory is one line and
    // exit status 1 wherever it strikes.
    try {
        d88::console::showTextsAsCharacters();
        d88::console::Arguments arguments(argc, argv);
        d88::endRunsCleanly(d88::removePendingTemporary);
        const d88::PutCommand command = d88::parsePutCommand(arguments.count(), arguments.values());
        d88::PutContext context{image, buffer, std::cout, std::cerr};
        return d88::runPut(command, context);
    } catch (const std::bad_alloc&) {
        std::cerr << d88::outOfMemoryText << std::flush;
        return d88::exitFailure;
    }
}
