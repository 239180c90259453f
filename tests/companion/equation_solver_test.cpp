#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "companion/equation_solver.h"

namespace {

using vorl::CEquationSolver;

double rootOf(std::function<double(double)> f, double lo, double hi) {
  CEquationSolver solver(std::move(f), lo, hi);
  EXPECT_TRUE(solver.Solve());
  double root = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(solver.GetResult(root));
  return root;
}

TEST(EquationSolver, FindsRootsWithinTheRelativeTolerance) {
  EXPECT_NEAR(rootOf([](double x) { return x * x - 2.0; }, 0.0, 2.0), std::sqrt(2.0), 2e-9 * 2.0);
  EXPECT_NEAR(rootOf([](double x) { return std::cos(x) - x; }, 0.0, 1.0), 0.7390851332151607, 2e-9);
  // A steep function near a large root: the tolerance scales with the bracket's upper end.
  EXPECT_NEAR(rootOf([](double x) { return std::exp(x / 1e6) - 3.0; }, 1e5, 2e6), 1e6 * std::log(3.0),
              2e-9 * 2e6);
}

TEST(EquationSolver, ARootOnTheBracketEndIsFound) {
  EXPECT_EQ(rootOf([](double x) { return x - 5.0; }, 1.0, 5.0), 5.0);
  EXPECT_EQ(rootOf([](double x) { return x - 1.0; }, 1.0, 5.0), 1.0);
}

TEST(EquationSolver, FailsWithoutASignChange) {
  CEquationSolver solver([](double x) { return x * x + 1.0; }, -1.0, 1.0);
  EXPECT_FALSE(solver.Solve());
  double root = 0.0;
  EXPECT_FALSE(solver.GetResult(root));
}

TEST(EquationSolver, FailsOnAFunctionValueThatIsNotANumber) {
  CEquationSolver solver([](double x) { return x > 0.5 ? std::nan("") : x - 0.75; }, 0.0, 1.0);
  EXPECT_FALSE(solver.Solve());
}

TEST(EquationSolver, ConvergesOnADiscontinuousSignChange) {
  // Brent's safeguard falls back on bisection: a jump is found like a root.
  const double root = rootOf([](double x) { return x < 0.3 ? -1.0 : 1.0; }, 0.0, 1.0);
  EXPECT_NEAR(root, 0.3, 1e-8);
}

}  // namespace
