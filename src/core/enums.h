#pragma once

#include <vorl.h>

namespace vorl {

// Phase of a branch, as the regime queries report it (by its number).
enum class Phase : int {
  kSteady = -1,        // the steady flow before the breach
  kFrontRunning = 1,   // a decompression front runs from the breach into the steady flow
  kOutflowDecay = 2,   // branch B: the far end still delivers away from the breach
  kBlowDown = 3,       // the whole branch blows down
  kFinished = 4,
};

// The front has reached the far end (phases two, three and four).
constexpr bool pastPhaseOne(Phase phase) noexcept { return phase != Phase::kSteady && phase != Phase::kFrontRunning; }

// The branches of the pipe: A upstream of the breach, B downstream, and the
// whole intact pipe before the breach. The numbers name a branch to the
// valve set too.
enum class BranchId : int { kA = 1, kB = 2, kWholePipe = 3 };

// Where the breach leaves branches: at the far end only branch A, at the
// upstream end only branch B, inside the pipe both.
enum class BranchLayout : int { kSingleBranchA = 1, kSingleBranchB = 2, kDoubleBranch = 3 };

// The modes of the output time grid (VorlPipeOutputTimesDefine).
enum class OutputGridMode : int {
  kEven = VORL_GRID_EVEN,  // n times evenly to the end of the run
  // The same, then the caller's end time (a fed branch A that never finishes).
  kEvenThenEndTime = VORL_GRID_EVEN_THEN_END_TIME,
  kRunTimes = VORL_GRID_RUN_TIMES,  // the run's own stored times thinned to n
  // The same; a single branch thinned to the output maximum steps.
  kRunTimesCapped = VORL_GRID_RUN_TIMES_CAPPED,
};

// The model whose answer a run's results give: the fast integral model (the
// published one) or the reference solution of the full equations.
enum class ModelChoice : int { kFast = 0, kReference = 1 };

}  // namespace vorl
