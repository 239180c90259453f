// The default case against the same case on a grid twice as fine at every
// time: a heavy test (about ten seconds in a Release build), which CTest
// labels `heavy` (ctest -LE heavy leaves it out).
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "reference/reference.h"

namespace vorl::reference {
namespace {

TEST(ReferenceHeavy, DefaultCaseChangesUnderOnePercentOnAGridTwiceAsFine) {
  ReferenceCase c;  // 100 km, 0.5 m bore, 70 bar, 20 kg/s, full bore at 30 km, 4 h
  c.reportTimes = {1.0, 10.0, 60.0, 300.0, 1800.0, 3600.0, 14400.0};
  const ReferenceResult standard = runReference(c);
  c.numerics.refinement = 2.0;
  const ReferenceResult fine = runReference(c);
  ASSERT_EQ(standard.time.size(), c.reportTimes.size());
  ASSERT_EQ(fine.time.size(), c.reportTimes.size());
  const auto within = [](double value, double reference) { return std::fabs(value - reference) <= 0.01 * reference; };
  for (std::size_t k = 0; k < c.reportTimes.size(); ++k) {
    for (const auto& [name, coarse, refined] :
         {std::tuple{"release A", standard.upstream.releaseRate[k], fine.upstream.releaseRate[k]},
          std::tuple{"release B", standard.downstream.releaseRate[k], fine.downstream.releaseRate[k]},
          std::tuple{"released", standard.releasedMass[k], fine.releasedMass[k]},
          std::tuple{"breach pressure A", standard.upstream.breachEndPressure[k], fine.upstream.breachEndPressure[k]},
          std::tuple{"far pressure B", standard.downstream.farEndPressure[k], fine.downstream.farEndPressure[k]}})
      EXPECT_TRUE(within(coarse, refined)) << name << " at " << c.reportTimes[k] << " s: " << coarse << " against "
                                           << refined;
  }
}

}  // namespace
}  // namespace vorl::reference
