#pragma once

#include "core/enums.h"

namespace vorl {

class VORL;

// A run of the whole release: single branch A, single branch B or both, from
// the breach location. Each branch is stepped through its phases to the end
// and stored after every step. Returns the records stored less one per
// branch, summed. It first empties both sequences and checks every input
// the run uses (codes 350 and up, the guard of src/model/inputs.cpp): a refused
// input raises before anything is computed and leaves the sequences empty;
// a failure of the run itself raises and the sequences keep what was stored.
int runModel(VORL& model);

// Whether the fast model runs the line as it is operated: its supply keeps a
// constant inflow, and its valves (when any take part) shut at an instant at
// their closure times. runModel refuses it otherwise (479, 483).
bool fastModelKeepsSupply(const VORL& model);
bool fastModelKeepsValves(const VORL& model);

// Safety bound on the passes of one branch's time loop, so that no input can
// hang a host; a valid case stays far below it. A build may lower it (the
// fuzzer does, to keep each input quick under its sanitizers).
#ifndef VORL_MAX_BRANCH_LOOP_PASSES
#define VORL_MAX_BRANCH_LOOP_PASSES 1000000
#endif
constexpr int kMaxBranchLoopPasses = VORL_MAX_BRANCH_LOOP_PASSES;

// One branch (A or B) run from the whole-pipe steady flow; 0 for any other
// branch. Raises 16 "vlRunB" when the loop reaches maxPasses; the records
// stored so far stay.
int branchRun(VORL& model, BranchId branch, int maxPasses = kMaxBranchLoopPasses);

}  // namespace vorl
