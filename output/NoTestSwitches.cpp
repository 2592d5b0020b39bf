#include "output/TestSwitches.hpp"

namespace d88 {

const TestSwitches& testSwitches()
{
    static const TestSwitches none;
    return none;
}

} // namespace d88
