#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>
#include <new>
#include <string_view>

#include "console/CommandLine.hpp"
#include "console/Console.hpp"
#include "console/OutOfMemory.hpp"
#include "console/PrintableName.hpp"
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

int report(const d88::info::Options& options)
{
    if (const std::error_code failed = image.open(options.image.c_str())) {
        std::cerr << "d88info: cannot open " << d88::console::printableName(options.image) << ": " << failed.message()
                  << "\n";
        return exitFailure;
    }
    d88::info::reportImage(image, options, buffer, std::cout);
    return written();
}

// Started from Explorer (Windows), in a window of its own: each argument is
// an image dropped on the program, reported in turn; with none, how to use
// it. Either way the window waits for a key, so the report can be read.
int runDropped(int argc, char** args)
{
    int status = d88::exitSuccess;
    if (argc < 2)
        std::cout << d88::info::dropHelpText;
    for (int i = 1; i < argc; ++i) {
        d88::info::Options options;
        options.image = args[i];
        std::cout << (i > 1 ? "\n" : "") << d88::console::printableName(options.image) << ":\n";
        status = std::max(status, report(options));
    }
    d88::console::closeWindowOnKey();
    return status;
}

int run(int argc, char** args)
{
    if (d88::console::ownsConsoleWindow())
        return runDropped(argc, args);
    const d88::info::Options options = d88::info::parseOptions(argc, args);
    switch (options.action) {
    case d88::info::Options::Action::showVersion:
        std::cout << "d88info " << d88::version << "\n";
        return written();
    case d88::info::Options::Action::help:
        std::cout << d88::info::usageText << d88::info::helpText;
        return written();
    case d88::info::Options::Action::usageError:
        std::cerr << d88::info::usageText << d88::console::usageProblem(d88::info::programName, options.problem)
                  << std::flush;
        return exitFailure;
    case d88::info::Options::Action::report:
        break;
    }
    return report(options);
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
