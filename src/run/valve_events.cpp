#include "run/valve_events.h"

#include "branch/interpolation.h"
#include "model/vorl.h"

namespace vorl {

bool valvesRemainToShut(const VORL& model, BranchId branch) {
  return model.pipeSet().valvesActive && model.pipeSet().valves.valvesRemainToShut(branch);
}

int valveEvents(VORL& model, GB& working) {
  const BranchId branch = working.branch;
  VALVESET& valves = model.pipeSet().valves;
  GBSQ* sequence = model.sequenceOf(branch);
  if (sequence == nullptr || sequence->size() < 2) return 0;
  while (valvesRemainToShut(model, branch)) {
    VALVE* valve = valves.valveEvent(branch, working.time);
    if (valve == nullptr) return 0;
    GB atClosure = stateAt(*sequence, valve->valveClosureTime(), 0.0);
    if (!atClosure.interpolated) return 0;  // offered again after the next step
    const double distance = valve->valveDistanceFromBreach();
    if (atClosure.length < distance) {
      // Beyond the part still open, which only shrinks: it never acts, and
      // the next valve due is looked at in its place.
      valves.valveSkip(*valve);
      continue;
    }
    // The history now ends at the closure time with the state just before it.
    sequence->removeLast();
    sequence->append(atClosure);
    valveCut(atClosure, distance);
    working = atClosure;
    sequence->append(working);
    valves.valveClose(*valve);
    return 1;
  }
  return 0;
}

bool valveExtension(VORL& model, GB& working) {
  if (working.branch != BranchId::kA || !(working.upstream.G > 0.0)) return false;
  if (!valvesRemainToShut(model, BranchId::kA)) return false;
  const double t = working.time;
  const VALVE* valve = model.pipeSet().valves.valveEventNext(BranchId::kA, t);
  if (valve == nullptr) return false;
  const double closure = valve->valveClosureTime();
  if (closure < t) return false;
  return extendWithInflow(working, closure);
}

}  // namespace vorl
