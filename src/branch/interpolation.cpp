#include "branch/branch_mass.h"
#include "branch/flow_relations.h"
#include "branch/interpolation.h"

#include <algorithm>
#include <cmath>

#include "branch/choke.h"
#include "branch/phase_dispatch.h"
#include "core/constants.h"
#include "core/process_settings.h"

namespace vorl {
namespace {

// A phase variable that changes slower than this per second between two
// records is interpolated: re-evolving it would take steps of no effect.
constexpr double kSlowestReintegratedChange = 0.001;
// The time an evolved state may miss the asked time by, as a fraction of the
// records' gap (the host's tolerance when smaller).
constexpr double kLandingWindowFraction = 0.05;

// The variable each phase advances: the disturbed length in phase one, q in
// phase two, the far-end pressure in phase three.
double phaseVariable(const GB& branch, Phase phase) {
  switch (phase) {
    case Phase::kFrontRunning: return branch.lengthDisturbed;
    case Phase::kOutflowDecay: return branchQ(branch);
    case Phase::kBlowDown: return branch.upstream.p;
    default: return 0.0;
  }
}

}  // namespace

GB stateAt(const GBSQ& history, double t, double tolerance, int* indexFound, int from) {
  const int last = history.size() - 1;
  (void)history[last];  // an empty history raises 4
  const int i = history.lastNotAfter(t, from);
  GB result = history[i];
  if (indexFound != nullptr) *indexFound = i;

  if (result.time == t) {
    result.interpolated = true;
  } else if (result.time < t && i < last) {
    stateAtIntermediateTime(result, history[i + 1], t, tolerance);
  } else if (result.time < t) {
    result.phase = Phase::kFinished;  // t lies beyond the history: the branch has finished
    result.time = t;
    result.interpolated = true;
  } else {
    return history[0];
  }
  return result;
}

bool stateAtIntermediateTime(GB& earlier, const GB& later, double t, double tolerance) {
  if (reintegrateToTime(earlier, later, t, tolerance)) return true;
  return interpolateToTime(earlier, later, t);
}

bool reintegrateToTime(GB& earlier, const GB& later, double t, double tolerance) {
  const double t1 = earlier.time;
  const double t2 = later.time;
  if (!(t1 <= t && t <= t2)) return false;
  if (isInfinite(t2)) return false;
  const double d = t2 - t1;
  if (d == 0.0) return true;

  const GB kept = earlier;
  GB working = earlier;
  const double y1 = phaseVariable(kept, kept.phase);
  const double y2 = phaseVariable(later, kept.phase);
  if (std::fabs((y2 - y1) / d) < kSlowestReintegratedChange) return false;

  // Half the change that linear interpolation in time would give, halved
  // again on every overshoot of the window.
  double h = (y2 - y1) * (t - t1) / (2.0 * d);
  double window = kLandingWindowFraction * d;
  if (tolerance > 0.0 && tolerance <= window) window = tolerance;

  bool ok = true;
  bool done = false;
  bool halve = false;
  int passes = 0;
  while (ok && !done) {
    if (++passes > kMaxReintegrationPasses) {
      earlier = kept;
      return false;
    }
    ok = phaseStep(working, h);
    const double tW = working.time;
    if (tW > t + window) {  // overshoot: back to the last accepted state
      working = earlier;
      h /= 2.0;
      halve = true;
    } else if (tW >= t - window) {
      earlier = working;
      done = true;
      halve = false;
    } else {
      earlier = working;
      if (halve) h /= 2.0;
      halve = false;
    }
  }
  if (ok) {
    earlier.interpolated = true;
  } else {
    earlier = kept;
  }
  return ok;
}

bool interpolateToTime(GB& earlier, const GB& later, double t) {
  const double t1 = earlier.time;
  const double t2 = later.time;
  if (!(t1 <= t && t <= t2)) return false;
  const double d = t2 - t1;
  if (d == 0.0) return true;
  const bool laterUndefined = isInfinite(t2);

  const double wn = (t - t1) / d;
  const double we = (t2 - t) / d;
  const auto blend = [we, wn](double e, double n) { return we * e + wn * n; };

  GB w = earlier;
  w.upstream = GS::weighted(later.upstream, wn, earlier.upstream, we);
  w.exit = GS::weighted(later.exit, wn, earlier.exit, we);
  w.time = t;
  w.lengthDisturbed = blend(earlier.lengthDisturbed, later.lengthDisturbed);
  w.lengthToPressurePeak = blend(earlier.lengthToPressurePeak, later.lengthToPressurePeak);
  w.massPerUnitArea = blend(earlier.massPerUnitArea, later.massPerUnitArea);
  w.massTrappedPerUnitArea = blend(earlier.massTrappedPerUnitArea, later.massTrappedPerUnitArea);
  w.fluxDensityInitial = blend(earlier.fluxDensityInitial, later.fluxDensityInitial);
  // Toward a state of undefined time the inflow goes on at its own rate.
  w.massInflowPerUnitArea = laterUndefined
                                ? earlier.massInflowPerUnitArea + later.fluxDensityInitial * (t - t1)
                                : blend(earlier.massInflowPerUnitArea, later.massInflowPerUnitArea);
  earlier = w;
  earlier.interpolated = true;
  return true;
}

bool valveCut(GB& branch, double x) {
  const double s = branch.length - x;
  if (x < 0.0 || s < 0.0) {
    branch.interpolated = false;
    return false;
  }
  // The cut is worked out on a copy, so that a relation that raises leaves
  // the branch as it was.
  GB cut = branch;
  const double pa = branch.pa();
  const double I = massIntegralFrom(branch, s);
  const double P = 3.0 * I / x;
  // Far-end pressure of a closed branch of length x holding that mass with
  // its exit at pa (phase-three profile). A branch that has already blown
  // down gives (P - pa) / 2 a rounding below pa: never below ambient.
  double p0 = std::max((P - pa) / 2.0, pa);

  // The outflow of the closed branch through the breach; a valve at the
  // breach itself leaves no length to drive it and raises here.
  GS exit(branch.upstream.gas, pa, breachFluxWithoutInflow(cut, p0, pa, x));

  cut.upstream.setFluxAndPressure(p0, 0.0);
  cut.phase = Phase::kBlowDown;
  cut.lengthDisturbed = cut.lengthToPressurePeak = cut.length = x;
  cut.massPerUnitArea = I / branch.a2();
  cut.massTrappedPerUnitArea += branch.massPerUnitArea - cut.massPerUnitArea;
  cut.fluxDensityInitial = 0.0;
  cut.hasInflow = false;

  // The closed branch is timed by the form for its exit condition, so its
  // choked flag follows the solve (false when the choke model is off).
  cut.choked = false;
  if (chokeModelAllowed) {
    double farEnd = p0;
    double exitPressure = pa;
    cut.choked = SlvChk(exit, P, cut.orificeAperture, farEnd, exitPressure);
    if (cut.choked && exitPressure > 0.0) {
      exit.setFluxAndPressure(exitPressure, cut.orificeAperture * exitPressure / branch.soundSpeed());
    }
    cut.upstream.setPressure(std::max(farEnd, pa));
  }
  cut.exit.copyValues(exit);
  cut.interpolated = false;
  // A cut at the instant phase one ends leaves no transition pending.
  cut.phaseEnded = false;
  branch = cut;
  return true;
}

bool extendWithInflow(GB& branch, double tn) {
  const double G = branch.upstream.G;
  if (!(G > 0.0) || tn < branch.time) return false;
  branch.massInflowPerUnitArea += (tn - branch.time) * G;
  branch.time = tn;
  return true;
}

void finishAtTime(GB& branch, double t) noexcept {
  branch.phase = Phase::kFinished;
  branch.time = t;
  branch.interpolated = true;
}

bool inflowInfinite(const GB& branch) noexcept { return branch.hasInflow && isInfinite(branch.time); }

bool timeUndefined(const GB& branch) noexcept { return isInfinite(branch.time); }

}  // namespace vorl
