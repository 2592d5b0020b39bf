#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SetDisk.hpp"
#include "TestFiles.hpp"

namespace d88::test {

inline const std::string diskAText = "Disk A \x82\xF0\x94"
                                     "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";
inline const std::string diskBText = "Disk B \x82\xF0\x94"
                                     "F\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";
inline const std::string diskAProgress =
    "cutting ... PROG\ncutting ... VD000\ncutting ... VD001\ncutting ... WORK\n"
    "cutting ... MA000\ncutting ... MA001\ncutting ... MA002\ncutting ... MA003\ncutting ... MA006\n"
    "cutting ... MB000\ncutting ... MB001\ncutting ... MB002\ncutting ... MB003\ncutting ... MB004\n"
    "cutting ... MB005\ncutting ... MB006\ncutting ... MB007\ncutting ... MB008\n";
inline const std::string diskBProgress = "cutting ... ADPCM1\ncutting ... ADPCM2\n";

// Runs the built d88cut in a fresh folder of its own, on an image written there.
class EndToEnd : public ::testing::Test {
protected:
    RunResult cut(const std::vector<d88::build::Disk>& disks, std::vector<std::string> extra = {})
    {
        writeFile(imagePath(), d88::build::image(disks));
        extra.insert(extra.begin(), imagePath().string());
        return run(extra);
    }
    RunResult run(std::vector<std::string> args)
    {
        args.insert(args.begin(), D88CUT_PATH);
        return runProgram(args, out.path());
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

    TempDir inputs;
    TempDir out;
};

} // namespace d88::test
