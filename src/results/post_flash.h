#pragma once

#include "model/branch_state.h"

namespace vorl {

class VORL;

// The outflow after it has expanded to ambient pressure.
struct PostFlashState {
  double temperature = 0.0;     // K
  double velocity = 0.0;        // m/s
  double liquidFraction = 0.0;  // mass fraction of liquid
  double dropSize = 0.0;        // m
};

// Expands the gas leaving at exit pressure pe with orifice velocity u (a
// warning 1004 when u exceeds the expansion's maximum velocity).
PostFlashState expandOutflow(const VORL& model, double exitPressure, double orificeVelocity);
// The same for a stored or looked-up branch state.
PostFlashState expandBranchState(const VORL& model, const GB& state);
// The pipe at the time last set: the branches' states combined, weighted by
// their positive outflows. False when no branch has a state at that time.
bool pipePostFlash(const VORL& model, PostFlashState& result);

}  // namespace vorl
