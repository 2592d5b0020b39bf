#pragma once

#include <cstdint>
#include <optional>

namespace d88 {

// What the tests may steer in the output layer, to reach paths a run on
// their machine would not take. d88cut itself takes none: it links
// NoTestSwitches.cpp (d88_no_test_switches). Only the tests' build of the
// program links TestSwitches.cpp (d88_test_switches), which reads them from
// the environment.
struct TestSwitches {
    bool namedTemporary = false;           // D88CUT_TEST_NAMED_TEMPORARY=1: never an unnamed file
    std::optional<std::uint64_t> nameSeed; // D88CUT_TEST_NAME_SEED=N: the k-th temporary name drawn ends in N + k
};
const TestSwitches& testSwitches();

} // namespace d88
