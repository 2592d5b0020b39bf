#include "console/CommandLine.hpp"

namespace d88::console {

std::string_view ArgumentScanner::at(int index) const
{
    return argv_ != nullptr && argv_[index] != nullptr ? argv_[index] : "";
}

std::string_view programName(int argc, const char* const* argv, std::string_view fallback)
{
    return argc > 0 && argv[0] != nullptr && argv[0][0] != '\0' ? std::string_view(argv[0]) : fallback;
}

std::optional<ArgumentScanner::Argument> ArgumentScanner::next()
{
    while (++index_ < argc_) {
        const std::string_view arg = at(index_);
        if (options_ && arg == "--") {
            options_ = false;
            continue;
        }
        return Argument{arg, options_ && ((arg.size() > 1 && arg.front() == '-') || isHelpOption(arg))};
    }
    return std::nullopt;
}

std::optional<std::string_view> ArgumentScanner::value()
{
    if (index_ + 1 >= argc_ || at(index_ + 1).empty())
        return std::nullopt;
    return at(++index_);
}

bool isHelpOption(std::string_view arg)
{
#ifdef _WIN32
    if (arg == "/?")
        return true;
#endif
    return arg == "--help" || arg == "-h";
}

ValueOption readValueOption(ArgumentScanner& scanner, std::string_view text, std::string_view shortName,
                            std::string_view longName, std::string_view what)
{
    ValueOption option;
    const auto needs = [&](std::string_view name) {
        return "option " + std::string(name) + " needs " + std::string(what);
    };
    if (text == shortName || text == longName) {
        option.matched = true;
        if (const auto value = scanner.value())
            option.value = *value;
        else
            option.problem = needs(text);
    } else if (text.starts_with(longName) && text.substr(longName.size()).starts_with('=')) {
        option.matched = true;
        option.value = text.substr(longName.size() + 1);
        if (option.value.empty())
            option.problem = needs(longName);
    } else if (text.starts_with(shortName) && !text.starts_with("--")) {
        option.matched = true;
        option.value = text.substr(shortName.size()); // -XVALUE
    }
    return option;
}

std::string usageProblem(std::string_view program, std::string_view problem)
{
    return "error: " + std::string(problem) + "\nTry '" + std::string(program) + " --help'\n";
}

} // namespace d88::console
