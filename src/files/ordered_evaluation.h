#pragma once
// Capture files evaluated on several threads, their outcomes handed on in the
// order of the inputs: whatever the number of threads, the one who writes
// sees exactly what one thread evaluating the files in turn would give.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "files/batch.h"

namespace corvane::files {

// Receives the outcome of paths[index], on the calling thread, for index
// 0, 1, 2, ... in turn. Throwing stops the evaluation and is passed on.
using DeliverOutcome = std::function<void(std::size_t index, CaptureOutcome& outcome)>;

// Evaluates the paths on `threads` threads (at most one per path; 1 evaluates
// them on the calling thread, one after the other), each with its own
// evaluation from `make`. The outcomes are delivered in input order; the
// evaluations run ahead of the delivery by a bounded number of files, so
// memory stays small however many paths there are. When the evaluation of
// paths[k] throws, the outcomes of paths[0..k-1] are delivered, the other
// threads stop, and that exception is rethrown.
void EvaluateInOrder(const std::vector<std::string>& paths, int threads, const MakeEvaluation& make,
                     const DeliverOutcome& deliver);

}  // namespace corvane::files
