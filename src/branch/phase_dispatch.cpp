#include "branch/phase_dispatch.h"

#include "branch/phase_one.h"
#include "branch/phase_three.h"
#include "branch/phase_two.h"

namespace vorl {

bool phaseStep(GB& branch, double& step) {
  switch (branch.phase) {
    case Phase::kFrontRunning:
      if (branch.branch == BranchId::kA) return Evlv1A(branch, step);
      if (branch.branch == BranchId::kB) return Evlv1B(branch, step);
      return false;
    case Phase::kOutflowDecay:
      return evolv2(branch, step);
    case Phase::kBlowDown:
      return evolv3(branch, step);
    default:
      return false;
  }
}

}  // namespace vorl
