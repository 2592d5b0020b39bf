#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/walk/HeaderReader.hpp"
#include "image/walk/WalkAnswers.hpp"

namespace d88 {

// One walk through a track from its first record, read as it goes: what a
// read that no pass prepared costs.

// The first record with this identity (SectorHeader::identity) that the walk
// meets; nullopt when the walk ends first: after the record whose count - 1
// is its position in the walk, at a count of 0, where no header can be read,
// or after maxWalkRecords records.
std::optional<FoundRecord> searchTrack(HeaderReader& reader, std::uint64_t start, std::uint32_t identity);

// The identities of the walk's records, at most `limit`. Unlike a search, a
// listing goes on past a count of 0.
std::vector<std::uint32_t> listTrack(HeaderReader& reader, std::uint64_t start, std::uint32_t limit);

} // namespace d88
