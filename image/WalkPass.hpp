#pragma once

#include "HeaderReader.hpp"
#include "WalkAnswers.hpp"
#include "WalkPlan.hpp"

namespace d88 {

// Answers every walk of `plan` that `answers` does not hold yet in one pass
// over the file, reading each record header it needs once.
//
// Each walk starts as a group of its own, a cursor at its first record. The
// cursors are taken in file order; those that have come to the same record
// become one group, and a group moves on to the record's successor, which
// always lies further on, while one of its walks goes on. So the pass reads a
// header only where some walk read plainly would, and never one twice.
void answerWalks(const WalkPlan& plan, HeaderReader& reader, WalkAnswers& answers);

} // namespace d88
