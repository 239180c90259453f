// Post-flash exports of the C interface: the outflow expanded to ambient
// pressure, for one stored branch step or for the pipe at the time set.
#include "branch/flow_relations.h"
#include "interface/export_frame.h"
#include "results/pipe_results.h"
#include "results/post_flash.h"

using namespace vorl;

namespace {

// Output pointers a host left null are refused (code 5), never written through.
bool outputsGiven(const double* a, const double* b, const double* c, const double* d) {
  if (a != nullptr && b != nullptr && c != nullptr && d != nullptr) return true;
  guarded(
      [] { throw VORLERROR(VORL_E_MISSING_DATA, "PostFlash", "an output pointer of the post-flash query is null"); });
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
