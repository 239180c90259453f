#pragma once

#include "model/branch_state.h"

namespace vorl {

// The mass a branch holds: the integral of the density, p / a2, over its
// length, for the pressure profile its phase assumes.

// Mass per unit bore area held in the branch (kg/m2).
double massPerUnitAreaOf(const GB& branch);
// Integral of the pressure (Pa m) from s (m from the far end) to the breach;
// 0 when s is not below the branch length.
double massIntegralFrom(const GB& branch, double s);

}  // namespace vorl
