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

// Phase one: the decompression front advances by dlam (m) from the breach.
// Branch A (steady flow toward the breach) and branch B (steady flow away from
// it, with a pressure peak inside the disturbed zone). Raise 14 or 208.
bool Evlv1A(GB& branch, double dlam);
bool Evlv1B(GB& branch, double dlam);

// After the front reached the far end: branch A goes on to phase 3, branch B
// to phase 2 with its far end still delivering. True when the phase changed.
bool endOfPhaseOne(GB& branch);

// Phase two (branch B): the far-end outflow q rises by dq toward 0.
// Raises 1003 "evolv2" when the far-end pressure is below ambient.
bool evolv2(GB& branch, double dq);

// Phase three: the far-end pressure falls by -dp; dp is rewritten with the
// step proposed for the next call.
bool evolv3(GB& branch, double& dp);

}  // namespace vorl
