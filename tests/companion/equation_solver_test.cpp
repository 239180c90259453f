#include "companion/equation_solver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorl {
namespace {

TEST(EquationSolver, FindsRootsWithinTheRelativeTolerance) {
  // The tolerance scales with the bracket's upper end; a root on either end is found
  // exactly, and a jump in sign is found like a root (bisection safeguards Brent).
  const struct { std::function<double(double)> f; double lo, hi, root, tolerance; } cases[] = {
      {[](double x) { return x * x - 2.0; }, 0.0, 2.0, std::sqrt(2.0), 2e-9 * 2.0},
      {[](double x) { return std::cos(x) - x; }, 0.0, 1.0, 0.7390851332151607, 2e-9},
      {[](double x) { return std::exp(x / 1e6) - 3.0; }, 1e5, 2e6, 1e6 * std::log(3.0), 2e-9 * 2e6},
      {[](double x) { return x - 5.0; }, 1.0, 5.0, 5.0, 0.0},
      {[](double x) { return x - 1.0; }, 1.0, 5.0, 1.0, 0.0},
      {[](double x) { return x < 0.3 ? -1.0 : 1.0; }, 0.0, 1.0, 0.3, 1e-8}};
  for (const auto& c : cases) {
    CEquationSolver solver(c.f, c.lo, c.hi);
    double root = std::nan("");
    EXPECT_TRUE(solver.Solve()) << c.root;
    EXPECT_TRUE(solver.GetResult(root)) << c.root;
    EXPECT_NEAR(root, c.root, c.tolerance);
  }
}

TEST(EquationSolver, FailsWithoutASignChangeOrOnAValueThatIsNotANumber) {
  CEquationSolver solver([](double x) { return x * x + 1.0; }, -1.0, 1.0);
  EXPECT_FALSE(solver.Solve());
  double root = 0.0;
  EXPECT_FALSE(solver.GetResult(root));
  CEquationSolver broken([](double x) { return x > 0.5 ? std::nan("") : x - 0.75; }, 0.0, 1.0);
  EXPECT_FALSE(broken.Solve());
}

}  // namespace
}  // namespace vorl
