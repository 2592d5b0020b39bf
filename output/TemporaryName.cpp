#include "output/TemporaryName.hpp"

#include <cstdint>
#include <cstdio>
#include <random>

#include "output/TestSwitches.hpp"

namespace d88 {

std::string temporaryNameFor(const std::string& name)
{
    // Unpredictable, so no other process can plant anything at the name first
    // or pick the same one; creation is exclusive all the same.
    static std::random_device source;
    static std::uint64_t drawn = 0;
    const auto& seed = testSwitches().nameSeed;
    const std::uint64_t value = seed ? *seed + drawn++ : (static_cast<std::uint64_t>(source()) << 32) ^ source();
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(value));
    return "." + name + "." + suffix + ".d88cut-part";
}

} // namespace d88
