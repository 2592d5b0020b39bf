#pragma once

// The catalogue of the two set disks written out independently of the tool's
// tables, and what a cut of a built disk must therefore give: the tests derive
// names, lengths, bytes, progress lines and warnings from here alone.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "builder/D88Builder.hpp"

namespace d88::test {

struct ExpectedFile {
    std::string name;
    int track; // of the first sector; C = track / 2, H = track % 2
    int r;
    int sectors; // of 1024 bytes, R 1 to 5 on each track
    int length() const { return sectors * 1024; }
};

inline const std::vector<ExpectedFile> diskAFiles{
    {"PROG", 1, 1, 32},  {"VD000", 64, 3, 1}, {"VD001", 76, 3, 1}, {"WORK", 8, 2, 2},   {"MA000", 73, 2, 3},
    {"MA001", 67, 1, 2}, {"MA002", 67, 3, 6}, {"MA003", 68, 4, 4}, {"MA006", 69, 3, 4}, {"MB000", 74, 5, 3},
    {"MB001", 70, 2, 2}, {"MB002", 70, 4, 5}, {"MB003", 71, 4, 4}, {"MB004", 74, 4, 1}, {"MB005", 74, 2, 2},
    {"MB006", 72, 3, 4}, {"MB007", 73, 5, 2}, {"MB008", 78, 4, 1},
};
inline const std::vector<ExpectedFile> diskBFiles{{"ADPCM1", 1, 1, 190}, {"ADPCM2", 40, 1, 145}};

// "cutting ... NAME\n" for each file, in order.
std::string progressOf(const std::vector<ExpectedFile>& files);

// What cutting `file` from `disk` must give: the file's bytes, and the warning
// line when a sector is missing or short (empty when the file is complete).
struct ExpectedCut {
    std::vector<std::uint8_t> bytes;
    std::string warning;
};
ExpectedCut expectedCut(const build::Disk& disk, const ExpectedFile& file);

// Equal, or says where the first difference lies and, for stamped sectors,
// which sector each side holds there.
::testing::AssertionResult sameBytes(const std::string& what, const std::vector<std::uint8_t>& expected,
                                     const std::vector<std::uint8_t>& actual);

} // namespace d88::test
