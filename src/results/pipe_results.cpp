#include "results/pipe_results.h"

#include "branch/flow_relations.h"
#include "branch/interpolation.h"
#include "core/constants.h"
#include "core/vorl_error.h"
#include "model/argument_checks.h"
#include "results/record_quantities.h"

namespace vorl {
namespace {

// Visits branch A, then branch B, of a time state (const or not).
template <class State, class Visit>
void forEachBranch(State& state, Visit visit) {
  visit(BranchId::kA, state.a);
  visit(BranchId::kB, state.b);
}

// Marks which branches the model's layout has and forgets the indices of the
// last setting.
void startSetting(VORL& model, double requestedTime) {
  PipeTimeState& state = model.pipeTimeState();
  state.requestedTime = requestedTime;
  state.a.indexFound = -1;
  state.b.indexFound = -1;
  state.a.present = model.isSingleBranchA() || model.isDoubleBranch();
  state.b.present = model.isSingleBranchB() || model.isDoubleBranch();
}

// A branch whose looked-up state has finished without inflow no longer
// drives the pipe's time.
bool activeAfterLookup(const GB& record) { return !(record.phase == Phase::kFinished && !record.hasInflow); }

// The time setting, each branch's search starting where walk (when given)
// found it for the time before.
double lookUpBranches(VORL& model, double t, double tolerance, PipeWalk* walk) {
  startSetting(model, t);
  PipeTimeState& state = model.pipeTimeState();
  double endTime[2] = {0.0, 0.0};
  double keptTime[2] = {0.0, 0.0};
  bool active[2] = {false, false};
  forEachBranch(state, [&](BranchId number, PipeTimeState::Branch& branch) {
    if (!branch.present) return;
    const int k = number == BranchId::kA ? 0 : 1;
    branch.currentRecord.reset();
    const GBSQ& sequence = model.requireSequence(number);
    if (sequence.empty()) throw VORLERROR(VORL_E_NO_RESULTS, "vlt", "the run stored no state for this branch");
    endTime[k] = sequence[sequence.size() - 1].time;
    int found = -1;
    branch.currentRecord = stateAt(sequence, t, tolerance, &found, walk != nullptr ? walk->found[k] : -1);
    branch.indexFound = found;
    if (walk != nullptr) walk->found[k] = found;
    const GB& record = *branch.currentRecord;
    keptTime[k] = record.time;
    active[k] = activeAfterLookup(record);
  });
  // When both branches have finished, the one that lasted longer stands for the pipe.
  if (!active[0] && !active[1]) {
    if (endTime[0] >= endTime[1] && state.a.present) {
      active[0] = true;
    } else if (endTime[0] < endTime[1] && state.b.present) {
      active[1] = true;
    }
  }
  if (active[0] && active[1]) return (keptTime[0] + keptTime[1]) / 2.0;
  if (active[0]) return keptTime[0];
  if (active[1]) return keptTime[1];
  return 0.0;
}

// A time or tolerance refused leaves the last setting as it was.
void checkTimeAndTolerance(double t, double tolerance) {
  checkArgument(VORL_E_INVALID_PIPE_TIME, t, "vlt");
  checkArgument(VORL_E_INVALID_LOOKUP_TOLERANCE, tolerance, "vlt");
}

// A setting that fails on the way leaves none: the pipe-level queries then
// say that no state is set, where they would answer from one branch at the
// new time and the other at none (or at the time before).
template <class Setting>
auto wholeOrNone(VORL& model, Setting setting) {
  try {
    return setting();
  } catch (...) {
    model.pipeTimeState() = PipeTimeState{};
    throw;
  }
}

void setToStart(VORL& model) {
  startSetting(model, 0.0);
  PipeTimeState& state = model.pipeTimeState();
  forEachBranch(state, [&](BranchId number, PipeTimeState::Branch& branch) {
    if (!branch.present) return;
    branch.currentRecord.reset();
    const GBSQ& sequence = model.requireSequence(number);
    if (sequence.empty()) throw VORLERROR(VORL_E_NO_RESULTS, "vlt0", "the run stored no state for this branch");
    branch.currentRecord = sequence[0];
    state.requestedTime = sequence[0].time;
    branch.indexFound = 0;
  });
}

}  // namespace

double pipeTimeSet(VORL& model, double t, double tolerance) {
  checkTimeAndTolerance(t, tolerance);
  return wholeOrNone(model, [&] { return lookUpBranches(model, t, tolerance, nullptr); });
}

double pipeTimeSetInWalk(VORL& model, double t, double tolerance, PipeWalk& walk) {
  checkTimeAndTolerance(t, tolerance);
  return wholeOrNone(model, [&] { return lookUpBranches(model, t, tolerance, &walk); });
}

void pipeTimeSetToStart(VORL& model) {
  wholeOrNone(model, [&] { setToStart(model); });
}

const PipeTimeState& requireTimeSetting(const VORL& model) {
  const PipeTimeState& state = model.pipeTimeState();
  if (!state.holdsAState()) {
    throw VORLERROR(VORL_E_NO_RESULTS, "vlt",
                    "no branch state is set for the pipe-level queries: run the model, then call "
                    "VorlPipeTimeSet or VorlPipeTimeSetToStart");
  }
  return state;
}

double exitFluxDensityMean(const PipeTimeState& state) {
  const double gA = state.a.contributes() ? state.a.currentRecord->exit.G : 0.0;
  const double gB = state.b.contributes() ? state.b.currentRecord->exit.G : 0.0;
  return (gA + gB) / 2.0;
}

double fluxWeightedMean(const PipeTimeState& state, double valueA, double valueB) {
  double weighted = 0.0;
  double weights = 0.0;
  const PipeTimeState::Branch* branches[2] = {&state.a, &state.b};
  const double values[2] = {valueA, valueB};
  for (int k = 0; k < 2; ++k) {
    if (!branches[k]->contributes()) continue;
    const double G = branches[k]->currentRecord->exit.G;
    if (G > 0.0) {
      weighted += G * values[k];
      weights += G;
    }
  }
  return weights > 0.0 ? weighted / weights : 0.0;
}

double exitVelocityMean(const VORL& model) {
  const PipeTimeState& state = requireTimeSetting(model);
  const double vA = state.a.contributes() ? orificeVelocity(state.a.currentRecord->exit, 1.0) : 0.0;
  const double vB = state.b.contributes() ? orificeVelocity(state.b.currentRecord->exit, 1.0) : 0.0;
  return fluxWeightedMean(state, vA, vB);
}

double perOrificeArea(double value, double aperture) noexcept { return aperture == 0.0 ? 0.0 : value / aperture; }

double pipeMassInitial(const VORL& model) {
  double sum = 0.0;
  forEachBranch(model.pipeTimeState(), [&](BranchId number, const PipeTimeState::Branch& branch) {
    if (!branch.present || branch.indexFound < 0) return;
    const GB& first = model.requireSequence(number)[0];
    sum += first.massPerUnitArea * first.area;
  });
  return sum;
}

bool pipeMassExpelledIsInfinite(const VORL& model) {
  // Branch B is examined only while the answer is still false.
  bool infinite = false;
  forEachBranch(model.pipeTimeState(), [&](BranchId number, const PipeTimeState::Branch& branch) {
    if (infinite || !branch.present || branch.indexFound < 1) return;
    const GB& found = model.requireSequence(number)[branch.indexFound];
    infinite = found.hasInflow && isInfinite(found.time);
  });
  return infinite;
}

double pipeExitFlux(const VORL& model) {
  return 2.0 * exitFluxDensityMean(requireTimeSetting(model)) * model.pipeInterior().Area();
}

double pipeMass(const VORL& model) { return sumOverBranches(requireTimeSetting(model), massOf); }

double pipeMassInPipe(const VORL& model) { return sumOverBranches(requireTimeSetting(model), massInPipeOf); }

double pipeMassTrapped(const VORL& model) { return sumOverBranches(requireTimeSetting(model), trappedMassOf); }

double pipeMassExpelled(const VORL& model) {
  const PipeTimeState& state = requireTimeSetting(model);
  return (pipeMassInitial(model) + sumOverBranches(state, inflowMassOf)) -
         (sumOverBranches(state, massOf) + sumOverBranches(state, trappedMassOf));
}

double pipeMassPerUnitArea(const VORL& model) {
  return sumOverBranches(requireTimeSetting(model), [](const GB& e) { return e.massPerUnitArea; });
}

double pipeOrificeFluxDensity(const VORL& model) {
  return perOrificeArea(exitFluxDensityMean(requireTimeSetting(model)), model.pipeSet().orificeAperture);
}

double pipeOrificeVelocity(const VORL& model) {
  return perOrificeArea(exitVelocityMean(model), model.pipeSet().orificeAperture);
}

}  // namespace vorl
