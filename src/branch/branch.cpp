#include "model/branch_state.h"

#include <cmath>
#include <string>

#include "branch/choke.h"
#include "branch/flow_relations.h"
#include "core/constants.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"

namespace vorl {

GB::GB(const AMBIENT* ambientValues, const IIG* gas, double betaValue, double pipeLength, double boreArea,
       double upstreamPressure, double inflowFluxDensity) {
  ambient = ambientValues;
  upstream = GS(gas, upstreamPressure, inflowFluxDensity);
  exit = GS(gas, upstreamPressure, inflowFluxDensity);
  branch = BranchId::kWholePipe;
  time = 0.0;
  phase = Phase::kSteady;
  beta = betaValue;
  length = lengthInitial = pipeLength;
  fluxDensityInitial = inflowFluxDensity;
  pressureAtBreachInitial = upstreamPressure;
  area = boreArea;
  orificeAperture = 0.0;
  hasInflow = inflowFluxDensity > 0.0;

  // The far-end pressure of the steady flow. A flow the pipe cannot carry is
  // kept as a construction error: the model stays usable, and the first run
  // reports it.
  try {
    const double farEnd = GBpu(upstreamPressure, GFq(upstream, beta, pipeLength), 1.0);
    exit.setPressure(farEnd);
  } catch (const VORLERROR& error) {
    constructionError = error.eError();
  }

  if (chokeModelAllowed && isChoked(exit, 1.0)) {
    throw VORLERROR(VORL_E_INFLOW_CHOKED, "GBctor", "the steady inflow would be sonic at the far end of the pipe");
  }
  if (exit.p < pa()) {
    throw VORLERROR(VORL_E_FAR_END_BELOW_AMBIENT, "GBctor", "the steady flow reaches the far end below ambient pressure (" +
                                       numberText(exit.p) + " Pa < " + numberText(pa()) + " Pa)");
  }
  if (constructionError == 0) massPerUnitArea = massPerUnitAreaOfBranch();
}

GB& GB::operator=(const GB& other) {
  if (this == &other) return *this;
  const AMBIENT* keptAmbient = ambient;
  const IIG* keptUpstreamGas = upstream.gas;
  const IIG* keptExitGas = exit.gas;
  GBFields::operator=(other);
  ambient = keptAmbient;
  upstream.gas = keptUpstreamGas;
  exit.gas = keptExitGas;
  return *this;
}

double GB::soundSpeed() const noexcept { return std::sqrt(a2()); }

double GB::q() const { return GFq(upstream, beta, length); }

double GB::qSquared() const noexcept {
  const double g = a2() * upstream.G;
  return g * g * beta * length;
}

double GB::steadyPressureAt(double x) const { return GBpu(upstream.p, q(), x / length); }

double GB::breachFlux(double G, double P, double pe, double lam) const {
  if (G > 0.0) return G + bfdG(G, P, pe, lam, beta, a2());
  return bfGe5(P, pe, lam, beta, a2());
}

double GB::breachFluxWithoutInflow(double P, double pe, double lam) const {
  return bfGe5(P, pe, lam, beta, a2());
}

namespace {

void checkBreachLocation(double x, double wholeLength) {
  if (x < 0.0 || x > wholeLength) {
    throw VORLERROR(VORL_E_BREACH_OUTSIDE_PIPE, "GBctor", "breach location " + numberText(x) + " m lies outside the pipe [0, " +
                                       numberText(wholeLength) + "] m");
  }
}

[[noreturn]] void throwUnknownBranch(BranchId branchNumber) {
  throw VORLERROR(VORL_E_UNKNOWN_BRANCH, "GBctor",
                  "branch " + std::to_string(static_cast<int>(branchNumber)) + " is neither 1 (A) nor 2 (B)");
}

}  // namespace

GB GB::preBreach(const GB& wholePipe, BranchId branchNumber, double x) {
  GB state(wholePipe);
  if (wholePipe.constructionError != 0) {
    throw VORLERROR(wholePipe.constructionError, "GBctor",
                    "the steady flow of the whole pipe could not be set up (error " +
                        std::to_string(wholePipe.constructionError) + ")");
  }
  state.branch = branchNumber;
  const double wholeLength = wholePipe.lengthInitial;
  checkBreachLocation(x, wholeLength);
  if (wholePipe.exit.p > wholePipe.upstream.p) {
    throw VORLERROR(VORL_E_FAR_END_ABOVE_UPSTREAM, "GBctor", "the steady far-end pressure " + numberText(wholePipe.exit.p) +
                                       " Pa is above the upstream pressure " + numberText(wholePipe.upstream.p) +
                                       " Pa");
  }
  const double pb = wholePipe.steadyPressureAt(x);

  if (branchNumber == BranchId::kA) {
    // Branch A runs from the supply end, which stays its far end, to the breach.
    state.time = 0.0;
    state.lengthToPressurePeak = x;
    state.length = state.lengthInitial = x;
    state.massInflowPerUnitArea = state.massTrappedPerUnitArea = 0.0;
    state.pressureAtBreachInitial = pb;
    state.exit = GS(state.upstream.gas, pb, state.fluxDensityInitial);
    state.massPerUnitArea = state.massPerUnitAreaOfBranch();
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
    state.massPerUnitArea = state.massPerUnitAreaOfBranch();
  } else {
    throwUnknownBranch(branchNumber);
  }
  return state;
}

GB GB::breachStart(const GB& wholePipe, BranchId branchNumber, double pa, double x, double ar) {
  GB state(wholePipe);
  state.branch = branchNumber;
  const double wholeLength = wholePipe.lengthInitial;
  checkBreachLocation(x, wholeLength);
  const double pb = wholePipe.steadyPressureAt(x);

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
  state.massPerUnitArea = state.massPerUnitAreaOfBranch();
  return state;
}

}  // namespace vorl
