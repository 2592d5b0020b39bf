// The program on real images written by other tools: none is a set disk.
#include "tests/support/EndToEnd.hpp"

#include "set/Catalogue.hpp"

using namespace d88::test;

namespace {

class SamplesCutTest : public EndToEnd, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(samplesDir() / GetParam()))
            GTEST_SKIP() << samplesMissing(GetParam());
    }
    std::string sample() const { return (samplesDir() / GetParam()).string(); }
};

TEST_P(SamplesCutTest, NothingIsRecognisedWithoutADiskNumber)
{
    const auto result = run({sample()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "warning: " + sample() + " holds neither Disk A nor Disk B; see what it holds with: d88info " + sample() +
                  "\n");
    EXPECT_TRUE(outputNames().empty());
}

TEST_P(SamplesCutTest, ForcedDiskGetsEveryFileAtFullLength)
{
    for (const auto& [number, kind] : {std::pair{"1", d88::DiskKind::diskA}, std::pair{"2", d88::DiskKind::diskB}}) {
        const auto result = run({sample(), number});
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.err.starts_with(kind == d88::DiskKind::diskA ? diskAText : diskBText));
        EXPECT_EQ(result.out, kind == d88::DiskKind::diskA ? diskAProgress : diskBProgress);
        for (const auto& file : d88::catalogueFor(kind)) {
            EXPECT_EQ(std::filesystem::file_size(out / file.name), static_cast<std::uintmax_t>(file.length))
                << file.name;
            EXPECT_NE(result.err.find("warning: " + file.name + ": only "), std::string::npos) << file.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealImages, SamplesCutTest, ::testing::ValuesIn(sampleNames));

} // namespace
