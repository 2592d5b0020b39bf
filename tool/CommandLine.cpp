#include "tool/CommandLine.hpp"

#include <string_view>
#include <vector>

#include "console/CommandLine.hpp"
#include "console/PrintableName.hpp"
#include "tool/Messages.hpp"

namespace d88 {

Command parseCommandLine(int argc, const char* const* argv)
{
    Command command;
    command.program = console::programName(argc, argv, fallbackProgramName);
    std::vector<std::string_view> names;
    console::ArgumentScanner scanner(argc, argv);
    while (const auto arg = scanner.next()) {
        const std::string_view text = arg->text;
        if (!arg->option) {
            names.push_back(text);
            continue;
        }
        if (console::readAnswerOption(text, command))
            return command;
        const console::ValueOption folder = readDirectoryOption(scanner, text);
        if (!folder.matched)
            return console::usageError(command, "unknown option " + console::printableName(text));
        if (!folder.problem.empty())
            return console::usageError(command, folder.problem);
        // Two folders: which one was meant cannot be told, so neither is taken.
        if (command.directory)
            return console::usageError(command, "option -d (--directory) given more than once");
        command.directory = folder.value;
    }
    if (std::string problem = takeImageAndDisk(names, command.image, command.diskNumber); !problem.empty())
        return console::usageError(command, std::move(problem));
    return command;
}

console::ValueOption readDirectoryOption(console::ArgumentScanner& scanner, std::string_view text)
{
    return console::readValueOption(scanner, text, "-d", "--directory", "a folder name");
}

std::string takeImageAndDisk(std::span<const std::string_view> names, std::string& image, int& diskNumber)
{
    if (names.empty())
        return "missing d88file";
    if (names.size() > 2)
        return "too many arguments: " + console::printableName(names[2]);
    image = names[0];
    if (names.size() == 2) {
        // Only the first character counts: "1x" is disk 1.
        diskNumber = names[1].empty() ? -1 : static_cast<signed char>(names[1][0]) - '0';
        if (diskNumber < 1 || diskNumber > 2)
            return "DiskNo must be 1 or 2";
    }
    return {};
}

} // namespace d88
