// Sweeps of the C interface: many cases in one call, run by the sweep runner
// (results/sweep) on the library's threads, each case inside the export
// frame as a single call would run it.
#include "interface/export_frame.h"
#include "model/inputs.h"
#include "results/sweep.h"

using namespace vorl;

namespace {

// Each case in the frame of an export: the default floating-point
// environment, and what it raises reported and kept from the others.
bool framedCase(const std::function<void()>& work) {
  return guarded(false, [&] {
    work();
    return true;
  });
}

SweepProgress progressOf(VorlProgress progress, void* user) {
  if (progress == nullptr) return {};
  return [progress, user](double fraction) { return progress(fraction, user) != 0; };
}

// The body of the sweep exports: the arrays checked, then every case.
int sweepCall(const SweepCases& cases, const SweepPipeTimes& times, const SweepOutputs& out, int threads,
              VorlProgress progress, void* user) {
  const bool accepted = guarded(false, [&] {
    checkSweep(cases, times, out, threads);
    return true;
  });
  if (!accepted) return 0;
  // Each case is a call of its own (its frame, its repeated warnings logged
  // once), on whichever thread runs it: the sweep itself is in none.
  try {
    const int finished = runSweep(cases, times, out, threads, framedCase, progressOf(progress, user));
    // The sweep failed only when it was stopped (its last case not run, 454
    // logged); a case's failure is in its code.
    if (cases.count == 0 || out.status[cases.count - 1] != VORL_SWEEP_NOT_RUN) errorlog::clearLastCallCode();
    return finished;
  } catch (const std::exception& error) {
    reportUnexpected(&error);
  } catch (...) {
    reportUnexpected(nullptr);
  }
  return 0;
}

}  // namespace

extern "C" {

VORL_API int VORL_CALL VorlOneCallSlotSize(int slot) { return guarded(0, [&] { return oneCallSlotSize(slot); }); }

VORL_API int VORL_CALL VorlSweepRun(int caseCount, const int* materials, const double* molecularWeights,
                                    const int* models, const int* flags, const double* inputs,
                                    const int* timeDivisions, const int* maxSteps, const int* valveStarts,
                                    const double* valveFirst, const double* valveSecond, int threads,
                                    const double* pipeTimes, int pipeTimeCount, const double* tolerances,
                                    int toleranceCount, double* report, double* pipe, int* status, int* codes,
                                    VorlProgress progress, void* user) {
  const SweepCases cases{caseCount,     materials, molecularWeights, models,     flags,
                         inputs,        timeDivisions, maxSteps,     valveStarts, valveFirst,
                         valveSecond};
  return sweepCall(cases, {pipeTimes, pipeTimeCount, tolerances, toleranceCount}, {report, pipe, status, codes},
                   threads, progress, user);
}

VORL_API int VORL_CALL VorlSweepRunWithInputs(int caseCount, const int* materials, const double* molecularWeights,
                                              const int* models, const int* flags, const double* inputs,
                                              const int* timeDivisions, const int* maxSteps, const int* valveStarts,
                                              const double* valveFirst, const double* valveSecond, int extraCount,
                                              const int* extraInputs, const double* extraValues, int threads,
                                              const double* pipeTimes, int pipeTimeCount, const double* tolerances,
                                              int toleranceCount, double* report, double* pipe, int* status,
                                              int* codes, VorlProgress progress, void* user) {
  const SweepCases cases{caseCount,  materials,  molecularWeights, models,     flags,       inputs,
                         timeDivisions, maxSteps, valveStarts,     valveFirst, valveSecond, extraCount,
                         extraInputs, extraValues};
  return sweepCall(cases, {pipeTimes, pipeTimeCount, tolerances, toleranceCount}, {report, pipe, status, codes},
                   threads, progress, user);
}

}  // extern "C"
