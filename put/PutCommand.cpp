#include "put/PutCommand.hpp"

#include <string_view>
#include <vector>

#include "console/CommandLine.hpp"
#include "console/PrintableName.hpp"
#include "put/PutMessages.hpp"
#include "tool/CommandLine.hpp"

namespace d88 {
namespace {

constexpr std::string_view inPlaceOption = "--in-place";

} // namespace

PutCommand parsePutCommand(int argc, const char* const* argv)
{
    PutCommand command;
    command.program = console::programName(argc, argv, putProgramName);
    std::vector<std::string_view> names;
    bool outputGiven = false;
    console::ArgumentScanner scanner(argc, argv);
    while (const auto arg = scanner.next()) {
        const std::string_view text = arg->text;
        if (!arg->option) {
            names.push_back(text);
            continue;
        }
        if (console::readAnswerOption(text, command))
            return command;
        if (text == inPlaceOption) {
            command.inPlace = true;
            continue;
        }
        if (const console::ValueOption folder = readDirectoryOption(scanner, text); folder.matched) {
            if (!folder.problem.empty())
                return console::usageError(command, folder.problem);
            if (command.directory)
                return console::usageError(command, "option -d (--directory) given more than once");
            command.directory = folder.value;
            continue;
        }
        const console::ValueOption output = console::readValueOption(scanner, text, "-o", "--output", "a file name");
        if (!output.matched)
            return console::usageError(command, "unknown option " + console::printableName(text));
        if (!output.problem.empty())
            return console::usageError(command, output.problem);
        if (outputGiven)
            return console::usageError(command, "option -o (--output) given more than once");
        outputGiven = true;
        command.output = output.value;
    }
    if (outputGiven && command.inPlace)
        return console::usageError(command, "-o and --in-place exclude each other: give one");
    if (!outputGiven && !command.inPlace)
        return console::usageError(command, "missing -o NEW or --in-place: say where the changed image goes");
    if (std::string problem = takeImageAndDisk(names, command.image, command.diskNumber); !problem.empty())
        return console::usageError(command, std::move(problem));
    return command;
}

} // namespace d88
