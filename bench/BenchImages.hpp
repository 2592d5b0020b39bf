#pragma once

#include <cstdint>
#include <vector>

namespace d88::bench {

// Disk A then Disk B, every track's records in a shuffled order.
std::vector<std::uint8_t> normalImage();

// One Disk B whose 164 track entries all point at one chain of 65,535 records;
// the sectors its catalogue and identifying read need stand at the chain's end.
std::vector<std::uint8_t> hostileImage();

// One disk whose track 0 is a chain of `records` records of 1024 bytes, the
// last being (0, 0, 1, 3) and every other a foreign sector.
std::vector<std::uint8_t> chainImage(int records);

} // namespace d88::bench
