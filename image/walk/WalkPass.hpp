#pragma once

#include <cstdint>

#include "image/walk/HeaderReader.hpp"
#include "image/walk/WalkAnswers.hpp"
#include "image/walk/WalkPlan.hpp"

namespace d88 {

// Answers the walks of `plan` that `answers` does not hold yet, in passes over
// the file in file order that read no header twice each; where `keep`, what
// the first reads is kept for later calls. A search that follows another in an
// extent is withdrawn once a record shows the run never makes it, and walked
// before the run is known to make it only on credit that the run's own walks
// earn; `fileSize` tells how much of a record's data is there.
void answerPlan(const WalkPlan& plan, bool keep, HeaderReader& reader, WalkAnswers& answers, std::uint64_t fileSize);

} // namespace d88
