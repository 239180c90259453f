#pragma once

// The reference solution of a breached line: the one-dimensional isothermal
// Euler equations with wall friction solved by finite volumes, against which
// the fast integral model can be compared on the same case.

#include <functional>

#include "reference/reference_case.h"
#include "reference/result_series.h"

namespace vorl::reference {

// Called as the run goes on with the fraction of its time done (0 to 1);
// returning false stops the run, which then returns what it has recorded
// with `cancelled` set.
using ProgressCallback = std::function<bool(double fractionDone)>;

// Runs the case. Every run owns all its state: runs on different threads do
// not interfere. Throws std::invalid_argument for input out of range (or a
// steady flow that would choke in the intact line, or a real gas outside its
// gas branch), std::runtime_error if the solution fails.
ReferenceResult runReference(const ReferenceCase& input, const ProgressCallback& progress = {});

}  // namespace vorl::reference
