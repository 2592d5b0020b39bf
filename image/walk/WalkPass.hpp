#pragma once

#include <cstdint>
#include <functional>

#include "image/SectorHeader.hpp"
#include "image/walk/HeaderReader.hpp"
#include "image/walk/WalkAnswers.hpp"
#include "image/walk/WalkPlan.hpp"

namespace d88 {

// Answers the walks of `plan` that `answers` does not hold yet in one pass
// over the file in file order, reading each header it needs once, and
// keeping what it read for later passes where `keep`. A search that follows
// another is withdrawn once the record that shows the run never makes it is
// read. `found` is called for each record that answers a search, while the
// pass stands on it; `fileSize` tells how much of a record's data is there.
void answerPlan(const WalkPlan& plan, bool keep, HeaderReader& reader, WalkAnswers& answers, std::uint64_t fileSize,
                const std::function<void(std::uint64_t, const SectorHeader&)>& found);

} // namespace d88
