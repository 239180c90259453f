#include "reference/grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

namespace vorl::reference {
namespace {

// A 10 km line breached at 3 km with a valve at 1 km: cells of 2 m at the
// breach growing by 5 % of the distance from it, at most 200 m.
constexpr double kLength = 10000.0, kBreach = 3000.0, kValve = 1000.0;
const CellSizeTarget kTarget{2.0, 0.05, 200.0};
const std::vector<PinnedFace> kPinned{{0.0, 1}, {kLength, 2}, {kBreach, 3}, {kValve, 10}};

double distanceFromBreach(const Grid& grid, std::size_t cell) {
  return std::fmin(std::fabs(grid.faces()[cell] - kBreach), std::fabs(grid.faces()[cell + 1] - kBreach));
}

TEST(CellSizeTarget, SpacingIntegralCountsTargetCellsAndInverts) {
  for (double d : {0.0, 1.0, 40.0, 41.0, 700.0, 4000.0, 9000.0}) {
    EXPECT_NEAR(kTarget.distanceAtSpacing(kTarget.spacingIntegral(d)), d, 1e-9 * (1.0 + d)) << d;
    // The integrand is 1 / target: a small step adds step / target cells.
    const double step = 1e-3;
    EXPECT_NEAR((kTarget.spacingIntegral(d + step) - kTarget.spacingIntegral(d)) / step, 1.0 / kTarget.at(d + 0.5 * step),
                1e-6 / kTarget.at(d))
        << d;
  }
}

TEST(Grid, PlacesPinnedFacesAndKeepsCellsWithinTheTarget) {
  const Grid grid(kLength, kBreach, kPinned, kTarget);
  const std::vector<double>& faces = grid.faces();
  int tagged = 0;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    if (grid.faceTag(f) == 0) continue;
    ++tagged;
    const double x = faces[f];
    EXPECT_TRUE(x == 0.0 || x == kLength || x == kBreach || x == kValve) << x;
  }
  EXPECT_EQ(tagged, 4);
  double covered = 0.0;
  for (std::size_t i = 0; i < grid.cellCount(); ++i) {
    ASSERT_GT(grid.width(i), 0.0);
    EXPECT_LE(grid.width(i), kTarget.at(distanceFromBreach(grid, i) + grid.width(i)) * (1.0 + 1e-9)) << i;
    covered += grid.width(i);
  }
  EXPECT_NEAR(covered, kLength, 1e-9 * kLength);
  EXPECT_NEAR(grid.smallestWidth(), 2.0, 0.1);
}

TEST(Grid, RegriddingKeepsMassAndMomentumAndALinearProfile) {
  Grid grid(kLength, kBreach, kPinned, kTarget);
  // A density rising linearly along the line and a uniform velocity: a
  // second-order remap carries a linear profile over unchanged, except in
  // cells beside a pinned face, which are kept flat.
  const auto density = [](double x) { return 40.0 + 1e-3 * x; };
  for (std::size_t i = 0; i < grid.cellCount(); ++i) {
    grid.mass[i] = density(grid.centre(i)) * grid.width(i);
    grid.momentum[i] = 5.0 * grid.mass[i];
  }
  const double mass = std::accumulate(grid.mass.begin(), grid.mass.end(), 0.0);
  const double momentum = std::accumulate(grid.momentum.begin(), grid.momentum.end(), 0.0);
  const std::size_t before = grid.cellCount();

  grid.regrid(CellSizeTarget{20.0, kTarget.grading, kTarget.largestCell});

  EXPECT_LT(grid.cellCount(), before);
  EXPECT_NEAR(std::accumulate(grid.mass.begin(), grid.mass.end(), 0.0), mass, 1e-13 * mass);
  EXPECT_NEAR(std::accumulate(grid.momentum.begin(), grid.momentum.end(), 0.0), momentum, 1e-13 * momentum);
  EXPECT_NEAR(grid.smallestWidth(), 20.0, 1.0);
  int tagged = 0;
  for (std::size_t f = 0; f < grid.faces().size(); ++f) tagged += grid.faceTag(f) != 0;
  EXPECT_EQ(tagged, 4);
  for (std::size_t i = 0; i < grid.cellCount(); ++i) {
    const double rho = grid.mass[i] / grid.width(i);
    EXPECT_NEAR(grid.momentum[i] / grid.mass[i], 5.0, 1e-12) << i;
    const bool besidePinned = grid.faceTag(i) != 0 || grid.faceTag(i + 1) != 0;
    // Next to a pinned face a remapped cell may take in its flat neighbour:
    // off by at most the profile's rise over a few cells there.
    EXPECT_NEAR(rho, density(grid.centre(i)), besidePinned ? 1e-3 * 3.0 * grid.width(i) : 1e-11 * rho) << i;
  }
}

}  // namespace
}  // namespace vorl::reference
