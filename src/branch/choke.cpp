#include "branch/choke.h"

#include <cmath>

#include "branch/flow_relations.h"
#include "companion/equation_solver.h"
#include "core/constants.h"
#include "core/vorl_error.h"

namespace vorl {

double chokedPressure(const GS& record, double P, double ar) noexcept {
  const double ps = record.p;
  if (!(P > ps)) return ps;  // nothing drives the exit above its pressure
  const double M = orificeMachNumber(record, ar);
  if (isInfinite(M)) return P;  // flux unknown: the whole driving pressure stands at the exit
  if (M == 0.0) return 0.0;
  return P * ps / std::sqrt(ps * ps + (P * P - ps * ps) / (M * M));
}

bool chokeCheck(GS& record, double P, double ar) {
  const bool choked = isChoked(record, ar);
  if (choked) {
    const double pc = chokedPressure(record, P, ar);
    const double Gc = ar * pc / std::sqrt(record.a2());  // sonic flux through the orifice
    if (pc > 0.0) record.setFluxAndPressure(pc, Gc);
  }
  return choked;
}

namespace {

// Ends of the bracket search: hi = k ps for k = 2, 3, ... while k < this.
constexpr int kBracketLimit = 100000;

}  // namespace

bool SlvChk(const GS& record, double P, double ar, double& farEndPressure, double& exitPressure) {
  const double ps = record.p;
  if (!isChoked(record, ar)) {
    exitPressure = ps;
    farEndPressure = (P - ps) / 2.0;
    return false;
  }

  // The exit pressure y is consistent when the far-end pressure (P - y) / 2
  // drives the choked exit pressure y itself.
  auto F = [&record, P, ar](double y) { return chokedPressure(record, (P - y) / 2.0, ar) - y; };

  const double lo = ps;
  const double Flo = F(lo);
  double hi = 0.0;
  bool bracketed = false;
  for (int k = 2; k < kBracketLimit; ++k) {
    hi = k * ps;
    if (F(hi) * Flo <= 0.0) {
      bracketed = true;
      break;
    }
  }

  double y = 0.0;
  bool solved = false;
  if (bracketed) {
    CEquationSolver solver(F, lo, hi);
    solved = solver.Solve() && solver.GetResult(y);
  }
  if (!bracketed) {
    throw VORLERROR(VORL_E_CHOKED_SOLVE_NO_ROOT, "SlvChk",
                    "choked closed branch: no sign change of the exit-pressure balance between " + numberText(ps) +
                        " Pa and 99999 times it");
  }
  if (!solved) {
    throw VORLERROR(VORL_E_CHOKED_SOLVE_NO_ROOT, "SlvChk",
                    "choked closed branch: the equation solver found no exit pressure in [" + numberText(lo) + ", " +
                        numberText(hi) + "] Pa");
  }
  farEndPressure = (P - y) / 2.0;
  exitPressure = y;
  return true;
}

}  // namespace vorl
