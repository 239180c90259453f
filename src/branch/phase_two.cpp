#include "branch/phase_two.h"

#include <cmath>

#include "branch/branch_mass.h"
#include "branch/choke.h"
#include "branch/flow_relations.h"
#include "core/constants.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"

namespace vorl {

// Phase two (branch B only): the front has reached the outlet, where the gas
// still flows away from the breach. The far-end outflow, carried as
// q = sqrt(beta L) a2 G (negative), decays to rest; the pressure peak inside
// the branch moves out to the far end as it does.

namespace {

struct PressurePeak {
  double distanceFromBreach;
  double pressure;
};

// Peak of the quadratic profile for a far-end outflow with q^2 = Q.
PressurePeak peakForOutflow(double L, double p0, double pe, double Q) {
  const double W = (p0 - pe) * p0 + Q;
  const double dl = L * Q / (2.0 * W);  // distance of the peak from the far end
  return {L - dl, Q * Q / (4.0 * p0 * W) + p0};
}

}  // namespace

bool evolv2(GB& branch, double dq) {
  const double L = branch.length;
  const double q = GFq(branch.upstream, branch.beta, L);
  if (q > 0.0) return false;
  if (std::fabs(q) * kNegligibleRatio > std::fabs(dq)) return false;
  double q1 = q + dq;
  Phase newPhase = branch.phase;
  if (!(q1 < 0.0)) {
    // The far-end flow comes to rest within this step: end exactly there.
    q1 = 0.0;
    dq = -q;
    newPhase = Phase::kBlowDown;
  }

  const double p0 = branch.upstream.p;
  const double pa = branch.pa();
  if (p0 < pa) {
    throw VORLERROR(
        VORL_E_DECAY_BELOW_AMBIENT, "evolv2",
        "far-end pressure " + numberText(p0) + " Pa is below the ambient pressure " + numberText(pa) + " Pa");
  }
  const double pe = pa;
  const PressurePeak peak = peakForOutflow(L, p0, pe, q1 * q1);

  GS S(branch.upstream.gas, pa, breachFluxWithoutInflow(branch, peak.pressure, pa, peak.distanceFromBreach));
  bool choked = false;
  if (chokeModelAllowed) choked = chokeCheck(S, peak.pressure, branch.orificeAperture);
  const double Ge = S.G;

  // Outflow at the breach less outflow at the far end, in units of a2 G.
  const double a2 = branch.a2();
  const double s = std::sqrt(branch.beta * L);
  const double f0 = q / s;
  const double f1 = q1 / s;
  const double E0 = a2 * branch.exit.G - f0;
  const double E1 = a2 * Ge - f1;
  const double Gu0 = f0 / a2;
  const double Gu1 = f1 / a2;

  const double H = (q + q1) * dq;  // q1^2 - q^2
  const bool timeDefined = E1 > 0.0 && E0 > 0.0;
  const double dt = timeDefined ? -(H / 2.0) * (1.0 / E0 + 1.0 / E1) * L / (6.0 * p0) : kInfinite;

  // Nothing is written before this point, so a raise leaves the branch as it was.
  branch.time = timeDefined ? branch.time + dt : kInfinite;
  branch.phase = newPhase;
  branch.upstream.G = Gu1;
  branch.exit.copyValues(S);
  branch.lengthToPressurePeak = peak.distanceFromBreach;
  branch.massPerUnitArea = massPerUnitAreaOf(branch);
  if (isInfinite(branch.time)) {
    branch.massInflowPerUnitArea = -kInfinite;
  } else {
    branch.massInflowPerUnitArea += (Gu0 + Gu1) * dt / 2.0;
  }
  branch.choked = choked;
  return true;
}

}  // namespace vorl
