#pragma once

#include "model/branch_state.h"

namespace vorl {

// Phase two (branch B): the far-end outflow q rises by dq toward 0, the step
// ending exactly at rest, where phase three begins. False when the far end
// no longer delivers away from the breach or the step is negligible. Raises
// 1003 "evolv2" when the far-end pressure is below ambient; a raise leaves
// the branch unchanged.
bool evolv2(GB& branch, double dq);

}  // namespace vorl
