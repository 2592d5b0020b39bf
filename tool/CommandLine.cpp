#include "tool/CommandLine.hpp"

#include <string_view>
#include <vector>

#include "tool/Messages.hpp"

namespace d88 {
namespace {

constexpr std::string_view directoryShort = "-d";
constexpr std::string_view directoryLong = "--directory";

Command usageError(Command command, std::string problem)
{
    command.action = Command::Action::usageError;
    command.problem = std::move(problem);
    return command;
}

bool isHelp(std::string_view arg)
{
#ifdef _WIN32
    if (arg == "/?")
        return true;
#endif
    return arg == "--help" || arg == "-h";
}

} // namespace

Command parseCommandLine(int argc, const char* const* argv)
{
    Command command;
    command.program = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0' ? argv[0] : fallbackProgramName;
    std::vector<std::string_view> names;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const bool option = options && arg.size() > 1 && arg.front() == '-';
        if (options && isHelp(arg)) {
            command.action = Command::Action::help;
            return command;
        }
        if (!option) {
            names.push_back(arg);
        } else if (arg == "--") {
            options = false;
        } else if (arg == "--version") {
            command.action = Command::Action::showVersion;
            return command;
        } else if (arg == directoryShort || arg == directoryLong) {
            if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0')
                return usageError(command, "option " + std::string(arg) + " needs a folder name");
            command.directory = argv[++i];
        } else if (arg.starts_with(directoryShort)) {
            command.directory = arg.substr(directoryShort.size()); // -dDIR
        } else if (arg.starts_with(std::string(directoryLong) + "=")) {
            command.directory = arg.substr(directoryLong.size() + 1);
            if (command.directory->empty())
                return usageError(command, "option --directory needs a folder name");
        } else {
            return usageError(command, "unknown option " + std::string(arg));
        }
    }
    if (names.empty())
        return usageError(command, "missing d88file");
    if (names.size() > 2)
        return usageError(command, "too many arguments: " + std::string(names[2]));
    command.image = names[0];
    if (names.size() == 2) {
        // Only the first character counts: "1x" is disk 1.
        command.diskNumber = names[1].empty() ? -1 : static_cast<signed char>(names[1][0]) - '0';
        if (command.diskNumber < 1 || command.diskNumber > 2)
            return usageError(command, "DiskNo must be 1 or 2");
    }
    return command;
}

} // namespace d88
