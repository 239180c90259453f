#pragma once

#include "companion/ambient.h"
#include "core/enums.h"
#include "model/branch_state.h"
#include "model/ideal_gas.h"

namespace vorl {

class VORL;

// The branch states a run starts from, built from the steady flow of the
// intact pipe.

// The whole pipe: the steady flow of the intact line from the supply end, at
// upstreamPressure with inflow flux density G0, to the far end. Raises 207 or
// 206 "GBctor"; a flow the pipe cannot carry (205, 14) is kept as its
// constructionError, so that the model stays usable and the run reports it.
GB wholePipeBranch(const AMBIENT* ambient, const IIG* gas, double beta, double pipeLength, double area,
                   double upstreamPressure, double inflowFluxDensity);

// The steady flow before the breach restricted to branch A (supply end to
// the breach at x, m from the upstream end) or branch B (far end back to the
// breach), in the steady phase. Raises the whole pipe's kept construction
// error, 202, 204 or 7 "GBctor".
GB preBreach(const GB& wholePipe, BranchId branch, double x);

// The same branch at the instant of the breach, with the front at the breach
// and the breach end at ambient pressure pa (or choked) through aperture ar.
// Raises 202 or 7 "GBctor".
GB breachStart(const GB& wholePipe, BranchId branch, double pa, double x, double ar);

// Rebuilds the model's whole-pipe branch from its current inputs, after any
// input of the steady flow has changed; on a raise the model has no
// whole-pipe branch until the next successful rebuild.
void rebuildWholePipe(VORL& model);

}  // namespace vorl
