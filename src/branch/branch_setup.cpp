#include "branch/branch_setup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "branch/branch_mass.h"
#include "branch/choke.h"
#include "branch/flow_relations.h"
#include "core/constants.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"
#include "model/vorl.h"

namespace vorl {
namespace {

// The largest inflow (kg/s) the intact line carries at its upstream pressure.
// The steady friction law p_f^2 = P^2 - 2 k G^2, k = beta L a2^2, must leave
// the far end at ambient pressure or above and, with the choke model, no
// faster than the isothermal speed of sound there: G a2 / p_f <= sqrt(a2).
double largestCarriedInflow(const GB& pipe) {
  const double P = pipe.upstream.p;
  const double pa = pipe.pa();
  const double a2 = pipe.a2();
  const double k = pipe.beta * pipe.lengthInitial * a2 * a2;
  double G = std::sqrt(std::max(P * P - pa * pa, 0.0) / (2.0 * k));
  if (chokeModelAllowed) G = std::min(G, P / std::sqrt(a2 + 2.0 * k));
  return G * pipe.area;
}

// Three significant digits, rounded down: a limit the user may type as given.
std::string limitText(double value) {
  if (!(value > 0.0) || !std::isfinite(value)) return numberText(value);
  const int exponent = static_cast<int>(std::floor(std::log10(value)));
  const double unit = std::pow(10.0, exponent - 2);
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", std::max(0, 2 - exponent), std::floor(value / unit) * unit);
  return text;
}

// The steady flow the inputs ask for cannot be: the message names the
// inflow and the most this line takes, so that the input can be put right.
std::string inflowBeyondLine(const GB& pipe, const std::string& why) {
  char asked[32];
  std::snprintf(asked, sizeof asked, "%.6g", pipe.fluxDensityInitial * pipe.area);
  return std::string("total inflow ") + asked + " kg/s is more than this line carries at upstream pressure " +
         numberText(pipe.upstream.p) + " Pa over " + numberText(pipe.lengthInitial) + " m: at most " +
         limitText(largestCarriedInflow(pipe)) + " kg/s (" + why + ")";
}

}  // namespace

GB wholePipeBranch(const AMBIENT* ambient, const IIG* gas, double beta, double pipeLength, double boreArea,
                   double upstreamPressure, double inflowFluxDensity) {
  GB pipe;
  pipe.ambient = ambient;
  pipe.upstream = GS(gas, upstreamPressure, inflowFluxDensity);
  pipe.exit = GS(gas, upstreamPressure, inflowFluxDensity);
  pipe.branch = BranchId::kWholePipe;
  pipe.time = 0.0;
  pipe.phase = Phase::kSteady;
  pipe.beta = beta;
  pipe.length = pipe.lengthInitial = pipeLength;
  pipe.fluxDensityInitial = inflowFluxDensity;
  pipe.pressureAtBreachInitial = upstreamPressure;
  pipe.area = boreArea;
  pipe.orificeAperture = 0.0;
  pipe.hasInflow = inflowFluxDensity > 0.0;

  // The far-end pressure of the steady flow. A flow the pipe cannot carry is
  // kept as a construction error: the model stays usable, and the first run
  // reports it.
  try {
    const double farEnd = GBpu(upstreamPressure, GFq(pipe.upstream, beta, pipeLength), 1.0);
    pipe.exit.setPressure(farEnd);
  } catch (const VORLERROR& error) {
    pipe.constructionError = error.eError();
  }

  // A line below the pressure outside cannot flow out, whatever its inflow:
  // the upstream pressure is at fault, not the inflow. (At that pressure
  // exactly, the run's own check of the input refuses it.)
  if (upstreamPressure < pipe.pa()) {
    throw VORLERROR(VORL_E_INVALID_UPSTREAM_PRESSURE, "GBctor",
                    "upstream pressure " + numberText(upstreamPressure) +
                        " Pa is below the pressure outside the breach, " + numberText(pipe.pa()) + " Pa");
  }
  if (chokeModelAllowed && isChoked(pipe.exit, 1.0)) {
    throw VORLERROR(VORL_E_INFLOW_CHOKED, "GBctor",
                    inflowBeyondLine(pipe, "it would be sonic at the far end of the pipe"));
  }
  if (pipe.exit.p < pipe.pa()) {
    throw VORLERROR(VORL_E_FAR_END_BELOW_AMBIENT, "GBctor",
                    inflowBeyondLine(pipe, "it reaches the far end below ambient pressure: " +
                                               numberText(pipe.exit.p) + " Pa < " + numberText(pipe.pa()) + " Pa"));
  }
  if (pipe.constructionError == 0) pipe.massPerUnitArea = massPerUnitAreaOf(pipe);
  return pipe;
}

namespace {

void checkBreachLocation(double x, double wholeLength) {
  if (x < 0.0 || x > wholeLength) {
    throw VORLERROR(
        VORL_E_BREACH_OUTSIDE_PIPE, "GBctor",
        "breach location " + numberText(x) + " m lies outside the pipe [0, " + numberText(wholeLength) + "] m");
  }
}

[[noreturn]] void throwUnknownBranch(BranchId branchNumber) {
  throw VORLERROR(VORL_E_UNKNOWN_BRANCH, "GBctor",
                  "branch " + std::to_string(static_cast<int>(branchNumber)) + " is neither 1 (A) nor 2 (B)");
}

}  // namespace

GB preBreach(const GB& wholePipe, BranchId branchNumber, double x) {
  GB state(wholePipe);
  if (wholePipe.constructionError == VORL_E_FRICTION_EXCEEDS_PRESSURE) {
    throw VORLERROR(VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBctor",
                    inflowBeyondLine(wholePipe, "its friction loss exceeds the upstream pressure"));
  }
  if (wholePipe.constructionError != 0) {
    throw VORLERROR(wholePipe.constructionError, "GBctor",
                    "the steady flow of the whole pipe could not be set up (error " +
                        std::to_string(wholePipe.constructionError) + ")");
  }
  state.branch = branchNumber;
  const double wholeLength = wholePipe.lengthInitial;
  checkBreachLocation(x, wholeLength);
  if (wholePipe.exit.p > wholePipe.upstream.p) {
    throw VORLERROR(VORL_E_FAR_END_ABOVE_UPSTREAM, "GBctor",
                    "the steady far-end pressure " + numberText(wholePipe.exit.p) +
                        " Pa is above the upstream pressure " + numberText(wholePipe.upstream.p) + " Pa");
  }
  const double pb = steadyPressureAt(wholePipe, x);

  if (branchNumber == BranchId::kA) {
    // Branch A runs from the supply end, which stays its far end, to the breach.
    state.time = 0.0;
    state.lengthToPressurePeak = x;
    state.length = state.lengthInitial = x;
    state.massInflowPerUnitArea = state.massTrappedPerUnitArea = 0.0;
    state.pressureAtBreachInitial = pb;
    state.exit = GS(state.upstream.gas, pb, state.fluxDensityInitial);
    state.massPerUnitArea = massPerUnitAreaOf(state);
  } else if (branchNumber == BranchId::kB) {
    // Branch B is seen from the pipe's outlet back to the breach: its steady
    // flow runs away from the breach, so its fluxes are negative.
    state.time = 0.0;
    state.lengthToPressurePeak = 0.0;
    state.length = state.lengthInitial = wholeLength - x;
    state.massInflowPerUnitArea = state.massTrappedPerUnitArea = 0.0;
    state.pressureAtBreachInitial = pb;
    state.upstream.copyValues(wholePipe.exit);
    state.upstream.reverse();
    state.exit = GS(state.upstream.gas, pb, state.fluxDensityInitial);
    state.exit.reverse();
    state.massPerUnitArea = massPerUnitAreaOf(state);
  } else {
    throwUnknownBranch(branchNumber);
  }
  return state;
}

GB breachStart(const GB& wholePipe, BranchId branchNumber, double pa, double x, double ar) {
  GB state(wholePipe);
  state.branch = branchNumber;
  const double wholeLength = wholePipe.lengthInitial;
  checkBreachLocation(x, wholeLength);
  const double pb = steadyPressureAt(wholePipe, x);

  if (branchNumber == BranchId::kA) {
    // The supply goes on feeding branch A at its far end.
    state.time = 0.0;
    state.phase = Phase::kFrontRunning;
    state.lengthDisturbed = 0.0;
    state.lengthToPressurePeak = x;
    state.length = state.lengthInitial = x;
    state.massInflowPerUnitArea = state.massTrappedPerUnitArea = 0.0;
    state.choked = false;
    state.pressureAtBreachInitial = pb;
    state.orificeAperture = ar;
    state.exit = GS(state.upstream.gas, pa, kInfinite);  // breach at ambient, flux not yet known
  } else if (branchNumber == BranchId::kB) {
    state.time = 0.0;
    state.phase = Phase::kFrontRunning;
    state.lengthDisturbed = 0.0;
    state.lengthToPressurePeak = 0.0;
    state.length = state.lengthInitial = wholeLength - x;
    state.massInflowPerUnitArea = state.massTrappedPerUnitArea = 0.0;
    state.fluxDensityInitial = 0.0;
    state.choked = false;
    state.pressureAtBreachInitial = pb;
    state.orificeAperture = ar;
    state.hasInflow = false;
    state.upstream.copyValues(wholePipe.exit);
    state.upstream.reverse();
    state.exit = GS(state.upstream.gas, pa, kInfinite);
  } else {
    throwUnknownBranch(branchNumber);
  }

  if (chokeModelAllowed) state.choked = chokeCheck(state.exit, pb, ar);
  state.massPerUnitArea = massPerUnitAreaOf(state);
  return state;
}

void rebuildWholePipe(VORL& model) {
  model.wholePipeSet(nullptr);
  const PIPESET& pipe = model.pipeSet();
  const double p = pipe.upstreamPressure;
  const double Q = pipe.totalInflow;
  const double L = pipe.length;
  const double A = model.pipeInterior().Area();
  const double G = Q / A;
  const double beta = model.Beta();
  model.wholePipeSet(std::make_unique<GB>(wholePipeBranch(&model.outlet(), model.gas(), beta, L, A, p, G)));
}

}  // namespace vorl
