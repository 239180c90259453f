#pragma once

#include "model/branch_state.h"

namespace vorl {

// Masses of one stored branch state (kg): per unit bore area times the bore area.
inline double massOf(const GB& e) noexcept { return e.massPerUnitArea * e.area; }
inline double trappedMassOf(const GB& e) noexcept { return e.massTrappedPerUnitArea * e.area; }
inline double inflowMassOf(const GB& e) noexcept { return e.massInflowPerUnitArea * e.area; }

}  // namespace vorl
