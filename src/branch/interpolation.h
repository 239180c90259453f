#pragma once

#include "model/branch_state.h"
#include "model/flow_sequence.h"

namespace vorl {

// Operations that bring a branch to a requested time or cut it at a valve.

// The branch of a history at time t: the last stored state not later than t
// (found by bisection), advanced to t toward the next stored state
// (re-evolved within the tolerance window, else interpolated linearly); past
// the last state, the last state marked finished at t; before the first, the
// first state as stored. indexFound, when given, receives the index of the
// stored state used; from, when not -1, is where a walk over ascending times
// found the time before (the search starts there; the state is the same).
// Raises 4 "GBSQ[]" for an empty history.
GB stateAt(const GBSQ& history, double t, double tolerance, int* indexFound = nullptr, int from = -1);

// The earlier branch brought to time t toward the later stored state: first
// by re-evolving it with the phase steps until its time falls inside a window
// around t (the tolerance, or 5 % of the interval), else by interpolating
// linearly in time. True when the earlier branch now holds the state at t.
bool stateAtIntermediateTime(GB& earlier, const GB& later, double t, double tolerance);

// Re-evolution alone; on failure the earlier branch is exactly as on entry.
// The loop is bounded: after kMaxReintegrationPasses passes it gives up.
constexpr int kMaxReintegrationPasses = 10000;
bool reintegrateToTime(GB& earlier, const GB& later, double t, double tolerance);

// Linear interpolation in time between the two states.
bool interpolateToTime(GB& earlier, const GB& later, double t);

// A valve at distance x from the breach shuts: the branch becomes a closed
// branch of length x in phase three holding the gas between valve and
// breach; the gas beyond is counted as trapped. False when x lies outside
// the branch.
bool valveCut(GB& branch, double x);

// A branch fed by the supply carried on with its inflow to time tn.
bool extendWithInflow(GB& branch, double tn);

// Marks the branch finished at time t.
void finishAtTime(GB& branch, double t) noexcept;

bool inflowInfinite(const GB& branch) noexcept;
bool timeUndefined(const GB& branch) noexcept;

}  // namespace vorl
