#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The command-line conventions both programs keep, so that they read alike:
// options may stand anywhere, `--` ends them, `-` alone is a name; --help and
// -h (and /? on Windows) ask for help, --version for the version; a wrong
// command line says what was wrong and where to read more.
namespace d88::console {

// argv[0] as invoked, or `fallback` where the system gave none or an empty one.
std::string_view programName(int argc, const char* const* argv, std::string_view fallback);

class ArgumentScanner {
public:
    struct Argument {
        std::string_view text;
        bool option; // begins with - (or is /? on Windows) and comes before any `--`
    };
    ArgumentScanner(int argc, const char* const* argv) : argc_(argc), argv_(argv) { }
    // The next argument; nullopt after the last. `--` itself is passed over.
    std::optional<Argument> next();
    // The argument after an option that takes a value (-d DIR): nullopt where
    // none follows or it is empty.
    std::optional<std::string_view> value();

private:
    std::string_view at(int index) const;
    int argc_;
    const char* const* argv_;
    int index_ = 0;
    bool options_ = true;
};

bool isHelpOption(std::string_view arg);

// An option with a value in any of its four shapes: -X VALUE, -XVALUE,
// --long VALUE, --long=VALUE. Not `matched` where `text` is none of them;
// `problem` says what was wrong where the value is missing or empty.
struct ValueOption {
    bool matched = false;
    std::string value;
    std::string problem;
};
ValueOption readValueOption(ArgumentScanner& scanner, std::string_view text, std::string_view shortName,
                            std::string_view longName, std::string_view what);
inline constexpr std::string_view versionOption = "--version";

// --help (or -h, /?) and --version, which every program answers alike and
// before anything else: where `text` is one, marks `parsed` and returns true.
template <class Parsed> bool readAnswerOption(std::string_view text, Parsed& parsed)
{
    if (isHelpOption(text))
        parsed.action = Parsed::Action::help;
    else if (text == versionOption)
        parsed.action = Parsed::Action::showVersion;
    else
        return false;
    return true;
}

// Marks what a command line was parsed into as a usage error, with what was wrong.
template <class Parsed> Parsed usageError(Parsed parsed, std::string problem)
{
    parsed.action = Parsed::Action::usageError;
    parsed.problem = std::move(problem);
    return parsed;
}

// "error: PROBLEM\nTry 'PROGRAM --help'\n", after the usage line.
std::string usageProblem(std::string_view program, std::string_view problem);

} // namespace d88::console
