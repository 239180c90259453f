#include "branch/phase_one.h"

#include <cmath>
#include <string>

#include "branch/choke.h"
#include "branch/flow_relations.h"
#include "core/constants.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"

namespace vorl {

// Phase one: a decompression front runs from the breach into the steady flow.
// Ahead of it the gas keeps its steady state; the state advanced is the
// front's distance lam from the breach, and the time a step takes follows
// from mass conservation, dt/dlam = A / B, integrated by the trapezoidal rule.

namespace {

// Where the front ends up after a step of dlam: it stops exactly at the far
// end, and the step taken is then shortened to reach it.
struct FrontAdvance {
  double lam0;
  double lam1;
  double rem;          // undisturbed length left ahead of the new front
  double dlam;         // the step actually taken
  bool reachesFarEnd;  // the front arrives at the far end in this step
};

FrontAdvance advanceFront(const GB& branch, double dlam) {
  const double L = branch.length;
  FrontAdvance front{branch.lengthDisturbed, branch.lengthDisturbed + dlam, 0.0, dlam, false};
  if (front.lam1 < L) {
    front.rem = L - front.lam1;
  } else {
    front.lam1 = L;
    front.rem = 0.0;
    front.dlam = L - front.lam0;
    front.reachesFarEnd = true;
  }
  return front;
}

// The steady pressure ahead of a front at distance lam from the breach: p^2
// is linear between pb0 at the breach location and p0 at the far end.
double pressureAheadOfFront(const GB& branch, double lam, const char* tag, const char* which) {
  const double pb0 = branch.pressureAtBreachInitial;
  const double p0 = branch.upstream.p;
  const double squared = pb0 * pb0 + (p0 * p0 - pb0 * pb0) * lam / branch.length;
  if (squared < 0.0) {
    throw VORLERROR(VORL_E_NEGATIVE_ROOT, tag, std::string("steady pressure squared ahead of the ") + which +
                                                   " front is negative (" + numberText(squared) + " Pa^2)");
  }
  return std::sqrt(squared);
}

// What a step of either branch starts from: the front's advance, the far
// end's steady state, the breach and the steady pressure ahead of the new
// front. False when the front has already reached the far end.
struct PhaseOneStart {
  FrontAdvance front;
  double p0;   // far-end pressure
  double G0;   // far-end flux density
  double pa;   // ambient pressure
  double pb0;  // pressure at the breach before the breach
  double a2;
  double P1;   // steady pressure just ahead of the new front
};

bool startPhaseOneStep(const GB& branch, double dlam, const char* tag, PhaseOneStart& start) {
  if (!(branch.lengthDisturbed < branch.length)) return false;
  start.front = advanceFront(branch, dlam);
  start.p0 = branch.upstream.p;
  start.G0 = branch.upstream.G;
  start.pa = branch.pa();
  start.pb0 = branch.pressureAtBreachInitial;
  start.a2 = branch.a2();
  start.P1 = pressureAheadOfFront(branch, start.front.lam1, tag, "new");
  return true;
}

// Choke check of the new exit record when the process allows the choke model.
bool chokeIfAllowed(GS& exitRecord, double drivingPressure, double ar) {
  if (chokeModelAllowed) return chokeCheck(exitRecord, drivingPressure, ar);
  return false;
}

// Undisturbed part of the pressure integral: p^2 linear from P1 to p0 over rem.
double undisturbedIntegral(double rem, double P1, double p0) {
  return (2.0 / 3.0) * rem * (P1 * P1 + P1 * p0 + p0 * p0) / (P1 + p0);
}

// The time a step takes by the trapezoidal rule over lam of dt/dlam = A / B;
// undefined (the branch's time becomes 1e128) when the breach does not lose
// more than the far end delivers at either end of the step.
struct StepTime {
  bool defined;
  double dt;
};

StepTime stepTime(double A0, double B0, double A1, double B1, double dlam) {
  if (B1 > 0.0 && B0 > 0.0) return {true, (A0 / B0 + A1 / B1) * dlam / 2.0};
  return {false, kInfinite};
}

// The step written to the branch, after the last of its possible raises: a
// raise leaves the branch as it was.
// farEndInflow is the sign of the infinite inflow mass an undefined time
// leaves: the supply feeds branch A, the outlet of branch B takes gas away.
void writePhaseOneStep(GB& branch, const PhaseOneStart& start, const GS& exit, bool choked, double pressureIntegral,
                       StepTime step, double farEndInflow) {
  const double dt = step.dt;
  branch.time = step.defined ? branch.time + dt : kInfinite;
  branch.exit.copyValues(exit);
  branch.lengthDisturbed = start.front.lam1;
  branch.massPerUnitArea = pressureIntegral / start.a2;
  if (isInfinite(branch.time)) {
    branch.massInflowPerUnitArea = farEndInflow * kInfinite;
  } else {
    branch.massInflowPerUnitArea += start.G0 * dt;
  }
  branch.choked = choked;
  if (start.front.reachesFarEnd) branch.phaseEnded = true;
}

}  // namespace

bool Evlv1A(GB& branch, double dlam) {
  PhaseOneStart start;
  if (!startPhaseOneStep(branch, dlam, "Evlv1A", start)) return false;
  const FrontAdvance& front = start.front;
  const double p0 = start.p0, G0 = start.G0, pa = start.pa, pb0 = start.pb0, a2 = start.a2, P1 = start.P1;

  GS S(branch.upstream.gas, pa, breachFlux(branch, G0, P1, pa, front.lam1));
  const bool choked = chokeIfAllowed(S, P1, branch.orificeAperture);
  const double pe = S.p;
  const double Ge = S.G;
  if (!(pe < pb0)) {
    throw VORLERROR(VORL_E_EXIT_NOT_BELOW_BREACH, "Evlv1A", "exit pressure " + numberText(pe) +
                                       " Pa is not below the pressure before the breach " + numberText(pb0) + " Pa");
  }

  const double P0 = pressureAheadOfFront(branch, front.lam0, "Evlv1A", "old");
  const double pe0 = branch.exit.p;

  double I = 0.0;
  if (front.rem > 0.0) I += undisturbedIntegral(front.rem, P1, p0);
  if (front.lam1 > 0.0) I += (front.lam1 / 6.0) * (4.0 * P1 + 2.0 * pe - (P1 * P1 - pb0 * pb0) / (2.0 * P1));

  // Rate of change of the held mass with the front's advance, at both fronts.
  const double r0 = (P0 - pb0) / P0;
  const double r1 = (P1 - pb0) / P1;
  const double A0 = r0 * r0 * r0 * (3.0 * P0 + pb0) / 24.0 + (pb0 - pe0) / 3.0;
  const double A1 = r1 * r1 * r1 * (3.0 * P1 + pb0) / 24.0 + (pb0 - pe) / 3.0;
  // Net outflow: breach flux less the inflow at the far end.
  const double B0 = a2 * (branch.exit.G - G0);
  const double B1 = a2 * (Ge - G0);
  writePhaseOneStep(branch, start, S, choked, I, stepTime(A0, B0, A1, B1, front.dlam), 1.0);
  return true;
}

bool Evlv1B(GB& branch, double dlam) {
  if (branch.lengthDisturbed * kNegligibleRatio > std::fabs(dlam)) return false;
  PhaseOneStart start;
  if (!startPhaseOneStep(branch, dlam, "Evlv1B", start)) return false;
  const FrontAdvance& front = start.front;
  const double L = branch.length;
  const double p0 = start.p0, G0 = start.G0, pa = start.pa, pb0 = start.pb0, a2 = start.a2, P1 = start.P1;

  // The gas ahead of the front still flows away from the breach, so the
  // pressure peaks inside the disturbed zone; the breach outflow is driven
  // from that peak. With the line at ambient pressure no peak forms.
  const double D0 = pb0 - pa;
  double lpk = L - front.rem;
  double Ppk = P1;
  if (D0 > 0.0) {
    const double dP = pb0 - P1;
    lpk = L - (front.lam1 * dP / (2.0 * D0) + front.rem);
    Ppk = dP * dP / (4.0 * D0) + P1;
  }

  GS S(branch.upstream.gas, pa, breachFluxWithoutInflow(branch, Ppk, pa, lpk));
  const bool choked = chokeIfAllowed(S, Ppk, branch.orificeAperture);
  const double pe = S.p;
  const double Ge = S.G;

  const double P0 = pressureAheadOfFront(branch, front.lam0, "Evlv1B", "old");
  const double pe0 = branch.exit.p;

  const double I = undisturbedIntegral(front.rem, P1, p0) + (front.lam1 / 6.0) * (3.0 * P1 + 2.0 * pe + pb0);

  const double A0 = ((pb0 * pb0 - P0 * P0) + 2.0 * pb0 * (pb0 - P0) + 4.0 * P0 * (P0 - pe0)) / (12.0 * P0);
  const double A1 = ((pb0 * pb0 - P1 * P1) + 2.0 * pb0 * (pb0 - P1) + 4.0 * P1 * (P1 - pe)) / (12.0 * P1);
  const double B0 = a2 * (branch.exit.G - G0);
  const double B1 = a2 * (Ge - G0);
  // G0 <= 0 here: the far end of branch B delivers away from the breach.
  writePhaseOneStep(branch, start, S, choked, I, stepTime(A0, B0, A1, B1, front.dlam), -1.0);
  branch.lengthToPressurePeak = lpk;
  return true;
}

namespace {

bool endBranchAPhaseOne(GB& branch) {
  branch.phase = Phase::kBlowDown;
  branch.phaseEnded = false;
  return true;
}

// The front has reached the outlet end of branch B, where the gas still flows
// away from the breach: q^2 = (pb0 - p0) p0 is the far-end outflow phase two
// starts from.
bool endBranchBPhaseOne(GB& branch) {
  const double p0 = branch.upstream.p;
  const double pe = branch.exit.p;
  const double L = branch.length;
  const double Dq = (branch.pressureAtBreachInitial - p0) * p0;
  double X = Dq / (branch.beta * L);
  if (X < 0.0) X = 0.0;
  branch.upstream.G = -std::sqrt(X) / branch.a2();
  const double W = (p0 - pe) * p0 + Dq;
  branch.lengthToPressurePeak = L - L * Dq / (2.0 * W);
  branch.phase = Phase::kOutflowDecay;
  branch.phaseEnded = false;
  return true;
}

}  // namespace

bool endOfPhaseOne(GB& branch) {
  if (!branch.phaseEnded || branch.phase != Phase::kFrontRunning) return false;
  if (branch.branch == BranchId::kA) return endBranchAPhaseOne(branch);
  if (branch.branch == BranchId::kB) return endBranchBPhaseOne(branch);
  return false;
}

}  // namespace vorl
