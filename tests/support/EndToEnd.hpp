#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/SetDisk.hpp"
#include "tests/support/SetCatalogue.hpp"
#include "tests/support/TestFiles.hpp"

namespace d88::test {

inline const std::string diskAText = "Disk A \x82\xF0\x94"
                                     "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";
inline const std::string diskBText = "Disk B \x82\xF0\x94"
                                     "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";
inline const std::string diskAProgress = progressOf(diskAFiles);
inline const std::string diskBProgress = progressOf(diskBFiles);

// Runs the built d88cut in a fresh folder of its own, on an image written there.
class EndToEnd : public ::testing::Test {
protected:
    RunResult cut(const std::vector<d88::build::Disk>& disks, std::vector<std::string> extra = {})
    {
        writeFile(imagePath(), d88::build::image(disks));
        extra.insert(extra.begin(), imagePath().string());
        return run(extra);
    }
    RunResult run(std::vector<std::string> args, RunAs who = RunAs::self)
    {
        args.insert(args.begin(), program);
        return runProgram(args, out.path(), who);
    }
    // Checks each file against what `disk` holds; returns the warnings the cut must print.
    std::string checkFiles(const d88::build::Disk& disk, const std::vector<ExpectedFile>& files)
    {
        std::string warnings;
        for (const ExpectedFile& file : files) {
            const ExpectedCut expected = expectedCut(disk, file);
            EXPECT_TRUE(sameBytes(file.name, expected.bytes, readFile(out / file.name)));
            warnings += expected.warning;
        }
        return warnings;
    }
    std::filesystem::path imagePath() const { return inputs / "image.d88"; }
    std::vector<std::string> outputNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string program = D88CUT_PATH;
    TempDir inputs;
    TempDir out;
};

} // namespace d88::test
