// The one-call entry: a whole release case from arrays, for hosts that cannot
// keep a model between calls. It creates a model, checks and sets every
// input, runs it, copies both branch histories and a pipe-level table at the
// output times into the host's arrays, and deletes the model.
#include <algorithm>

#include "core/process_settings.h"
#include "interface/export_frame.h"
#include "core/enums.h"
#include "model/inputs.h"
#include "results/division_check.h"
#include "results/pipe_table.h"
#include "run/model_setup.h"
#include "run/run_driver.h"

using namespace vorl;

namespace {

// The host's arrays of one branch, in the order of the argument list.
struct BranchArrays {
  double* time;
  double* upstreamFlux;
  double* upstreamPressure;
  double* upstreamVelocity;
  double* orificeFlux;
  double* orificeVelocity;
  double* exitPressure;
  double* mass;
  double* massInPipe;
  double* massExpelled;
  double* lengthDisturbed;
  double* lengthToPressurePeak;  // branch B only
  double* postFlash[4];
};

struct PipeArrays {
  double* time;
  double* postFlashTemperature;  // second output of the pipe post-flash
  double* postFlashVelocity;     // first output
  double* postFlashLiquid;
  double* postFlashDrop;
  double* mass;
  double* massInPipe;
  double* massExpelled;
  double* exitFlux;
};

// The per-record quantities the one-call entry copies of each branch, in the
// order of its arrays.
constexpr int kRecordQuantities = 11;

// The exports that read one branch, so that the copy is written once for A and B.
struct BranchQueries {
  int(VORL_CALL* size)(VorlHandle);
  double(VORL_CALL* record[kRecordQuantities])(VorlHandle, int);
  void(VORL_CALL* postFlash)(VorlHandle, int, double*, double*, double*, double*);
  double(VORL_CALL* timeToDechoke)(VorlHandle);
  double(VORL_CALL* timeToDisturbEntireFlow)(VorlHandle);
  double(VORL_CALL* timeToDepressurise)(VorlHandle);
};

const BranchQueries kBranchAQueries = {
    VorlBranchAFlowSequenceSize,
    {VorlBranchATime, VorlBranchAUpstreamFlux, VorlBranchAUpstreamPressure, VorlBranchAUpstreamVelocity,
     VorlBranchAOrificeFlux, VorlBranchAOrificeVelocity, VorlBranchAExitPressure, VorlBranchAMass,
     VorlBranchAMassInPipe, VorlBranchAMassExpelled, VorlBranchALengthDisturbed},
    VorlBranchAPostFlash, VorlBranchATimeToDechoke, VorlBranchATimeToDisturbEntireFlow,
    VorlBranchATimeToDepressurise};

const BranchQueries kBranchBQueries = {
    VorlBranchBFlowSequenceSize,
    {VorlBranchBTime, VorlBranchBUpstreamFlux, VorlBranchBUpstreamPressure, VorlBranchBUpstreamVelocity,
     VorlBranchBOrificeFlux, VorlBranchBOrificeVelocity, VorlBranchBExitPressure, VorlBranchBMass,
     VorlBranchBMassInPipe, VorlBranchBMassExpelled, VorlBranchBLengthDisturbed},
    VorlBranchBPostFlash, VorlBranchBTimeToDechoke, VorlBranchBTimeToDisturbEntireFlow,
    VorlBranchBTimeToDepressurise};

// Copies the first n records of a branch.
void copyBranch(VorlHandle model, const BranchQueries& queries, const BranchArrays& out, int n) {
  double* const columns[kRecordQuantities] = {out.time,         out.upstreamFlux,    out.upstreamPressure, out.upstreamVelocity,
                               out.orificeFlux,  out.orificeVelocity, out.exitPressure,     out.mass,
                               out.massInPipe,   out.massExpelled,    out.lengthDisturbed};
  for (int i = 0; i < n; ++i) {
    for (int c = 0; c < kRecordQuantities; ++c) columns[c][i] = queries.record[c](model, i);
    if (out.lengthToPressurePeak != nullptr) out.lengthToPressurePeak[i] = VorlBranchBLengthToPressurePeak(model, i);
    queries.postFlash(model, i, &out.postFlash[0][i], &out.postFlash[1][i], &out.postFlash[2][i],
                      &out.postFlash[3][i]);
  }
}

// The pipe-level table at the output times of the grid mode: at most maxSteps
// rows (a grid thinned below four entries still holds four).
void OutputTableFill(VorlHandle model, int mode, int a, int b, int maxSteps, const PipeArrays& out) {
  VorlPipeOutputTmaxSet(model, kGridEndTime);
  VorlPipeOutputTimesDefine(model, mode, std::min(a, b));
  const int n = VorlPipeOutputSteps(model);
  const int sizeA = VorlBranchAFlowSequenceSize(model);
  const int sizeB = VorlBranchBFlowSequenceSize(model);
  if (n <= 2) return;
  if (sizeA <= 0 && sizeB <= 0) return;
  const int rows = std::min(n, maxSteps);
  for (int i = 0; i < rows; ++i) {
    double t = 0.0;
    if (i == 0) {
      VorlPipeTimeSetToStart(model);
    } else {
      t = VorlPipeTimeSet(model, VorlPipeOutputTime(model, i), VorlPipeOutputTimeTolerance(model, i));
    }
    out.time[i] = t;
    out.mass[i] = VorlPipeMass(model);
    out.massInPipe[i] = VorlPipeMassInPipe(model);
    out.massExpelled[i] = VorlPipeMassExpelled(model);
    out.exitFlux[i] = VorlPipeExitFlux(model);
    VorlPipePostFlash(model, &out.postFlashVelocity[i], &out.postFlashTemperature[i], &out.postFlashLiquid[i],
                      &out.postFlashDrop[i]);
  }
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

// The event times of a branch as the one-call entry returns them.
struct BranchTimes {
  double* toDechoke;
  double* toDisturbEntireFlow;
  double* toDepressurise;
  double* toFlowReversal;  // branch B only
};

// Copies a branch's event times and its first records (at most steps); the
// count copied into *records.
void copyBranchResults(VorlHandle model, const BranchQueries& queries, const BranchTimes& times,
                       const BranchArrays& arrays, int steps, int* records) {
  const int n = std::min(queries.size(model), steps);
  *records = n;
  *times.toDechoke = queries.timeToDechoke(model);
  *times.toDisturbEntireFlow = queries.timeToDisturbEntireFlow(model);
  *times.toDepressurise = queries.timeToDepressurise(model);
  if (times.toFlowReversal != nullptr) *times.toFlowReversal = VorlBranchBTimeToFlowReversal(model);
  copyBranch(model, queries, arrays, n);
}

}  // namespace

namespace vorl {
void oneCallByExports(
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
  const int materialNumber = *material;
  const int division = *timeDivision;
  const int steps = *maxSteps;
  const OneCallArrays arrays{flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount};

  truncateAtInfinite = true;
  VorlHandle model = runOneCallCase(materialNumber, arrays);
  if (model == nullptr) {
    *recordsA = 0;
    *recordsB = 0;
    *outputSteps = 0;
    return;
  }

  guarded([&] {
    *fanning = VorlFanning(model);
    copyBranchResults(model, kBranchAQueries,
                      {aTimeToDechoke, aTimeToDisturbEntireFlow, aTimeToDepressurise, nullptr},
                      {aTime, aUpstreamFlux, aUpstreamPressure, aUpstreamVelocity, aOrificeFlux, aOrificeVelocity,
                       aExitPressure, aMass, aMassInPipe, aMassExpelled, aLengthDisturbed, nullptr,
                       {aPostFlash1, aPostFlash2, aPostFlash3, aPostFlash4}},
                      steps, recordsA);
    copyBranchResults(model, kBranchBQueries,
                      {bTimeToDechoke, bTimeToDisturbEntireFlow, bTimeToDepressurise, bTimeToFlowReversal},
                      {bTime, bUpstreamFlux, bUpstreamPressure, bUpstreamVelocity, bOrificeFlux, bOrificeVelocity,
                       bExitPressure, bMass, bMassInPipe, bMassExpelled, bLengthDisturbed, bLengthToPressurePeak,
                       {bPostFlash1, bPostFlash2, bPostFlash3, bPostFlash4}},
                      steps, recordsB);

    OutputTableFill(model, static_cast<int>(OutputGridMode::kRunTimesCapped), division, steps, steps,
                    {pipeTime, pipePostFlashTemperature, pipePostFlashVelocity, pipePostFlashLiquid,
                     pipePostFlashDrop, pipeMass, pipeMassInPipe, pipeMassExpelled, pipeExitFlux});
    *outputSteps = std::min(VorlPipeOutputSteps(model), steps);
  });
  VorlModelDelete(&model);
}

}  // namespace vorl
