#include "tool/CommandLine.hpp"

#include <string_view>
#include <vector>

#include "console/CommandLine.hpp"
#include "console/PrintableName.hpp"
#include "tool/Messages.hpp"

namespace d88 {
namespace {

constexpr std::string_view directoryShort = "-d";
constexpr std::string_view directoryLong = "--directory";

} // namespace

Command parseCommandLine(int argc, const char* const* argv)
{
    Command command;
    command.program = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0' ? argv[0] : fallbackProgramName;
    std::vector<std::string_view> names;
    console::ArgumentScanner scanner(argc, argv);
    while (const auto arg = scanner.next()) {
        const std::string_view text = arg->text;
        if (!arg->option) {
            names.push_back(text);
            continue;
        }
        if (console::isHelpOption(text)) {
            command.action = Command::Action::help;
            return command;
        }
        if (text == console::versionOption) {
            command.action = Command::Action::showVersion;
            return command;
        }
        std::optional<std::string_view> folder;
        if (text == directoryShort || text == directoryLong) {
            folder = scanner.value();
            if (!folder)
                return console::usageError(command, "option " + std::string(text) + " needs a folder name");
        } else if (text.starts_with(directoryLong) && text.substr(directoryLong.size()).starts_with('=')) {
            folder = text.substr(directoryLong.size() + 1);
            if (folder->empty())
                return console::usageError(command, "option --directory needs a folder name");
        } else if (text.starts_with(directoryShort) && !text.starts_with("--")) {
            folder = text.substr(directoryShort.size()); // -dDIR
        } else {
            return console::usageError(command, "unknown option " + console::printableName(text));
        }
        // Two folders: which one was meant cannot be told, so neither is taken.
        if (command.directory)
            return console::usageError(command, "option -d (--directory) given more than once");
        command.directory = std::string(*folder);
    }
    if (names.empty())
        return console::usageError(command, "missing d88file");
    if (names.size() > 2)
        return console::usageError(command, "too many arguments: " + console::printableName(names[2]));
    command.image = names[0];
    if (names.size() == 2) {
        // Only the first character counts: "1x" is disk 1.
        command.diskNumber = names[1].empty() ? -1 : static_cast<signed char>(names[1][0]) - '0';
        if (command.diskNumber < 1 || command.diskNumber > 2)
            return console::usageError(command, "DiskNo must be 1 or 2");
    }
    return command;
}

} // namespace d88
