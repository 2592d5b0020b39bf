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

} // namespace

bool isHelpOption(std::string_view arg)
{
#ifdef _WIN32
    if (arg == "/?")
        return true;
#endif
    return arg == "--help" || arg == "-h";
}

DirectoryOption readDirectoryOption(int argc, const char* const* argv, int& i)
{
    const std::string_view arg = argv[i];
    DirectoryOption option;
    if (arg == directoryShort || arg == directoryLong) {
        option.matched = true;
        if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0')
            option.problem = "option " + std::string(arg) + " needs a folder name";
        else
            option.folder = argv[++i];
    } else if (arg.starts_with(directoryShort)) {
        option.matched = true;
        option.folder = arg.substr(directoryShort.size()); // -dDIR
    } else if (arg.starts_with(std::string(directoryLong) + "=")) {
        option.matched = true;
        option.folder = arg.substr(directoryLong.size() + 1);
        if (option.folder.empty())
            option.problem = "option --directory needs a folder name";
    }
    return option;
}

std::string takeImageAndDisk(std::span<const std::string_view> names, std::string& image, int& diskNumber)
{
    if (names.empty())
        return "missing d88file";
    if (names.size() > 2)
        return "too many arguments: " + std::string(names[2]);
    image = names[0];
    if (names.size() == 2) {
        // Only the first character counts: "1x" is disk 1.
        diskNumber = names[1].empty() ? -1 : static_cast<signed char>(names[1][0]) - '0';
        if (diskNumber < 1 || diskNumber > 2)
            return "DiskNo must be 1 or 2";
    }
    return {};
}

Command parseCommandLine(int argc, const char* const* argv)
{
    Command command;
    command.program = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0' ? argv[0] : fallbackProgramName;
    std::vector<std::string_view> names;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const bool option = options && arg.size() > 1 && arg.front() == '-';
        if (options && isHelpOption(arg)) {
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
        } else if (const DirectoryOption directory = readDirectoryOption(argc, argv, i); directory.matched) {
            if (!directory.problem.empty())
                return usageError(command, directory.problem);
            command.directory = directory.folder;
        } else {
            return usageError(command, "unknown option " + std::string(arg));
        }
    }
    if (std::string problem = takeImageAndDisk(names, command.image, command.diskNumber); !problem.empty())
        return usageError(command, std::move(problem));
    return command;
}

} // namespace d88
