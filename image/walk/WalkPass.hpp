#pragma once

#include <cstdint>
#include <functional>

#include "image/SectorHeader.hpp"
#include "image/walk/HeaderReader.hpp"
#include "image/walk/WalkAnswers.hpp"
#include "image/walk/WalkPlan.hpp"

namespace d88 {

// Answers the walks of `plan` that `answers` does not hold yet in passes over
// the file in file order, each reading every header it needs once
// (`reader`'s passes).
//
// A search is made only once the one it follows has found a record holding
// its bytes, as the run itself would; where that comes to light while the
// pass stands before the search's track start, the same pass makes it, else
// the next. So tracks in file order take one pass, and each track an extent
// goes back to takes one more.
//
// Each walk starts as a group of its own, a cursor at its first record. The
// cursors are taken in file order; those that have come to the same record
// become one group, the lighter joining the heavier, and a group moves on to
// the record's successor, which always lies further on, while one of its
// walks goes on. So a pass reads a header only where some walk read plainly
// would, and none twice. `found` is called for each record that answers a
// search, while the pass stands on it; `fileSize` tells whether a record's
// data is all in the file.
// The headers the pass reads are kept for later passes where `keep`.
void answerPlan(const WalkPlan& plan, bool keep, HeaderReader& reader, WalkAnswers& answers, std::uint64_t fileSize,
                const std::function<void(std::uint64_t, const SectorHeader&)>& found);

} // namespace d88
