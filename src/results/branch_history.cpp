#include "results/branch_history.h"

#include <cstddef>

#include "core/constants.h"
#include "core/enums.h"
#include "results/record_quantities.h"

namespace vorl {
namespace {

// Time of the first record from `first` on that meets the condition.
template <class Condition>
double firstTimeWhere(const GBSQ& history, int first, double none, Condition condition) {
  for (int k = first; k < history.size(); ++k) {
    if (condition(history[k])) return history[k].time;
  }
  return none;
}

}  // namespace

double timeToDechoke(const GBSQ& history) noexcept {
  const double none = history.size() > 1 ? kInfinite : 0.0;
  return firstTimeWhere(history, 1, none, [](const GB& e) { return !e.choked; });
}

double timeToDisturbEntireFlow(const GBSQ& history) noexcept {
  return firstTimeWhere(history, 0, kInfinite, [](const GB& e) { return pastPhaseOne(e.phase); });
}

double timeToDepressurise(const GBSQ& history) noexcept {
  return firstTimeWhere(history, 0, kInfinite, [](const GB& e) { return e.phase == Phase::kFinished; });
}

double timeToFlowReversal(const GBSQ& history) noexcept {
  bool flowedAway = false;
  return firstTimeWhere(history, 0, kInfinite, [&flowedAway](const GB& e) {
    if (e.upstream.G < 0.0) flowedAway = true;
    return flowedAway && e.phase == Phase::kBlowDown;
  });
}

double massExpelled(const GBSQ& history, int index) {
  const GB& element = history[index];
  const GB& first = history[0];
  return (massOf(first) + inflowMassOf(element)) - (massOf(element) + trappedMassOf(element));
}

}  // namespace vorl
