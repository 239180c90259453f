#pragma once

#include "model/branch_state.h"

namespace vorl {

// Phase one: a decompression front runs from the breach into the steady flow.
// A step returns true when it advanced the branch and false when it could not
// (the front is at the far end, or the step is negligible), leaving the
// branch unchanged; a raise leaves it unchanged too.

// The front advances by dlam (m) from the breach: branch A (steady flow
// toward the breach) and branch B (steady flow away from it, with a pressure
// peak inside the disturbed zone). Raise 14 or 208.
bool Evlv1A(GB& branch, double dlam);
bool Evlv1B(GB& branch, double dlam);

// After the front reached the far end: branch A goes on to phase 3, branch B
// to phase 2 with its far end still delivering. True when the phase changed.
bool endOfPhaseOne(GB& branch);

}  // namespace vorl
