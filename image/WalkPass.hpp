#pragma once

#include <cstdint>
#include <functional>

#include "image/HeaderReader.hpp"
#include "image/WalkAnswers.hpp"
#include "image/WalkLimits.hpp"
#include "image/WalkPlan.hpp"

namespace d88 {

// Answers every walk of `plan` that `answers` does not hold yet in one pass
// over the file, reading each record header it needs once (`reader`'s pass).
//
// Each walk starts as a group of its own, a cursor at its first record. The
// cursors are taken in file order; those that have come to the same record
// become one group, the smaller joining the larger, and a group moves on to
// the record's successor, which always lies further on, while one of its
// walks goes on. So the pass reads a header only where some walk read
// plainly would, and none twice.
// `found` is called for each record that answers a search, while the pass
// stands on it.
void answerWalks(const WalkPlan& plan, const WalkLimits& limits, HeaderReader& reader, WalkAnswers& answers,
                 const std::function<void(std::uint64_t, const SectorHeader&)>& found);

} // namespace d88
