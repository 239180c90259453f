// The post-flash state: the outflow expanded from the exit state to ambient
// pressure, for one stored branch step or for the pipe at the time set.
#include "results/post_flash.h"

#include <cmath>

#include "branch/flow_relations.h"
#include "companion/atmos_expansion.h"
#include "companion/reporting.h"
#include "core/vorl_error.h"
#include "model/inputs.h"
#include "results/pipe_results.h"

namespace vorl {
namespace {

// The isothermal sound speed sqrt(R T) with a margin for the rounding of a
// velocity computed as a flux over a density.
constexpr double kSoundSpeedMargin = 1.0 + 1e-9;

// The bound above which an orifice velocity warns. A choked orifice passes
// the gas at its isothermal sound speed, which for hydrogen (1090 m/s at
// 288 K) lies above the default bound of 1000 m/s, the highest the input's
// range allows: a bound set there follows the gas, so that a light gas's
// every choked state is no alarm; a bound set lower is the host's and kept.
double velocityBound(const VORL& model, double chosen) {
  if (chosen < input(InputId::kMaxVelocity).oneCall.maximum) return chosen;
  const double a2 = model.gas()->a2();
  return a2 > 0.0 ? std::fmax(chosen, kSoundSpeedMargin * std::sqrt(a2)) : chosen;
}

// The expansion of an exit state whose model passed the expansion's input
// check (a table checks once for all its rows, the queries before each).
PostFlashState expandCheckedOutflow(const VORL& model, double exitPressure, double orificeVelocity) {
  const ATMOSEXPANSION& expansion = model.atmosExpansion();
  const double maximum = velocityBound(model, expansion.GetMaximumVelocity());
  if (orificeVelocity > maximum) {
    reportWarning(VORL_W_ABOVE_MAX_VELOCITY, "vlAtmosExp",
                  "orifice velocity " + numberText(orificeVelocity) + " m/s is above the maximum velocity " +
                      numberText(maximum) + " m/s",
                  orificeVelocity);
  }
  ATMOSEXPDATA data;
  expansion.atmexCalc(model.outlet(), VORL::sharedProperties(), exitPressure, model.gasTemperature(),
                      orificeVelocity, model.gasId(), data);
  return PostFlashState{data.temperature, data.velocity, data.liquidFraction, data.dropSize};
}

PostFlashState expandCheckedState(const VORL& model, const GB& state) {
  return expandCheckedOutflow(model, state.exit.p, orificeVelocity(state.exit, state.orificeAperture));
}

void checkExpansionInputs(const VORL& model) { checkModelInputs(model, kCheckedByExpansion, "vlAtmosExp"); }

// The pipe at the time set from the branches' expansions, weighted by their
// positive outflows; the model's inputs already checked.
bool checkedPipePostFlash(const VORL& model, PostFlashState& result) {
  const PipeTimeState& time = model.pipeTimeState();
  const bool hasA = time.a.contributes();
  const bool hasB = time.b.contributes();
  PostFlashState a, b;
  if (hasA) a = expandCheckedState(model, *time.a.currentRecord);
  if (hasB) b = expandCheckedState(model, *time.b.currentRecord);
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

}  // namespace

PostFlashState expandOutflow(const VORL& model, double exitPressure, double orificeVelocity) {
  checkExpansionInputs(model);
  return expandCheckedOutflow(model, exitPressure, orificeVelocity);
}

PostFlashState expandBranchState(const VORL& model, const GB& state) {
  checkExpansionInputs(model);
  return expandCheckedState(model, state);
}

bool pipePostFlash(const VORL& model, PostFlashState& result) {
  if (!model.pipeTimeState().holdsAState()) return false;
  checkExpansionInputs(model);
  return checkedPipePostFlash(model, result);
}

template <class Expand>
PostFlashState TableExpansion::orZeros(Expand expand) {
  try {
    if (!inputsChecked_) {
      checkExpansionInputs(model_);
      inputsChecked_ = true;
    }
    return expand();
  } catch (const VORLERROR& refusal) {
    if (!refusalReported_) reportError(refusal);
    refusalReported_ = true;
    return PostFlashState{};
  }
}

PostFlashState TableExpansion::ofBranchState(const GB& state) {
  return orZeros([&] { return expandCheckedState(model_, state); });
}

PostFlashState TableExpansion::ofPipe() {
  if (!model_.pipeTimeState().holdsAState()) return PostFlashState{};
  return orZeros([&] {
    PostFlashState state;
    return checkedPipePostFlash(model_, state) ? state : PostFlashState{};
  });
}

}  // namespace vorl
