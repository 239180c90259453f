#pragma once

#include <functional>

namespace vorl {

// Root of a function of one variable on a bracket [lo, hi] across which it
// changes sign, by Brent's method (procedure `zero`, Brent 1973): bisection
// safeguarding secant and inverse quadratic interpolation. It always
// converges on a valid bracket; the function is any callable, so a caller
// passes its context in the closure rather than through shared state.
class CEquationSolver {
 public:
  static constexpr int kMaxIterations = 200;
  static constexpr double kRelativeTolerance = 1e-9;  // times the bracket's upper end

  CEquationSolver(std::function<double(double)> function, double lo, double hi,
                  double relativeTolerance = kRelativeTolerance);

  // Runs the method; false when the bracket holds no sign change, the
  // function gives a value that is not a number, or the iterations run out.
  bool Solve();
  // The root found by Solve; false when Solve has not succeeded.
  bool GetResult(double& root) const noexcept;
  int iterations() const noexcept { return iterations_; }

 private:
  std::function<double(double)> function_;
  double lo_;
  double hi_;
  double relativeTolerance_;
  double root_ = 0.0;
  bool solved_ = false;
  int iterations_ = 0;
};

}  // namespace vorl
