#include "branch/branch_mass.h"

#include <cmath>

#include "branch/flow_relations.h"

namespace vorl {

// The mass a branch holds is the integral of the density, p / a2, over its
// length. Each phase assumes its own pressure profile: p^2 linear in the
// steady flow and ahead of the decompression front, p quadratic inside the
// disturbed zone and in phases 2 and 3, p linear once the branch is finished.

double massPerUnitAreaOf(const GB& branch) {
  const double p0 = branch.upstream.p;
  const double pe = branch.exit.p;
  const double L = branch.length;
  double pressureIntegral = 0.0;
  switch (branch.phase) {
    case Phase::kSteady:
      pressureIntegral = (2.0 / 3.0) * L * (p0 * p0 + p0 * pe + pe * pe) / (p0 + pe);
      break;
    case Phase::kFrontRunning:  // steady part ahead of the front, disturbed zone behind
      pressureIntegral = massIntegralFrom(branch, 0.0);
      break;
    case Phase::kOutflowDecay:  // far end still delivering away from the breach
      pressureIntegral = L * (4.0 * p0 + 2.0 * pe + branch.qSquared() / p0) / 6.0;
      break;
    case Phase::kBlowDown:
      pressureIntegral = L * (4.0 * p0 + 2.0 * pe - branch.qSquared() / p0) / 6.0;
      break;
    case Phase::kFinished:
      pressureIntegral = L * (p0 + pe) / 2.0;
      break;
  }
  return pressureIntegral / branch.a2();
}

namespace {

// Position u (0 to 1) of s within the zone of the profile that contains it.
double positionInZone(Phase phase, double s, double L, double d, double lam) {
  switch (phase) {
    case Phase::kFrontRunning:
      return s <= d ? s / d : (s - d) / lam;
    case Phase::kOutflowDecay:
    case Phase::kBlowDown:
      return s / L;
    default:
      return 0.0;
  }
}

}  // namespace

double massIntegralFrom(const GB& branch, double s) {
  const double L = branch.length;
  if (!(s < L)) return 0.0;
  const bool isA = branch.branch == BranchId::kA;
  const bool isB = branch.branch == BranchId::kB;
  if (!isA && !isB) return 0.0;

  const double lam = branch.lengthDisturbed;
  const double d = L - lam;  // undisturbed length ahead of the front
  const double u = positionInZone(branch.phase, s, L, d, lam);
  const double w = 1.0 - u;
  const double p0 = branch.upstream.p;
  const double pe = branch.exit.p;
  const double pb0 = branch.pressureAtBreachInitial;

  switch (branch.phase) {
    case Phase::kFrontRunning: {
      const double Pf = interpolateInPSquared(p0, pb0, d / L);  // steady pressure just ahead of the front
      const double Ps = interpolateInPSquared(p0, pb0, s / L);  // steady pressure at s
      if (s <= d) {
        const double U = (Pf * Ps + Pf * Pf + Ps * Ps) / (Pf + Ps);
        if (isA) {
          return (2.0 / 3.0) * (d - s) * U + (lam / 6.0) * (4.0 * Pf + 2.0 * pe - (Pf * Pf - pb0 * pb0) / (2.0 * Pf));
        }
        return (2.0 / 3.0) * (d - s) * U + (lam / 6.0) * (3.0 * Pf + 2.0 * pe + pb0);
      }
      const double h = isA ? -((p0 * p0 - pb0 * pb0) / (2.0 * Pf)) * ((L - s) / L)
                           : ((pb0 * pb0 - p0 * p0) / (pb0 + Pf)) * ((L - s) / L);
      return ((L - s) / 6.0) * (2.0 * Pf * w * (2.0 + u) + 2.0 * pe * (1.0 + u + u * u) + h * (1.0 + 2.0 * u));
    }
    case Phase::kOutflowDecay: {
      if (isA) return 0.0;  // branch A never enters phase 2
      return ((L - s) / 6.0) *
             (2.0 * p0 * w * (2.0 + u) + 2.0 * pe * (1.0 + u + u * u) + (branch.qSquared() / p0) * w * (1.0 + 2.0 * u));
    }
    case Phase::kBlowDown:
      return ((L - s) / 6.0) *
             (2.0 * p0 * w * (2.0 + u) + 2.0 * pe * (1.0 + u + u * u) - (branch.qSquared() / p0) * w * (1.0 + 2.0 * u));
    case Phase::kFinished: {
      // Finished: p linear from p0 at the far end to pe at the breach.
      const double ps = p0 + (pe - p0) * s / L;
      return (L - s) * (ps + pe) / 2.0;
    }
    default:
      return 0.0;
  }
}

}  // namespace vorl
