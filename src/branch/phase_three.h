#pragma once

#include "model/branch_state.h"

namespace vorl {

// Phase three: the blow-down of a branch whose front has reached the far end.

// The far-end pressure falls by -dp; dp is rewritten with the step proposed
// for the next call. False when the far end is not above the exit (the
// branch may move to phase 4). Writes nothing before its last raise.
bool evolv3(GB& branch, double& dp);

// The parts of a step, declared for the step itself and its tests.

// What the preparation of a step works out before anything is written.
struct PhaseThreePreparation {
  double dp = 0.0;         // the step as prepared (Pa, negative)
  Phase newPhase = Phase::kBlowDown;  // the phase after the step
  GS exit;                 // the new breach record
  bool finishing = false;  // the step ends on the lowest reachable far-end pressure
  bool choked = false;     // the new breach record is choked
};

// Lowest far-end pressure the branch can reach for exit pressure pe: pe for a
// closed far end (Gu = 0), sqrt(2 q^2 + pe^2) when fed by an inflow.
double lowestFarEndPressure(double Gu, double q, double pe) noexcept;

// New far-end pressure and breach record for a step dp. False when the far
// end is not above the exit pressure. A step that would pass the lowest
// reachable pressure is clamped to it (with inflow, halved while more than
// 1 % above it); a step that cannot lower the far-end pressure moves the
// branch to phase 4.
bool preparePhaseThreeStep(const GB& branch, double dp, PhaseThreePreparation& prepared);

// Friction-integral factor R(p, pe, q) = (4 p^2 + q^2) / (sqrt(D) - 3 q) / p^2,
// D = 6 (p^2 - pe^2) - 3 q^2; 1e128 when D or the denominator is not positive.
double frictionIntegralFactor(double p, double pe, double q) noexcept;

// New time of a closed, unchoked branch whose far-end pressure falls from p0
// to p1 while its exit goes from pe0 to pe1 (the arccosh form); dt is set.
double closedEndTime(const GB& branch, double p0, double pe0, double p1, double pe1, double& dt) noexcept;

// New time after a step, by the flow's condition before it: trapezoidal over
// p of the friction integral with inflow or choked outflow, else the closed
// form. May set newPhase to 4 (time undefined, or the last step); sets dt.
double phaseThreeStepTime(const GB& branch, double p0, double pe0, double p1, double pe1, double q, double dp,
                          bool finishing, Phase& newPhase, double& dt) noexcept;

}  // namespace vorl
