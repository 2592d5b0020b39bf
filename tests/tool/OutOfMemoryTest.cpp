// Out of memory wherever it strikes, from the first allocation on: one line
// and exit status 1, never an abort with a core in the output folder.
#include "tests/support/EndToEnd.hpp"

using namespace d88::build;
using namespace d88::test;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true; // the sanitizers cannot run under an address-space limit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
#else
constexpr bool sanitized = false;
#endif

using OutOfMemoryTest = EndToEnd;

TEST_F(OutOfMemoryTest, EveryAddressSpaceLimitEndsInOneLineOrAWholeRun)
{
    if (sanitized)
        GTEST_SKIP() << "sanitizers need more address space than any limit tried here";
    writeFile(imagePath(), image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}));
    // Eight long arguments make copying the command line itself need memory.
    std::string longArguments;
    for (int i = 0; i < 8; ++i)
        longArguments += " " + std::string(15000, 'x');
    struct Program {
        std::string command;
        std::string outOfMemory;
        int status; // of the whole run
    };
    const std::vector<Program> programs{
        {std::string(D88CUT_PATH) + " " + imagePath().string(), "error: out of memory\n", 0},
        {std::string(D88CUT_PATH) + longArguments, "error: out of memory\n", 1},
        {std::string(D88INFO_PATH) + " --map " + imagePath().string(), "d88info: out of memory\n", 0}};
    for (const Program& tried : programs) {
        const auto runUnder = [&](int kib) {
            return runProgram({"/bin/sh", "-c", "ulimit -v " + std::to_string(kib) + "; exec " + tried.command},
                              out.path());
        };
        const auto whole = [&](const RunResult& result) {
            return result.status == tried.status && result.err.find("memory") == std::string::npos;
        };
        // The least address space the whole run needs, to 64 KiB...
        int low = 1024, high = 262144;
        ASSERT_TRUE(whole(runUnder(high)));
        while (high - low > 64) {
            const int middle = (low + high) / 2;
            (whole(runUnder(middle)) ? high : low) = middle;
        }
        // ...and below it, down to where nothing can load: one line or a whole run, never an abort.
        int outOfMemory = 0;
        for (int kib = high - 32; kib > high - 32 * 24; kib -= 32) {
            const auto result = runUnder(kib);
            const bool notStarted = result.status == 127 || (result.status == 2 && result.err.starts_with("/bin/sh"));
            const bool oneLine = result.status == 1 && result.err == tried.outOfMemory;
            outOfMemory += oneLine ? 1 : 0;
            EXPECT_TRUE(notStarted || oneLine || whole(result))
                << kib << " KiB: status " << result.status << ", " << result.err.substr(0, 200);
        }
        EXPECT_GT(outOfMemory, 0) << tried.command.substr(0, 60);
    }
    for (const auto& name : outputNames())
        EXPECT_EQ(name.find("d88cut-part"), std::string::npos) << "a temporary left: " << name;
}

} // namespace
