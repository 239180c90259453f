// Pipe-level results of the C interface: the time setting and the queries
// that combine the branch states kept by it.
#include "core/constants.h"
#include "interface/export_frame.h"
#include "results/pipe_results.h"
#include "run/output_grid.h"

using namespace vorl;

namespace {

// A pipe-level quantity at the time set.
double pipeQuery(VorlHandle model, double (*quantity)(const VORL&)) {
  return withModel(model, 0.0, [&](VORL& m) { return quantity(m); });
}

}  // namespace

extern "C" {

VORL_API double VORL_CALL VorlPipeTimeMax(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) { return pipeTimeMax(m); });
}

VORL_API double VORL_CALL VorlPipeTimeSet(VorlHandle model, double time, double tolerance) {
  return withModel(model, 0.0, [&](VORL& m) { return pipeTimeSet(m, time, tolerance); });
}

VORL_API void VORL_CALL VorlPipeTimeSetToStart(VorlHandle model) {
  withModel(model, [](VORL& m) { pipeTimeSetToStart(m); });
}

VORL_API double VORL_CALL VorlPipeBranchAverage(VorlHandle model, double valueA, double valueB) {
  return withModel(model, 0.0, [&](VORL& m) { return fluxWeightedMean(requireTimeSetting(m), valueA, valueB); });
}

VORL_API double VORL_CALL VorlPipeExitFlux(VorlHandle model) { return pipeQuery(model, pipeExitFlux); }

VORL_API double VORL_CALL VorlPipeExitVelocity(VorlHandle model) { return pipeQuery(model, exitVelocityMean); }

VORL_API double VORL_CALL VorlPipeMass(VorlHandle model) { return pipeQuery(model, pipeMass); }

VORL_API double VORL_CALL VorlPipeMassInPipe(VorlHandle model) { return pipeQuery(model, pipeMassInPipe); }

VORL_API double VORL_CALL VorlPipeMassExpelled(VorlHandle model) { return pipeQuery(model, pipeMassExpelled); }

VORL_API double VORL_CALL VorlPipeMassTrapped(VorlHandle model) { return pipeQuery(model, pipeMassTrapped); }

VORL_API double VORL_CALL VorlPipeMassPerUnitArea(VorlHandle model) { return pipeQuery(model, pipeMassPerUnitArea); }

VORL_API double VORL_CALL VorlPipeMassInitial(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) {
    requireTimeSetting(m);
    return pipeMassInitial(m);
  });
}

VORL_API VorlBool VORL_CALL VorlPipeMassExpelledIsInfinite(VorlHandle model) {
  return withModel(model, VorlBool{0}, [](VORL& m) {
    requireTimeSetting(m);
    return toVorlBool(pipeMassExpelledIsInfinite(m));
  });
}

VORL_API double VORL_CALL VorlPipeOrificeArea(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) {
    const double openings = m.isDoubleBranch() ? 2.0 : 1.0;
    return m.pipeInterior().Area() * openings * m.pipeSet().orificeAperture;
  });
}

VORL_API double VORL_CALL VorlPipeOrificeFluxDensity(VorlHandle model) {
  return pipeQuery(model, pipeOrificeFluxDensity);
}

VORL_API double VORL_CALL VorlPipeOrificeVelocity(VorlHandle model) { return pipeQuery(model, pipeOrificeVelocity); }

}  // extern "C"
