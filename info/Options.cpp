#include "info/Options.hpp"

#include "console/CommandLine.hpp"
#include "console/PrintableName.hpp"

namespace d88::info {
namespace {

constexpr std::string_view asOption = "--as";

} // namespace

Options parseOptions(int argc, const char* const* argv)
{
    Options options;
    bool haveImage = false;
    console::ArgumentScanner scanner(argc, argv);
    while (const auto arg = scanner.next()) {
        const std::string_view text = arg->text;
        if (!arg->option) {
            if (haveImage)
                return console::usageError(options, "too many arguments: " + console::printableName(text));
            options.image = text;
            haveImage = true;
        } else if (console::readAnswerOption(text, options)) {
            return options;
        } else if (text == "--map") {
            options.map = true;
        } else if (text == asOption || (text.starts_with(asOption) && text.substr(asOption.size()).starts_with('='))) {
            const auto kind = text == asOption ? scanner.value() : text.substr(asOption.size() + 1);
            if (!kind || kind->empty())
                return console::usageError(options, "option --as needs A or B");
            if (options.as)
                return console::usageError(options, "option --as given more than once");
            if (*kind != "A" && *kind != "B")
                return console::usageError(options, "option --as takes A or B, not " + console::printableName(*kind));
            options.as = *kind == "A" ? DiskKind::diskA : DiskKind::diskB;
        } else {
            return console::usageError(options, "unknown option " + console::printableName(text));
        }
    }
    if (!haveImage)
        return console::usageError(options, "missing IMAGE");
    return options;
}

} // namespace d88::info
