#include <array>
#include <cstdint>
#include <iostream>

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
    return d88::console::runGuarded(d88::outOfMemoryText.data(), [&] {
        d88::console::showTextsAsCharacters();
        d88::console::Arguments arguments(argc, argv);
        d88::endRunsCleanly(d88::removePendingTemporary);
        const d88::PutCommand command = d88::parsePutCommand(arguments.count(), arguments.values());
        d88::PutContext context{image, buffer, std::cout, std::cerr};
        return d88::runPut(command, context);
    });
}
