#include "companion/equation_solver.h"

#include <cmath>
#include <limits>
#include <utility>

namespace vorl {

CEquationSolver::CEquationSolver(std::function<double(double)> function, double lo, double hi,
                                 double relativeTolerance)
    : function_(std::move(function)), lo_(lo), hi_(hi), relativeTolerance_(relativeTolerance) {}

bool CEquationSolver::Solve() {
  solved_ = false;
  iterations_ = 0;
  const double eps = std::numeric_limits<double>::epsilon();
  const double t = relativeTolerance_ * std::fabs(hi_);

  double a = lo_, b = hi_;
  double fa = function_(a), fb = function_(b);
  if (std::isnan(fa) || std::isnan(fb)) return false;
  if ((fa > 0.0 && fb > 0.0) || (fa < 0.0 && fb < 0.0)) return false;

  double c = a, fc = fa;
  double d = b - a, e = d;
  for (;;) {
    if (std::fabs(fc) < std::fabs(fb)) {  // keep b the best estimate
      a = b; b = c; c = a;
      fa = fb; fb = fc; fc = fa;
    }
    const double tol = 2.0 * eps * std::fabs(b) + t;
    const double m = 0.5 * (c - b);
    if (std::fabs(m) <= tol || fb == 0.0) break;
    if (++iterations_ > kMaxIterations) return false;

    if (std::fabs(e) < tol || std::fabs(fa) <= std::fabs(fb)) {
      d = e = m;  // bisection
    } else {
      double p, q;
      double s = fb / fa;
      if (a == c) {  // linear interpolation
        p = 2.0 * m * s;
        q = 1.0 - s;
      } else {  // inverse quadratic interpolation
        q = fa / fc;
        const double r = fb / fc;
        p = s * (2.0 * m * q * (q - r) - (b - a) * (r - 1.0));
        q = (q - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0) q = -q; else p = -p;
      s = e;
      e = d;
      if (2.0 * p < 3.0 * m * q - std::fabs(tol * q) && p < std::fabs(0.5 * s * q)) {
        d = p / q;
      } else {
        d = e = m;
      }
    }
    a = b;
    fa = fb;
    b += std::fabs(d) > tol ? d : (m > 0.0 ? tol : -tol);
    fb = function_(b);
    if (std::isnan(fb)) return false;
    if ((fb > 0.0 && fc > 0.0) || (fb <= 0.0 && fc <= 0.0)) {
      c = a; fc = fa;
      d = e = b - a;
    }
  }
  root_ = b;
  solved_ = true;
  return true;
}

bool CEquationSolver::GetResult(double& root) const noexcept {
  if (!solved_) return false;
  root = root_;
  return true;
}

}  // namespace vorl
