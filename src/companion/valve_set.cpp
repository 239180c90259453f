#include "companion/valve_set.h"

namespace vorl {

void VALVE::valvePlace(int branch, double distanceFromBreach) noexcept {
  branch_ = branch;
  distanceFromBreach_ = distanceFromBreach;
  open_ = true;
}

void VALVESET::valvesBranchInfoSet(double /*pipeLength*/, double breachLocation) noexcept {
  for (VALVE& valve : valves) {
    const double position = valve.valvePosition();
    if (position <= breachLocation) {
      valve.valvePlace(kBranchA, breachLocation - position);
    } else {
      valve.valvePlace(kBranchB, position - breachLocation);
    }
  }
}

VALVE* VALVESET::valveEvent(int branch, double t) noexcept {
  VALVE* earliest = nullptr;
  for (VALVE& valve : valves) {
    if (!valve.valveIsOpen() || valve.valveBranch() != branch) continue;
    if (!(valve.valveClosureTime() <= t)) continue;
    if (earliest == nullptr || valve.valveClosureTime() < earliest->valveClosureTime()) {
      earliest = &valve;
    }
  }
  return earliest;
}

VALVE* VALVESET::valveEventNext(int branch, double t) noexcept {
  VALVE* earliest = nullptr;
  for (VALVE& valve : valves) {
    if (!valve.valveIsOpen() || valve.valveBranch() != branch) continue;
    if (!(valve.valveClosureTime() >= t)) continue;
    if (earliest == nullptr || valve.valveClosureTime() < earliest->valveClosureTime()) {
      earliest = &valve;
    }
  }
  return earliest;
}

bool VALVESET::valvesRemainToShut(int branch) const noexcept {
  for (const VALVE& valve : valves) {
    if (valve.valveIsOpen() && valve.valveBranch() == branch) return true;
  }
  return false;
}

void VALVESET::valveClose(VALVE& closing) noexcept {
  const int branch = closing.valveBranch();
  const double distance = closing.valveDistanceFromBreach();
  closing.valveClose();
  for (VALVE& valve : valves) {
    if (valve.valveIsOpen() && valve.valveBranch() == branch &&
        valve.valveDistanceFromBreach() > distance) {
      valve.valveClose();
    }
  }
}

}  // namespace vorl
