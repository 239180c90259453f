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
// not interfere. Throws InvalidCase (a std::invalid_argument) naming the input
// for input out of range (or a steady flow that would choke in the intact
// line, a real gas outside its gas branch, a grid of more cells than a run
// may lay out), StepBoundReached when it reaches its bound of time steps, and
// std::runtime_error if the solution fails.
ReferenceResult runReference(const ReferenceCase& input, const ProgressCallback& progress = {});

// A state of the line to start from instead of the intact line's steady
// flow: pressure (Pa, positive) and velocity (m/s) as functions of the
// distance from the upstream end (m). With inflow, the sink is held at the
// profile's pressure at the downstream end.
struct InitialProfile {
  std::function<double(double position)> pressure;
  std::function<double(double position)> velocity;
};

// Runs the case from the given state.
ReferenceResult runReference(const ReferenceCase& input, const InitialProfile& start,
                             const ProgressCallback& progress = {});

}  // namespace vorl::reference
