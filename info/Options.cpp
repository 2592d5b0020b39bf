#include "info/Options.hpp"

#include <string_view>

namespace d88::info {

std::optional<Options> parseOptions(int argc, const char* const* argv)
{
    Options options;
    bool haveImage = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--map") {
            options.map = true;
        } else if (arg == "--as" && i + 1 < argc && !options.as) {
            const std::string_view kind = argv[++i];
            if (kind == "A")
                options.as = DiskKind::diskA;
            else if (kind == "B")
                options.as = DiskKind::diskB;
            else
                return std::nullopt;
        } else if (!haveImage && !arg.starts_with("--")) {
            options.image = arg;
            haveImage = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveImage)
        return std::nullopt;
    return options;
}

} // namespace d88::info
