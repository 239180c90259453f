#pragma once

#include "model/branch_state.h"

namespace vorl {

// The steps that advance a branch through the release. Each returns true when
// it advanced the branch and false when it could not (the branch is finished
// or can go no further in its phase), leaving the branch unchanged.

// One step of whatever phase the branch is in. The step is a change of the
// disturbed length in phase one (m), of q in phase two, of the far-end
// pressure in phase three (Pa); phase three may shorten it and writes back
// the step it proposes for the next call, the other phases leave it alone.
bool phaseStep(GB& branch, double& step);

// The steps of each phase: phase_one.h, phase_two.h, phase_three.h.

}  // namespace vorl
