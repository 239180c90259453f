// The one-call entry: a whole release case from arrays, for hosts that cannot
// keep a model between calls. It creates a model, checks and sets every
// input, runs it, copies both branch histories and a pipe-level table at the
// output times into the host's arrays, and deletes the model. The values come
// from the results layer's tables, as the bulk table exports give them.
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "core/process_settings.h"
#include "interface/export_frame.h"
#include "core/enums.h"
#include "model/inputs.h"
#include "results/branch_history.h"
#include "results/branch_table.h"
#include "results/division_check.h"
#include "results/pipe_table.h"
#include "run/model_setup.h"

using namespace vorl;

namespace {

// One host array and the table column it receives.
template <class Column>
struct ColumnTarget {
  Column column;
  double* values;  // null: the host has no array for it (branch A's length to the pressure peak)
};

using BranchTarget = ColumnTarget<BranchColumn>;
using PipeTarget = ColumnTarget<PipeColumn>;

// Copies the first `rows` rows of a row-major table of `width` columns into
// the host's arrays, column by column. Nothing beyond `rows` is written.
template <class Column>
void copyColumns(const std::vector<double>& table, std::size_t width, int rows,
                 std::initializer_list<ColumnTarget<Column>> targets) {
  for (const ColumnTarget<Column>& target : targets) {
    if (target.values == nullptr) continue;
    const std::size_t column = static_cast<std::size_t>(target.column);
    for (int i = 0; i < rows; ++i) target.values[i] = table[static_cast<std::size_t>(i) * width + column];
  }
}

// The event times of a branch as the one-call entry returns them: 0 for a
// branch the layout does not have (no history to time).
struct BranchTimes {
  double* toDechoke;
  double* toDisturbEntireFlow;
  double* toDepressurise;
  double* toFlowReversal;  // branch B only
};

void copyBranchTimes(const VORL& model, BranchId branch, const BranchTimes& times) {
  const GBSQ* history = model.sequenceOf(branch);
  const auto timed = [history](double (*event)(const GBSQ&) noexcept) {
    return history != nullptr ? event(*history) : 0.0;
  };
  *times.toDechoke = timed(timeToDechoke);
  *times.toDisturbEntireFlow = timed(timeToDisturbEntireFlow);
  *times.toDepressurise = timed(timeToDepressurise);
  if (times.toFlowReversal != nullptr) *times.toFlowReversal = timed(timeToFlowReversal);
}

// A branch's event times and its first records (at most steps) into the
// host's arrays; the count copied into *records.
void copyBranchResults(const VORL& model, BranchId branch, const BranchTimes& times, int steps, int* records,
                       std::initializer_list<BranchTarget> targets) {
  const int rows = std::min(branchTableRows(model, branch), steps);
  *records = rows;
  copyBranchTimes(model, branch, times);
  if (rows <= 0) return;
  const std::size_t width = branchTableColumns().count;
  std::vector<double> table(static_cast<std::size_t>(rows) * width);
  fillBranchTable(model, branch, rows, table.data());
  copyColumns(table, width, rows, targets);
}

// The pipe-level table at the output grid of the run's own times, thinned to
// the smaller of the time division and the maximum steps: at most steps rows.
// *outputSteps is the grid's size (at most steps) even when the grid is too
// short to give rows.
void copyPipeResults(VORL& model, int division, int steps, int* outputSteps,
                     std::initializer_list<PipeTarget> targets) {
  const int rows = std::min(definePipeGrid(model, std::min(division, steps)), steps);
  *outputSteps = std::min(model.outputTimes().count(), steps);
  if (rows <= 0) return;
  const std::size_t width = pipeTableColumns().count;
  std::vector<double> table(static_cast<std::size_t>(rows) * width);
  fillPipeGridTable(model, rows, table.data());
  copyColumns(table, width, rows, targets);
}

bool anyNull(std::initializer_list<const void*> pointers) {
  return std::any_of(pointers.begin(), pointers.end(), [](const void* p) { return p == nullptr; });
}

// A model of the material with every input checked and set, run: null when a
// step failed (reported, the model deleted). A failed run gives no results
// at all: records of a history cut short by a failure would read as the release.
VorlHandle runOneCallCase(int material, const OneCallArrays& arrays) {
  VorlHandle model = VorlModelCreateZel(material);
  if (model != nullptr) {
    const bool checked = guarded(false, [&] {
      checkOneCallInputs(arrays);
      return true;
    });
    if (!checked) VorlModelDelete(&model);
  }
  if (model != nullptr) {
    const bool set = withModel(model, false, [&](VORL& m) {
      setOneCallInputs(m, arrays);
      return true;
    });
    if (!set) VorlModelDelete(&model);
  }
  if (model != nullptr) {
    const bool ran = withModel(model, false, [](VORL& m) {
      runCheckingDivision(m);
      return true;
    });
    if (!ran) VorlModelDelete(&model);
  }
  return model;
}

}  // namespace

extern "C" {

VORL_API void VORL_CALL VorlGenericZel(
    const int* flags, const double* inputs, const int* material, const int* valveCount, const double* valveFirst,
    const double* valveSecond, const int* timeDivision, const int* maxSteps, double* fanning,
    double* aTimeToDechoke, double* aTimeToDisturbEntireFlow, double* aTimeToDepressurise, int* recordsA,
    double* aTime, double* aUpstreamFlux, double* aUpstreamPressure, double* aUpstreamVelocity,
    double* aOrificeFlux, double* aOrificeVelocity, double* aExitPressure, double* aMass, double* aMassInPipe,
    double* aMassExpelled, double* aLengthDisturbed, double* aPostFlash1, double* aPostFlash2,
    double* aPostFlash3, double* aPostFlash4, double* bTimeToDechoke, double* bTimeToDisturbEntireFlow,
    double* bTimeToFlowReversal, double* bTimeToDepressurise, int* recordsB, double* bTime,
    double* bUpstreamFlux, double* bUpstreamPressure, double* bUpstreamVelocity, double* bOrificeFlux,
    double* bOrificeVelocity, double* bExitPressure, double* bMass, double* bMassInPipe, double* bMassExpelled,
    double* bLengthDisturbed, double* bLengthToPressurePeak, double* bPostFlash1, double* bPostFlash2,
    double* bPostFlash3, double* bPostFlash4, int* outputSteps, double* pipeTime,
    double* pipePostFlashTemperature, double* pipePostFlashVelocity, double* pipePostFlashLiquid,
    double* pipePostFlashDrop, double* pipeMass, double* pipeMassInPipe, double* pipeMassExpelled,
    double* pipeExitFlux) {
  const errorlog::CallScope call;  // one call: a warning of every record is logged once
  // Every value is read through a pointer: a host that passes none gets a
  // report and no results, never a crash.
  if (anyNull({flags, inputs, material, valveCount, timeDivision, maxSteps, fanning, aTimeToDechoke,
               aTimeToDisturbEntireFlow, aTimeToDepressurise, recordsA, aTime, aUpstreamFlux, aUpstreamPressure,
               aUpstreamVelocity, aOrificeFlux, aOrificeVelocity, aExitPressure, aMass, aMassInPipe,
               aMassExpelled, aLengthDisturbed, aPostFlash1, aPostFlash2, aPostFlash3, aPostFlash4,
               bTimeToDechoke, bTimeToDisturbEntireFlow, bTimeToFlowReversal, bTimeToDepressurise, recordsB,
               bTime, bUpstreamFlux, bUpstreamPressure, bUpstreamVelocity, bOrificeFlux, bOrificeVelocity,
               bExitPressure, bMass, bMassInPipe, bMassExpelled, bLengthDisturbed, bLengthToPressurePeak,
               bPostFlash1, bPostFlash2, bPostFlash3, bPostFlash4, outputSteps, pipeTime,
               pipePostFlashTemperature, pipePostFlashVelocity, pipePostFlashLiquid, pipePostFlashDrop, pipeMass,
               pipeMassInPipe, pipeMassExpelled, pipeExitFlux})) {
    guarded([] { throw VORLERROR(VORL_E_MISSING_DATA, "VorlGenericZel", "an argument pointer is null"); });
    if (recordsA != nullptr) *recordsA = 0;
    if (recordsB != nullptr) *recordsB = 0;
    if (outputSteps != nullptr) *outputSteps = 0;
    return;
  }
  const int division = *timeDivision;
  const int steps = *maxSteps;
  const OneCallArrays arrays{flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount};

  truncateAtInfinite = true;
  VorlHandle model = runOneCallCase(*material, arrays);
  if (model == nullptr) {
    *recordsA = 0;
    *recordsB = 0;
    *outputSteps = 0;
    return;
  }

  withModel(model, [&](VORL& m) {
    *fanning = m.pipeInterior().Fanning();
    using C = BranchColumn;
    copyBranchResults(m, BranchId::kA, {aTimeToDechoke, aTimeToDisturbEntireFlow, aTimeToDepressurise, nullptr},
                      steps, recordsA,
                      {{C::kTime, aTime}, {C::kUpstreamFlux, aUpstreamFlux}, {C::kUpstreamPressure, aUpstreamPressure},
                       {C::kUpstreamVelocity, aUpstreamVelocity}, {C::kOrificeFlux, aOrificeFlux},
                       {C::kOrificeVelocity, aOrificeVelocity}, {C::kExitPressure, aExitPressure}, {C::kMass, aMass},
                       {C::kMassInPipe, aMassInPipe}, {C::kMassExpelled, aMassExpelled},
                       {C::kLengthDisturbed, aLengthDisturbed}, {C::kPostFlashTemperature, aPostFlash1},
                       {C::kPostFlashVelocity, aPostFlash2}, {C::kPostFlashLiquidFraction, aPostFlash3},
                       {C::kPostFlashDropSize, aPostFlash4}});
    copyBranchResults(m, BranchId::kB,
                      {bTimeToDechoke, bTimeToDisturbEntireFlow, bTimeToDepressurise, bTimeToFlowReversal}, steps,
                      recordsB,
                      {{C::kTime, bTime}, {C::kUpstreamFlux, bUpstreamFlux}, {C::kUpstreamPressure, bUpstreamPressure},
                       {C::kUpstreamVelocity, bUpstreamVelocity}, {C::kOrificeFlux, bOrificeFlux},
                       {C::kOrificeVelocity, bOrificeVelocity}, {C::kExitPressure, bExitPressure}, {C::kMass, bMass},
                       {C::kMassInPipe, bMassInPipe}, {C::kMassExpelled, bMassExpelled},
                       {C::kLengthDisturbed, bLengthDisturbed}, {C::kLengthToPressurePeak, bLengthToPressurePeak},
                       {C::kPostFlashTemperature, bPostFlash1}, {C::kPostFlashVelocity, bPostFlash2},
                       {C::kPostFlashLiquidFraction, bPostFlash3}, {C::kPostFlashDropSize, bPostFlash4}});
    using P = PipeColumn;
    copyPipeResults(m, division, steps, outputSteps,
                    {{P::kTime, pipeTime}, {P::kPostFlashTemperature, pipePostFlashTemperature},
                     {P::kPostFlashVelocity, pipePostFlashVelocity}, {P::kPostFlashLiquidFraction, pipePostFlashLiquid},
                     {P::kPostFlashDropSize, pipePostFlashDrop}, {P::kMass, pipeMass},
                     {P::kMassInPipe, pipeMassInPipe}, {P::kMassExpelled, pipeMassExpelled},
                     {P::kExitFlux, pipeExitFlux}});
  });
  VorlModelDelete(&model);
}

}  // extern "C"
