#include "branch/phase_dispatch.h"

namespace vorl {

bool phaseStep(GB& branch, double& step) {
  switch (branch.phase) {
    case 1:
      if (branch.branch == 1) return Evlv1A(branch, step);
      if (branch.branch == 2) return Evlv1B(branch, step);
      return false;
    case 2:
      return evolv2(branch, step);
    case 3:
      return evolv3(branch, step);
    default:
      return false;
  }
}

}  // namespace vorl
