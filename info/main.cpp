#include <array>
#include <cstdint>
#include <iostream>
#include <new>
#include <string_view>

#include "console/Console.hpp"
#include "console/OutOfMemory.hpp"
#include "console/Program.hpp"
#include "image/D88Image.hpp"
#include "info/Options.hpp"
#include "info/Report.hpp"
#include "platform/Signals.hpp"
#include "set/Catalogue.hpp"

namespace {

using d88::exitFailure;
constexpr const char* outOfMemoryText = "d88info: out of memory\n";

d88::D88Image image;
std::array<std::uint8_t, d88::cutBufferSize> buffer{};

// The report is the whole job: one that did not reach its reader is a failure.
int written()
{
    if (std::cout.flush())
        return d88::exitSuccess;
    std::cerr << "d88info: cannot write standard output\n" << std::flush;
    return exitFailure;
}

int run(int argc, char** args)
{
    if (argc == 2 && std::string_view(args[1]) == "--version") {
        std::cout << "d88info " << d88::version << "\n";
        return written();
    }
    if (argc == 2 && (std::string_view(args[1]) == "--help" || std::string_view(args[1]) == "-h")) {
        std::cout << d88::info::usageText << d88::info::helpText;
        return written();
    }
    const auto options = d88::info::parseOptions(argc, args);
    if (!options) {
        std::cerr << d88::info::usageText;
        return exitFailure;
    }
    if (const std::error_code failed = image.open(options->image.c_str())) {
        std::cerr << "d88info: cannot open " << options->image << ": " << failed.message() << "\n";
        return exitFailure;
    }
    d88::info::reportImage(image, *options, buffer, std::cout);
    return written();
}

} // namespace

int D88_MAIN(argc, argv)
{
    if (!d88::console::protectStandardStreams())
        return exitFailure;
    d88::reportClosedPipes();
    if (!d88::console::prepareForOutOfMemory(outOfMemoryText)) {
        std::cerr << outOfMemoryText << std::flush;
        return exitFailure;
    }
    try {
        d88::console::showTextsAsCharacters();
        d88::console::Arguments arguments(argc, argv);
        return run(arguments.count(), arguments.values());
    } catch (const std::bad_alloc&) {
        std::cerr << outOfMemoryText << std::flush;
        return exitFailure;
    }
}
