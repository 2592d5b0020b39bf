// Linked only into the tests' build of d88cut, which names it in place of
// NoTestSwitches.cpp.
#include "output/TestSwitches.hpp"

#include <cstdlib>
#include <string>

namespace d88 {

const TestSwitches& testSwitches()
{
    static const TestSwitches switches = [] {
        TestSwitches read;
        const char* named = std::getenv("D88CUT_TEST_NAMED_TEMPORARY");
        read.namedTemporary = named != nullptr && std::string(named) == "1";
        if (const char* seed = std::getenv("D88CUT_TEST_NAME_SEED"))
            read.nameSeed = std::strtoull(seed, nullptr, 10);
        return read;
    }();
    return switches;
}

} // namespace d88
