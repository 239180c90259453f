#pragma once

#include "model/flow_sequence.h"

namespace vorl {

// What a branch's stored history tells as a whole.

// Times of events in the history (s); 1e128 when the event never happens.
// Dechoking: the first unchoked record after the first (0 for a lone record).
double timeToDechoke(const GBSQ& history) noexcept;
// The front has reached the far end.
double timeToDisturbEntireFlow(const GBSQ& history) noexcept;
// The branch has finished.
double timeToDepressurise(const GBSQ& history) noexcept;
// The far end's flow, seen moving away from the breach, has turned and the
// branch blows down.
double timeToFlowReversal(const GBSQ& history) noexcept;

// Gas expelled through the breach by record index (kg), from the mass
// balance of the branch: what it held plus what flowed in, less what it holds
// and what valves trapped. Raises 4 "GBSQ[]" for a bad index.
double massExpelled(const GBSQ& history, int index);

}  // namespace vorl
