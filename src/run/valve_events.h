#pragma once

#include "model/branch_state.h"

namespace vorl {

class VORL;

// Valves take part in a run while they are active and one of the branch is open.
bool valvesRemainToShut(const VORL& model, BranchId branch);

// After a step has been stored: when a valve of the branch has shut by the
// step's time, the stored record is replaced by the branch at the closure
// time, the branch is cut at the valve and the cut state is stored and
// continued. Returns 1 when that happened, else 0. A valve due that lies
// beyond the branch's open length never acts: it is set aside for the rest
// of the run and the next valve due is looked at.
int valveEvents(VORL& model, GB& working);

// Branch A fed by the supply, its blow-down over: carried on with its inflow
// to the next valve closure. True when it was.
bool valveExtension(VORL& model, GB& working);

}  // namespace vorl
