#include "put/PutCommand.hpp"

#include <string_view>
#include <vector>

#include "put/PutMessages.hpp"
#include "tool/CommandLine.hpp"

namespace d88 {
namespace {

constexpr std::string_view outputShort = "-o";
constexpr std::string_view outputLong = "--output";
constexpr std::string_view inPlaceOption = "--in-place";

PutCommand usageError(PutCommand command, std::string problem)
{
    command.action = PutCommand::Action::usageError;
    command.problem = std::move(problem);
    return command;
}

// -o NEW, -oNEW, --output NEW or --output=NEW at argv[i]; the same shapes as -d.
std::optional<std::string> outputOption(int argc, const char* const* argv, int& i, std::string& problem)
{
    const std::string_view arg = argv[i];
    if (arg == outputShort || arg == outputLong) {
        if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0')
            problem = "option " + std::string(arg) + " needs a file name";
        else
            return std::string(argv[++i]);
        return std::string();
    }
    if (arg.starts_with(outputShort) && !arg.starts_with("--"))
        return std::string(arg.substr(outputShort.size()));
    if (arg.starts_with(std::string(outputLong) + "=")) {
        if (arg.size() == outputLong.size() + 1)
            problem = "option --output needs a file name";
        return std::string(arg.substr(outputLong.size() + 1));
    }
    return std::nullopt;
}

} // namespace

PutCommand parsePutCommand(int argc, const char* const* argv)
{
    PutCommand command;
    command.program = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0' ? argv[0] : putProgramName;
    std::vector<std::string_view> names;
    bool options = true;
    bool outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const bool option = options && arg.size() > 1 && arg.front() == '-';
        if (options && isHelpOption(arg)) {
            command.action = PutCommand::Action::help;
            return command;
        }
        std::string problem;
        if (!option) {
            names.push_back(arg);
        } else if (arg == "--") {
            options = false;
        } else if (arg == "--version") {
            command.action = PutCommand::Action::showVersion;
            return command;
        } else if (arg == inPlaceOption) {
            command.inPlace = true;
        } else if (const DirectoryOption directory = readDirectoryOption(argc, argv, i); directory.matched) {
            if (!directory.problem.empty())
                return usageError(command, directory.problem);
            command.directory = directory.folder;
        } else if (auto output = outputOption(argc, argv, i, problem)) {
            if (!problem.empty())
                return usageError(command, problem);
            if (outputGiven)
                return usageError(command, "option -o given twice");
            outputGiven = true;
            command.output = std::move(*output);
        } else {
            return usageError(command, "unknown option " + std::string(arg));
        }
    }
    if (outputGiven && command.inPlace)
        return usageError(command, "-o and --in-place exclude each other: give one");
    if (!outputGiven && !command.inPlace)
        return usageError(command, "missing -o NEW or --in-place: say where the changed image goes");
    if (std::string problem = takeImageAndDisk(names, command.image, command.diskNumber); !problem.empty())
        return usageError(command, std::move(problem));
    return command;
}

} // namespace d88
