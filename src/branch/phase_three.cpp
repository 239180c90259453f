#include "branch/branch_mass.h"
#include "branch/flow_relations.h"
#include "branch/phase_three.h"

#include <cmath>

#include "branch/choke.h"
#include "core/constants.h"
#include "core/process_settings.h"

namespace vorl {

// Phase three: the whole branch blows down. Its far end is closed or fed by a
// constant inflow; the far-end pressure p0 falls by each step toward the
// lowest value it can reach, and the time of a step follows from the
// friction-dominated outflow.

namespace {

// A fed branch approaches its limit by halving the distance while its far
// end stands more than 1 % above it.
constexpr double kHalvingMargin = 1.01;

// Once the breach stops choking the outflow changes quickly: the next step
// is at most a tenth of the distance to the limit.
constexpr double kStepsToTheLimitAfterDechoking = 10.0;

}  // namespace

double lowestFarEndPressure(double Gu, double q, double pe) noexcept {
  if (Gu == 0.0) return pe;
  return std::sqrt(2.0 * q * q + pe * pe);
}

bool preparePhaseThreeStep(const GB& branch, double dp, PhaseThreePreparation& prepared) {
  prepared.dp = dp;
  prepared.newPhase = branch.phase;
  prepared.exit = branch.exit;
  prepared.finishing = false;
  prepared.choked = false;

  const double p0 = branch.upstream.p;
  const double pe0 = branch.exit.p;
  if (!(p0 > pe0)) return false;  // nothing left to drive the outflow

  const double Gu = branch.upstream.G;
  const double q = branchQ(branch);
  const double Plim = lowestFarEndPressure(Gu, q, pe0);
  const double limitWithMargin = Plim * (1.0 + kNegligibleRatio);

  // A negligible step that still lowers p0 and stays above the limit keeps
  // the old breach record. Any other step is prepared in full, so that a step
  // too small to move p0 cannot repeat one state without end.
  if (p0 * kNegligibleRatio > std::fabs(dp) && p0 + dp < p0 && p0 + dp > limitWithMargin) return true;

  double p1 = p0 + dp;
  if (!(p1 > limitWithMargin)) {
    if (Gu != 0.0 && kHalvingMargin * Plim < p0) {
      p1 = (Plim + p0) / 2.0;  // approach the inflow's limit by halving the distance
    } else {
      p1 = Plim;
      if (!(branch.pa() * (1.0 + kNegligibleRatio) < pe0) && !branch.choked) {
        prepared.finishing = true;
        prepared.newPhase = Phase::kFinished;
      }
    }
    dp = p1 - p0;
  }

  const double Ge = breachFlux(branch, Gu, p1, branch.pa(), branch.length);
  prepared.exit.setFluxAndPressure(branch.pa(), Ge);
  if (chokeModelAllowed) prepared.choked = chokeCheck(prepared.exit, p1, branch.orificeAperture);

  // A step that cannot lower the far-end pressure ends the blow-down.
  if (!(dp < 0.0) || !(p0 + dp < p0)) prepared.newPhase = Phase::kFinished;
  prepared.dp = dp;
  return true;
}

double frictionIntegralFactor(double p, double pe, double q) noexcept {
  const double D = 6.0 * (p - pe) * (p + pe) - 3.0 * q * q;
  if (!(D > 0.0)) return kInfinite;
  const double r = std::sqrt(D) - 3.0 * q;
  if (!(r > 0.0)) return kInfinite;
  return (4.0 * p * p + q * q) / r / (p * p);
}

double closedEndTime(const GB& branch, double p0, double pe0, double p1, double pe1, double& dt) noexcept {
  const double x = p0 / pe0;
  double y = p1 / pe1;
  if (!(y > 1.0)) y = 1.0;
  const double L = branch.length;
  dt = closedBlowDownTimeScale(branch.beta, L) * (acoshByLog(x) - acoshByLog(y));
  return branch.time + dt;
}

double phaseThreeStepTime(const GB& branch, double p0, double pe0, double p1, double pe1, double q, double dp,
                          bool finishing, Phase& newPhase, double& dt) noexcept {
  if (!(q > 0.0) && !branch.choked) return closedEndTime(branch, p0, pe0, p1, pe1, dt);

  const double R0 = frictionIntegralFactor(p0, pe0, q);
  const double R1 = frictionIntegralFactor(p1, pe1, q);
  // A fed branch that ends its blow-down holds its limit state for ever: the
  // supply keeps it flowing, so it never finishes at a finite time.
  const bool fedBranchEnds = newPhase == Phase::kFinished && q > 0.0;
  if (finishing || fedBranchEnds || !(R1 < kInfiniteThreshold)) {
    newPhase = Phase::kFinished;
    if (q == 0.0) return closedEndTime(branch, p0, pe0, p1, pe1, dt);
    dt = kInfinite;
    return kInfinite;
  }
  const double L = branch.length;
  dt = -(std::sqrt(branch.beta * L) * L / 3.0) * (R0 + R1) * dp / 2.0;
  return branch.time + dt;
}

bool evolv3(GB& branch, double& dp) {
  PhaseThreePreparation prepared;
  if (!preparePhaseThreeStep(branch, dp, prepared)) {
    branch.phase = prepared.newPhase;
    return false;
  }

  const double p0 = branch.upstream.p;
  const double p1 = p0 + prepared.dp;
  const double pe0 = branch.exit.p;
  const double pe1 = prepared.exit.p;
  const double q = branchQ(branch);
  const double Gu = branch.upstream.G;
  const bool dechoked = branch.choked && !prepared.choked;

  Phase newPhase = prepared.newPhase;
  double dt = 0.0;
  const double newTime = phaseThreeStepTime(branch, p0, pe0, p1, pe1, q, prepared.dp, prepared.finishing,
                                            newPhase, dt);
  GS newUpstream = branch.upstream;
  newUpstream.setPressure(p1);

  // Nothing is written before this point, so a raise leaves the branch as it was.
  branch.time = newTime;
  branch.phase = newPhase;
  branch.upstream = newUpstream;
  branch.exit.copyValues(prepared.exit);
  branch.massPerUnitArea = massPerUnitAreaOf(branch);
  if (branch.hasInflow) {
    if (isInfinite(branch.time)) {
      branch.massInflowPerUnitArea = kInfinite;
    } else {
      branch.massInflowPerUnitArea += Gu * dt;
    }
  }
  branch.choked = prepared.choked;

  double next = prepared.dp;
  if (dechoked) {
    const double limit = lowestFarEndPressure(Gu, q, pe1);
    const double dd = p1 - limit;
    if (dd > 0.0 && std::fabs(kStepsToTheLimitAfterDechoking * next) > dd) {
      next = -dd / kStepsToTheLimitAfterDechoking;
    }
  }
  dp = next;
  return true;
}

}  // namespace vorl
