#pragma once

#include "branch/flow_relations.h"
#include "core/constants.h"
#include "model/branch_state.h"

namespace vorl {

// The quantities of one branch state, each written once: the branch queries,
// the branch table and the pipe-level sums all read them from here.

// Masses (kg): per unit bore area times the bore area.
inline double massOf(const GB& e) noexcept { return e.massPerUnitArea * e.area; }
inline double trappedMassOf(const GB& e) noexcept { return e.massTrappedPerUnitArea * e.area; }
inline double inflowMassOf(const GB& e) noexcept { return e.massInflowPerUnitArea * e.area; }
// The open part and the gas behind closed valves.
inline double massInPipeOf(const GB& e) noexcept { return massOf(e) + trappedMassOf(e); }

// Mass fluxes (kg/s), positive toward the breach.
inline double upstreamFluxOf(const GB& e) noexcept { return e.upstream.G * e.area; }
inline double orificeFluxOf(const GB& e) noexcept { return e.exit.G * e.area; }
// The flux leaving at the breach: branch A reports an undefined flux as
// infinite, branch B passes it on as stored.
inline double exitFluxOf(const GB& e, BranchId branch) noexcept {
  return branch == BranchId::kA && isInfinite(e.exit.G) ? kInfinite : e.exit.G * e.area;
}

// Velocities (m/s) through the bore and through the orifice, and the flux
// density over the orifice (kg/(m2 s) of orifice).
inline double upstreamVelocityOf(const GB& e) noexcept { return orificeVelocity(e.upstream, 1.0); }
inline double exitVelocityOf(const GB& e) noexcept { return orificeVelocity(e.exit, 1.0); }
inline double orificeVelocityOf(const GB& e) noexcept { return orificeVelocity(e.exit, e.orificeAperture); }
inline double orificeFluxDensityOf(const GB& e) noexcept { return orificeFluxDensity(e.exit, e.orificeAperture); }

// A fed branch at its infinite time has expelled a mass without end.
inline bool massExpelledIsInfiniteOf(const GB& e) noexcept { return e.hasInflow && isInfinite(e.time); }

}  // namespace vorl
