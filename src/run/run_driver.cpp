#include "run/run_driver.h"

#include "branch/branch_setup.h"
#include "branch/flow_relations.h"
#include "branch/phase_dispatch.h"
#include "branch/phase_one.h"
#include "companion/reporting.h"
#include "core/vorl_error.h"
#include "model/inputs.h"
#include "model/vorl.h"
#include "run/debug_output.h"
#include "run/valve_events.h"

namespace vorl {
namespace {

// Warns when the upstream pressure would condense the gas at its temperature.
void prepareRun(VORL& model) {
  model.pipeSet().valves.valvesBranchInfoSet(model.pipeSet().length, model.pipeSet().effectiveBreachLocation());
  const GB* wholePipe = model.wholePipe();
  if (wholePipe == nullptr || model.gas() == nullptr) return;
  const double p = wholePipe->upstream.p;
  const double saturation = model.SaturationPressure(model.gas()->temperature());
  if (saturation != 0.0 && p > saturation) {
    reportWarning(VORL_W_ABOVE_SATURATION, "vlInit",
                  "upstream pressure " + numberText(p) + " Pa is above the saturation pressure " +
                      numberText(saturation) + " Pa at the gas temperature: the gas may condense");
  }
}

// The steps each phase advances by: the disturbed length in phase one (m),
// the scaled far-end flux q in phase two, the far-end pressure in phase three (Pa).
struct StepSizes {
  double dl = 0.0;
  double dq = 0.0;
  double dp = 0.0;

  StepSizes(const GB& state, double pa, double divisor, double multiplier)
      : dl(multiplier * (state.lengthInitial / divisor)),
        dq(multiplier * (-branchQ(state) / divisor)),
        dp(multiplier * (-(state.upstream.p - pa) / divisor)) {}
};

// The first steps after the breach are coarser than the division's own,
// which the steps after a valve cut take: branch A steps over the division
// less five (once the division is above twenty) times two, branch B over the
// division times three.
constexpr int kBranchAReducedAbove = 20;
constexpr int kBranchADivisionReduction = 5;
constexpr double kBranchAFirstStepFactor = 2.0;
constexpr double kBranchBFirstStepFactor = 3.0;
constexpr double kStepFactorAfterCut = 1.0;

StepSizes firstSteps(const GB& start, double pa, BranchId branch, int division) {
  int n = division;
  if (branch == BranchId::kA && n > kBranchAReducedAbove) n -= kBranchADivisionReduction;
  return StepSizes(start, pa, n, branch == BranchId::kA ? kBranchAFirstStepFactor : kBranchBFirstStepFactor);
}

char branchLetter(BranchId branch) { return branch == BranchId::kA ? 'A' : 'B'; }

double qForDebugLine(const GB& state) noexcept {
  try {
    return branchQ(state);
  } catch (...) {
    return 0.0;
  }
}

// One pass of the loop: a step of the current phase, with its progress line.
bool stepOnce(VORL& model, GB& current, StepSizes& steps) {
  const char letter = branchLetter(current.branch);
  bool advanced = false;
  switch (current.phase) {
    case Phase::kFrontRunning: {
      double step = steps.dl;
      advanced = phaseStep(current, step);
      debugLine("%c1 t=%f Lambda=%f\n", letter, current.time, current.lengthDisturbed);
      break;
    }
    case Phase::kOutflowDecay: {
      double step = steps.dq;
      advanced = phaseStep(current, step);
      if (debugOutputWanted()) debugLine("%c2 t=%f q0=%f\n", letter, current.time, qForDebugLine(current));
      break;
    }
    case Phase::kBlowDown:
      advanced = phaseStep(current, steps.dp);
      if (!advanced) advanced = valveExtension(model, current);
      debugLine("%c3 t=%f p0=%f\n", letter, current.time, current.upstream.p);
      break;
    default:
      debugLine("%c finished. t=%f\n", letter, current.time);
      break;
  }
  return advanced;
}

}  // namespace

int branchRun(VORL& model, BranchId branch, int maxPasses) {
  if (branch != BranchId::kA && branch != BranchId::kB) return 0;
  model.requireSequence(branch).clear();
  const double pa = model.outlet().pressure;
  const double breach = model.pipeSet().effectiveBreachLocation();
  const double aperture = model.pipeSet().orificeAperture;
  const GB* wholePipe = model.wholePipe();
  if (wholePipe == nullptr) {
    throw VORLERROR(VORL_E_MISSING_DATA, "vlRunB",
                    "the steady flow of the pipe could not be built: correct the pipe inputs first");
  }

  int count = 0;
  model.appendToSequence(preBreach(*wholePipe, branch, breach));
  count = 1;
  const GB start = breachStart(*wholePipe, branch, pa, breach, aperture);
  const int division = model.timeDivision();
  if (division == 0) throw VORLERROR(VORL_E_NOT_POSITIVE, "vlRunB", "the time division is 0");

  StepSizes steps = firstSteps(start, pa, branch, division);

  GB current = start;
  model.appendToSequence(current);
  for (int passes = 1;; ++passes) {
    if (passes > maxPasses) {
      throw VORLERROR(VORL_E_STEP_BOUND, "vlRunB",
                      "branch " + std::string(1, branchLetter(branch)) + " did not finish within " +
                          std::to_string(maxPasses) + " steps");
    }
    if (!stepOnce(model, current, steps)) break;
    model.appendToSequence(current);
    ++count;
    const int cut = valveEvents(model, current);
    count += cut;
    if (cut != 0) steps = StepSizes(current, pa, division, kStepFactorAfterCut);
    if (current.phaseEnded) {
      endOfPhaseOne(current);
      model.appendToSequence(current);
      ++count;
    }
  }
  return count;
}

namespace {

int runBranches(VORL& model, std::initializer_list<BranchId> branches) {
  prepareRun(model);
  int count = 0;
  for (BranchId branch : branches) count += branchRun(model, branch);
  return count;
}

// The fast model's supply feeds its inflow whatever the line does: a supply
// that holds its pressure or trips is the reference solution's.
void requireFastModelSupply(const VORL& model) {
  const ReferenceSettings& settings = model.referenceSettings();
  if (fastModelKeepsSupply(model)) return;
  throw VORLERROR(VORL_E_FAST_MODEL_SUPPLY, "VorlRun",
                  std::string("the fast model keeps a constant inflow; a supply that ") +
                      (settings.supplyMode != 0 ? "holds the upstream pressure" : "trips") +
                      " is the reference solution's (VorlReferenceRun)");
}

// The fast model's valves cut their branch at an instant: a valve that waits
// for the detection or moves over a duration is the reference solution's.
void requireFastModelValves(const VORL& model) {
  if (fastModelKeepsValves(model)) return;
  const ReferenceSettings& settings = model.referenceSettings();
  std::string asked;
  if (settings.valveDetectionDelay != 0.0) asked = "after a detection delay of " + numberText(settings.valveDetectionDelay) + " s";
  if (settings.valveClosingDuration != 0.0) {
    asked += (asked.empty() ? "" : " and ") +
             std::string("over a closing duration of ") + numberText(settings.valveClosingDuration) + " s";
  }
  throw VORLERROR(VORL_E_FAST_MODEL_VALVE_CLOSING, "VorlRun",
                  "the fast model shuts its valves at an instant at their closure times; valves shutting " + asked +
                      " are the reference solution's (VorlReferenceRun); for the fast model give the valves "
                      "closure times later by the delay instead");
}

}  // namespace

bool fastModelKeepsSupply(const VORL& model) {
  const ReferenceSettings& settings = model.referenceSettings();
  return settings.supplyMode == 0 && settings.supplyTripTime == 0.0;
}

bool fastModelKeepsValves(const VORL& model) {
  const ReferenceSettings& settings = model.referenceSettings();
  const bool valvesTakePart = model.pipeSet().valvesActive && !model.pipeSet().valves.valves.empty();
  return !valvesTakePart || (settings.valveDetectionDelay == 0.0 && settings.valveClosingDuration == 0.0);
}

int runModel(VORL& model) {
  // A new run replaces the history, and with it the states the last time
  // setting kept: nothing of an earlier run may read as a result of this one.
  model.resetSequences();
  model.pipeTimeState() = PipeTimeState{};
  checkModelInputs(model, kCheckedByRun, "VorlRun");
  requireFastModelSupply(model);
  requireFastModelValves(model);
  if (model.isSingleBranchA()) return runBranches(model, {BranchId::kA});
  if (model.isSingleBranchB()) return runBranches(model, {BranchId::kB});
  if (model.isDoubleBranch()) return runBranches(model, {BranchId::kA, BranchId::kB});
  return 0;
}

}  // namespace vorl
