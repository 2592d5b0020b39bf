#pragma once

#include <cstdint>
#include <vector>

#include "builder/D88Builder.hpp"

namespace d88::build {

// The geometry of the two disks of the set: tracks 0..159, R 1..5 of 1024 bytes.
constexpr int setTracks = 160;
constexpr int setSectorsPerTrack = 5;
constexpr int setSectorSize = 1024;

enum class Signature { none, diskA, diskB };

// The data of one sector of a generated disk: the text line
// "Disk X track TTT C CC H H R R\n" repeated, so every sector is unique and a
// person can read off a hex dump where a byte came from. `label` is X.
std::vector<std::uint8_t> stampedSector(char label, int track, int r);

// A full set disk with stamped sectors and the chosen signature in its
// identifying sector (track 1, R 1).
Disk setDisk(char label, Signature signature);

} // namespace d88::build
