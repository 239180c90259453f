#pragma once

#include <vector>

#include "core/enums.h"

namespace vorl {

class VORL;

// An event of a run: what happened (a VorlEventKind), on which branch, when,
// and for a valve closure the valve's position (NaN for other events).
struct RunEvent {
  int kind;
  BranchId branch;
  double time;           // s
  double valvePosition;  // m from the upstream end
};

// The events of the last run that happen, in the order of time (branch A's
// before branch B's at the same time; within a branch: valve closures,
// whole branch disturbed, flow reversal, dechoke, depressurised). Empty
// before a run.
std::vector<RunEvent> runEvents(const VORL& model);

}  // namespace vorl
