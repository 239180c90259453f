// Run, time division, valves and progress output of the C interface.
#include <string>

#include "interface/export_frame.h"
#include "run/debug_output.h"
#include "run/model_setup.h"
#include "run/output_grid.h"
#include "results/division_check.h"
#include "run/run_driver.h"

using namespace vorl;

extern "C" {

VORL_API int VORL_CALL VorlRun(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) { return runCheckingDivision(m); });
}

VORL_API void VORL_CALL VorlTimeDivisionSet(VorlHandle model, int division) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kTimeDivision, division); });
}

VORL_API void VORL_CALL VorlValveAdd(VorlHandle model, double position, double closureTime) {
  withModel(model, [&](VORL& m) { addValve(m, position, closureTime); });
}

VORL_API void VORL_CALL VorlValvesActivate(VorlHandle model, VorlBool active) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kValvesActive, active != 0 ? 1.0 : 0.0); });
}

VORL_API void VORL_CALL VorlValvesDelete(VorlHandle model) {
  withModel(model, [](VORL& m) { m.pipeSet().valves.valves.clear(); });
}

VORL_API void VORL_CALL VorlDebugOutputSet(VorlDebugSink sink, void* user) {
  guarded([&] { setDebugSink(sink, user); });
}

}  // extern "C"

// ---- Output time grid ----

namespace {

// An output time that does not exist answers -1.0, and says why.
void reportIfNoOutputTime(const OutputTimes& grid, int index) {
  if (index >= 0 && index < grid.count()) return;
  reportError(VORLERROR(VORL_E_INDEX, "vlOutT", "output time index " + std::to_string(index) + " is outside the " +
                                         std::to_string(grid.count()) + " output times"));
}

}  // namespace

extern "C" {

VORL_API void VORL_CALL VorlPipeOutputTimesDefine(VorlHandle model, int mode, int count) {
  withModel(model, [&](VORL& m) { defineOutputTimes(m, mode, count); });
}

VORL_API int VORL_CALL VorlPipeOutputSteps(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) { return m.outputTimes().count(); });
}

VORL_API double VORL_CALL VorlPipeOutputTime(VorlHandle model, int index) {
  return withModel(model, 0.0, [&](VORL& m) {
    reportIfNoOutputTime(m.outputTimes(), index);
    return outputTime(m.outputTimes(), index);
  });
}

VORL_API double VORL_CALL VorlPipeOutputTimeTolerance(VorlHandle model, int index) {
  return withModel(model, 0.0, [&](VORL& m) {
    reportIfNoOutputTime(m.outputTimes(), index);
    return outputTimeTolerance(m.outputTimes(), index);
  });
}

VORL_API double VORL_CALL VorlPipeOutputTmax(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) { return m.outputTimes().tmax; });
}

VORL_API void VORL_CALL VorlPipeOutputTmaxSet(VorlHandle model, double tmax) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kOutputEndTime, tmax); });
}

VORL_API int VORL_CALL VorlPipeOutputMaxSteps(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) { return m.outputTimes().outputMaxSteps; });
}

VORL_API void VORL_CALL VorlPipeOutputMaxStepsSet(VorlHandle model, int maxSteps) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kOutputMaxSteps, maxSteps); });
}

}  // extern "C"
