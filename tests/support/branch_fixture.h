#pragma once

#include "branch/branch_setup.h"
#include "companion/ambient.h"
#include "model/branch_state.h"
#include "model/ideal_gas.h"

namespace vorl::test {

// Gas, ambient and a steady 1 km methane branch to build synthetic branch
// states from.
struct BranchFixture {
  AMBIENT ambient;
  IIG gas{16.043, 288.15};
  // beta of a 0.5 m bore with Fanning factor 0.003: 2 f / (D a2).
  double beta = 2.0 * 0.003 / (0.5 * gas.a2());
  GB wholePipe = wholePipeBranch(&ambient, &gas, beta, 1000.0, 0.19634954084936207, 5.0e6, 0.0);

  // A copy of the steady branch with the given time, phase and flags.
  GB state(double time, int phase, bool choked = false) const {
    GB g = wholePipe;
    g.branch = BranchId::kA;
    g.time = time;
    g.phase = static_cast<Phase>(phase);
    g.choked = choked;
    return g;
  }
};

}  // namespace vorl::test
