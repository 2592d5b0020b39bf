#include <array>
#include <cstdint>
#include <iostream>
#include <string_view>

#include "Catalogue.hpp"
#include "Console.hpp"
#include "D88Image.hpp"
#include "Options.hpp"
#include "Report.hpp"

namespace {

constexpr int exitDescribed = 0;
constexpr int exitFailure = 1;

d88::D88Image image;
std::array<std::uint8_t, d88::cutBufferSize> buffer{};

} // namespace

int D88_MAIN(argc, argv)
{
    d88::console::showTextsAsCharacters();
    d88::console::Arguments arguments(argc, argv);
    argc = arguments.count();
    char** args = arguments.values();
    if (argc == 2 && std::string_view(args[1]) == "--version") {
        std::cout << "d88info " D88_VERSION "\n" << std::flush;
        return std::cout ? exitDescribed : exitFailure;
    }
    if (argc == 2 && (std::string_view(args[1]) == "--help" || std::string_view(args[1]) == "-h")) {
        std::cout << d88::info::usageText << d88::info::helpText << std::flush;
        return std::cout ? exitDescribed : exitFailure;
    }
    const auto options = d88::info::parseOptions(argc, args);
    if (!options) {
        std::cerr << d88::info::usageText;
        return exitFailure;
    }
    if (!image.open(options->image.c_str())) {
        std::cerr << "d88info: cannot open " << options->image << ": " << image.openError().message() << "\n";
        return exitFailure;
    }
    d88::info::reportImage(image, *options, buffer, std::cout);
    std::cout.flush();
    // The report is the whole job: one that did not reach its reader is a failure.
    return std::cout ? exitDescribed : exitFailure;
}
