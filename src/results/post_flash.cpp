// The post-flash state: the outflow expanded from the exit state to ambient
// pressure, for one stored branch step or for the pipe at the time set.
#include "results/post_flash.h"

#include "branch/flow_relations.h"
#include "companion/atmos_expansion.h"
#include "interface/export_frame.h"
#include "model/input_checks.h"
#include "results/pipe_results.h"

namespace vorl {

PostFlashState expandOutflow(const VORL& model, double exitPressure, double orificeVelocity) {
  checkModelInputs(model, kCheckedByExpansion, "vlAtmosExp");
  const ATMOSEXPANSION& expansion = model.atmosExpansion();
  const double maximum = expansion.GetMaximumVelocity();
  if (orificeVelocity > maximum) {
    reportWarning(VORL_W_ABOVE_MAX_VELOCITY, "vlAtmosExp", "orifice velocity " + numberText(orificeVelocity) +
                                          " m/s is above the maximum velocity " + numberText(maximum) + " m/s");
  }
  ATMOSEXPDATA data;
  expansion.atmexCalc(model.ambient(), VORL::sharedProperties(), exitPressure, model.gasTemperature(),
                      orificeVelocity, model.gasId(), data);
  PostFlashState state;
  state.velocity = data.d0;
  if (data.d1 > 0.0) {
    state.temperature = data.d1;
  } else {
    // Two-phase: the jet sits at the saturation temperature at ambient
    // pressure, which the expansion has just worked out and kept.
    const KIV* properties = VORL::sharedProperties();
    state.temperature = model.gasId() != 0 && properties != nullptr
                            ? expansion.saturationTemperatureAt(properties, model.gasId(), model.ambient().pressure)
                            : 0.0;
    state.liquidFraction = -data.d1;
    state.dropSize = data.d2;
  }
  return state;
}

PostFlashState expandBranchState(const VORL& model, const GB& state) {
  return expandOutflow(model, state.exit.p, orificeVelocity(state.exit, state.orificeAperture));
}

bool pipePostFlash(const VORL& model, PostFlashState& result) {
  const PipeTimeState& time = model.pipeTimeState();
  const bool hasA = time.a.contributes();
  const bool hasB = time.b.contributes();
  PostFlashState a, b;
  if (hasA) a = expandBranchState(model, *time.a.currentRecord);
  if (hasB) b = expandBranchState(model, *time.b.currentRecord);
  if (hasA && hasB) {
    if (time.a.currentRecord->exit.G == 0.0 && time.b.currentRecord->exit.G == 0.0) {
      result = PostFlashState{model.gasTemperature(), 0.0, 0.0, 0.0};  // nothing flows out
    } else {
      result.temperature = fluxWeightedMean(time, a.temperature, b.temperature);
      result.velocity = fluxWeightedMean(time, a.velocity, b.velocity);
      result.liquidFraction = fluxWeightedMean(time, a.liquidFraction, b.liquidFraction);
      result.dropSize = fluxWeightedMean(time, a.dropSize, b.dropSize);
    }
    return true;
  }
  if (hasA || hasB) {
    result = hasA ? a : b;
    return true;
  }
  return false;
}

}  // namespace vorl

using namespace vorl;

namespace {

// Output pointers a host left null are refused (code 5), never written through.
bool outputsGiven(const double* a, const double* b, const double* c, const double* d) {
  if (a != nullptr && b != nullptr && c != nullptr && d != nullptr) return true;
  guarded([] { throw VORLERROR(VORL_E_MISSING_DATA, "PostFlash", "an output pointer of the post-flash query is null"); });
  return false;
}

// A branch step's post-flash state. A missing run or a bad index is reported
// by the velocity and again by the pressure read, and the expansion of
// u = 0 and pe = 0 is written, as the one-call entry expects of every record.
void branchPostFlash(VorlHandle model, BranchId branch, int index, double* temperature, double* velocity,
                     double* liquidFraction, double* dropSize) {
  const errorlog::CallScope call;
  if (!outputsGiven(temperature, velocity, liquidFraction, dropSize)) return;
  const auto writeNull = [&] {
    *temperature = 0.0;
    *velocity = 0.0;
  };
  const handles::Lease lease = handles::acquire(model);
  if (!lease) {
    reportNullHandle(model);
    writeNull();
    return;
  }
  VORL& m = lease.model();
  const double u = guarded(0.0, [&] {
    const GB& e = m.requireSequence(branch)[index];
    return orificeVelocity(e.exit, e.orificeAperture);
  });
  const double pe = guarded(0.0, [&] { return m.requireSequence(branch)[index].exit.p; });
  const bool expanded = guarded(false, [&] {
    const PostFlashState state = expandOutflow(m, pe, u);
    *temperature = state.temperature;
    *velocity = state.velocity;
    *liquidFraction = state.liquidFraction;
    *dropSize = state.dropSize;
    return true;
  });
  if (!expanded) {
    writeNull();
    *liquidFraction = 0.0;
    *dropSize = 0.0;
  }
}

}  // namespace

extern "C" {

VORL_API void VORL_CALL VorlBranchAPostFlash(VorlHandle model, int index, double* temperature, double* velocity,
                                             double* liquidFraction, double* dropSize) {
  branchPostFlash(model, BranchId::kA, index, temperature, velocity, liquidFraction, dropSize);
}

VORL_API void VORL_CALL VorlBranchBPostFlash(VorlHandle model, int index, double* temperature, double* velocity,
                                             double* liquidFraction, double* dropSize) {
  branchPostFlash(model, BranchId::kB, index, temperature, velocity, liquidFraction, dropSize);
}

// Velocity first and temperature second, unlike the branch queries.
VORL_API void VORL_CALL VorlPipePostFlash(VorlHandle model, double* velocity, double* temperature,
                                          double* liquidFraction, double* dropSize) {
  const errorlog::CallScope call;
  if (!outputsGiven(velocity, temperature, liquidFraction, dropSize)) return;
  *velocity = 0.0;
  *temperature = 0.0;
  withModel(model, [&](VORL& m) {
    requireTimeSetting(m);
    PostFlashState state;
    if (!pipePostFlash(m, state)) return;
    *velocity = state.velocity;
    *temperature = state.temperature;
    *liquidFraction = state.liquidFraction;
    *dropSize = state.dropSize;
  });
}

}  // extern "C"
