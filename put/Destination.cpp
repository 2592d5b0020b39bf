#include "put/Destination.hpp"

namespace d88 {

std::optional<Destination> destinationOf(const std::string& path)
{
#ifdef _WIN32
    const char* separators = "/\\:";
#else
    const char* separators = "/";
#endif
    const std::size_t last = path.find_last_of(separators);
    Destination destination;
    if (last == std::string::npos) {
        destination.folder = ".";
        destination.name = path;
    } else {
        // "/NEW" lies in the root folder; "c:NEW" in drive c's current one.
        destination.folder = path.substr(0, last == 0 || path[last] == ':' ? last + 1 : last);
        destination.name = path.substr(last + 1);
    }
    if (destination.name.empty() || destination.name == "." || destination.name == "..")
        return std::nullopt;
    return destination;
}

} // namespace d88
