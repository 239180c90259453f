#pragma once

#include "model/vorl.h"

namespace vorl {

// Pipe-level results: the states of both branches at the time last set,
// combined. The states are held in the model's PipeTimeState.

// Looks each present branch up at time t; returns the time the kept states
// belong to. Raises 380 or 381 for a time or tolerance that is negative or
// not finite (the last setting kept), 3 "BAFH" before any run, 3 "vlt" for
// an empty sequence. A setting that raises on the way (a branch's state that
// cannot be evolved to t) leaves no state kept.
double pipeTimeSet(VORL& model, double t, double tolerance);
// Where a walk over the pipe at many times found each branch's stored state
// last (A, then B; -1 before the first time).
struct PipeWalk {
  int found[2] = {-1, -1};
};
// pipeTimeSet for a walk: each branch's search goes on from where the time
// before found it when this time is not earlier (times in ascending order
// cost a step or two each instead of a bisection), else bisects. The states
// kept are pipeTimeSet's, bit for bit.
double pipeTimeSetInWalk(VORL& model, double t, double tolerance, PipeWalk& walk);
// Keeps the first stored state of each present branch. Raises 3 "BAFH" or 3 "vlt0".
void pipeTimeSetToStart(VORL& model);

// The states kept by the last time setting; raises 3 "vlt" when no branch
// state is kept (no setting since the last run, or a setting that failed):
// the pipe-level queries then have nothing to answer from.
const PipeTimeState& requireTimeSetting(const VORL& model);

// Sum of a per-record quantity over the contributing branches.
template <class Quantity>
double sumOverBranches(const PipeTimeState& state, Quantity quantity) {
  double sum = 0.0;
  for (const PipeTimeState::Branch* branch : {&state.a, &state.b}) {
    if (branch->contributes()) sum += quantity(*branch->currentRecord);
  }
  return sum;
}

// (G of A + G of B) / 2 at the exit; a missing branch counts as 0 and the
// divisor is 2 even for a single branch.
double exitFluxDensityMean(const PipeTimeState& state);
// Weighted by the strictly positive exit flux densities; 0 when none flows.
double fluxWeightedMean(const PipeTimeState& state, double valueA, double valueB);

// Exit velocity through the bore, the branches weighted by their outflows (m/s).
double exitVelocityMean(const VORL& model);
// A value per bore area over the orifice: 0 for a closed orifice rather than
// a division by zero.
double perOrificeArea(double value, double aperture) noexcept;

double pipeMassInitial(const VORL& model);
bool pipeMassExpelledIsInfinite(const VORL& model);

// The pipe-level quantities at the time set, each written once for its query
// and the pipe table. Each raises 3 "vlt" without a time setting.
// Mass flux leaving through the breach (kg/s): 2 x the mean exit flux density
// x the bore area.
double pipeExitFlux(const VORL& model);
// Masses (kg): the open parts, the open parts and the gas behind closed
// valves, that gas alone, and what left through the breach since the breach.
double pipeMass(const VORL& model);
double pipeMassInPipe(const VORL& model);
double pipeMassTrapped(const VORL& model);
double pipeMassExpelled(const VORL& model);
// Mass per unit bore area of the open parts (kg/m2).
double pipeMassPerUnitArea(const VORL& model);
// The mean exit flux density and the exit velocity over the orifice.
double pipeOrificeFluxDensity(const VORL& model);
double pipeOrificeVelocity(const VORL& model);

}  // namespace vorl
