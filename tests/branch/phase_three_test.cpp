#include "branch/phase_three.h"

#include <gtest/gtest.h>

#include <cmath>

#include "branch/branch_test_support.h"
#include "branch/phase_dispatch.h"
#include "model/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;

double acoshByHand(double z) { return std::log(z + std::sqrt(z * z - 1.0)); }

// A 1 km branch in blow-down from time 5 s, exit at ambient, closed or fed
// by 20 kg/(m2 s) at its far end.
class PhaseThreeTest : public ::testing::Test {
 protected:
  TestLine line;
  const double pa = 1e5, L = 1000.0, root = std::sqrt(kBeta * 1000.0);
  const double closedScale = std::sqrt(8.0 / 27.0) * root * L;
  GB blowDown(double p0, double Gu = 0.0) const {
    GB b = line.wholePipe(2e6, Gu, L);
    b.branch = 1;
    b.phase = 3;
    b.time = 5.0;
    b.orificeAperture = 1.0;
    b.upstream.setPressure(p0);
    b.exit.setFluxAndPressure(pa, 123.0);
    return b;
  }
};

TEST_F(PhaseThreeTest, RelationsWorkedByHand) {
  EXPECT_DOUBLE_EQ(frictionIntegralFactor(3.0, 1.0, 0.0), 1.0 / std::sqrt(3.0));  // 36 / sqrt(48) / 9
  EXPECT_DOUBLE_EQ(frictionIntegralFactor(5.0, 1.0, 2.0), 104.0 / (std::sqrt(132.0) - 6.0) / 25.0);
  EXPECT_EQ(frictionIntegralFactor(2.0, 2.0, 0.0), kInfinite);  // D = 0
  EXPECT_EQ(frictionIntegralFactor(2.0, 1.0, 2.0), kInfinite);  // sqrt(6) - 6 < 0
  EXPECT_DOUBLE_EQ(lowestFarEndPressure(20.0, 3e5, 4e5), 5e5 * std::sqrt(1.36));  // sqrt(1.8e11 + 1.6e11)
  double dt = 0.0;
  // acosh(2) = ln(2 + sqrt 3); p1 / pe1 below 1 counts as 1.
  EXPECT_DOUBLE_EQ(closedEndTime(blowDown(2e5), 2e5, 1e5, 0.9e5, 1e5, dt), 5.0 + closedScale * std::log(2.0 + std::sqrt(3.0)));
}

TEST_F(PhaseThreeTest, ClosedUnchokedBlowDownFollowsTheArccoshForm) {
  ChokeModelSwitch off(false);
  GB b = blowDown(2e6);
  double dp = -(2e6 - pa) / 10.0;
  int steps = 0;
  for (; b.phase == 3 && steps < 20; ++steps) {
    const double p0 = b.upstream.p, t0 = b.time;
    ASSERT_TRUE(phaseStep(b, dp));
    const double y = std::fmax(b.upstream.p / pa, 1.0);
    EXPECT_NEAR(b.time, t0 + closedScale * (acoshByHand(p0 / pa) - acoshByHand(y)), 1e-12 * b.time);
    EXPECT_GE(b.time, t0);
  }
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(b.phase, 4);  // the last step ends exactly on the exit pressure
  EXPECT_EQ(b.upstream.p, pa);
  EXPECT_EQ(b.exit.G, 0.0);
  EXPECT_NEAR(b.time, 5.0 + closedScale * acoshByHand(20.0), 1e-12 * b.time);
  EXPECT_DOUBLE_EQ(b.massPerUnitArea, L * pa / kA2);
  EXPECT_FALSE(phaseStep(b, dp));
}

TEST_F(PhaseThreeTest, InflowStepIsTrapezoidalAndApproachesTheSteadyLimit) {
  ChokeModelSwitch off(false);
  GB b = blowDown(2e6, 20.0);
  const double q = root * kA2 * 20.0, limit = std::sqrt(2.0 * q * q + pa * pa), p1 = 1.8e6;
  double dp = -2e5;
  ASSERT_TRUE(evolv3(b, dp));
  const double dt = (root * L / 3.0) * (frictionIntegralFactor(2e6, pa, q) + frictionIntegralFactor(p1, pa, q)) * 1e5;
  EXPECT_EQ(b.upstream.p, p1);
  EXPECT_EQ(dp, -2e5);
  EXPECT_NEAR(b.time, 5.0 + dt, 1e-12 * b.time);
  EXPECT_NEAR(b.massInflowPerUnitArea, 20.0 * dt, 1e-9 * 20.0 * dt);
  EXPECT_NEAR(b.exit.G, 20.0 * (std::sqrt(6.0 * (p1 * p1 - pa * pa) / (q * q) - 3.0) - 1.0) / 2.0, 1e-9 * b.exit.G);
  EXPECT_NEAR(b.massPerUnitArea, L * (4.0 * p1 + 2.0 * pa - q * q / p1) / (6.0 * kA2), 1e-9 * b.massPerUnitArea);

  bool halved = false;
  for (int steps = 0; b.phase == 3 && steps < 200; ++steps) {
    const double p0 = b.upstream.p, t0 = b.time;
    ASSERT_TRUE(phaseStep(b, dp));
    halved = halved || (b.phase == 3 && b.upstream.p == (limit + p0) / 2.0);
    EXPECT_GE(b.upstream.p, limit);
    EXPECT_GE(b.time, t0);
  }
  EXPECT_TRUE(halved);
  EXPECT_EQ(b.phase, 4);
  EXPECT_DOUBLE_EQ(b.upstream.p, limit);
  EXPECT_EQ(b.time, kInfinite);  // the steady limit is reached only after infinite time
  EXPECT_EQ(b.massInflowPerUnitArea, kInfinite);
}

TEST_F(PhaseThreeTest, ChokingSelectsTheTrapezoidalRuleAndDechokingShortensTheNextStep) {
  GB b = blowDown(2e6);
  b.choked = true;
  b.orificeAperture = 0.01;
  double dp = -2e5;
  ASSERT_TRUE(evolv3(b, dp));
  ASSERT_TRUE(b.choked);
  // q = 0: R = 4 / sqrt(6 (p^2 - pe^2)).
  const double R0 = 4.0 / std::sqrt(6.0 * (4e12 - pa * pa)), R1 = 4.0 / std::sqrt(6.0 * (3.24e12 - b.exit.p * b.exit.p));
  EXPECT_NEAR(b.time, 5.0 + (root * L / 3.0) * (R0 + R1) * 1e5, 1e-12 * b.time);

  ChokeModelSwitch off(false);
  GB dechoked = blowDown(2e6);
  dechoked.choked = true;
  dp = -5e5;
  ASSERT_TRUE(evolv3(dechoked, dp));
  EXPECT_FALSE(dechoked.choked);
  EXPECT_DOUBLE_EQ(dp, -(1.5e6 - pa) / 10.0);  // a tenth of the way to the limit
}

TEST_F(PhaseThreeTest, StepsAtTheEdges) {
  ChokeModelSwitch off(false);
  // A negligible step that still lowers p0 keeps the old exit record.
  GB b = blowDown(2e6);
  double dp = -1e-8;
  ASSERT_TRUE(evolv3(b, dp));
  EXPECT_EQ(b.exit.G, 123.0);
  EXPECT_EQ(b.phase, 3);
  EXPECT_GT(b.time, 5.0);
  EXPECT_LT(b.upstream.p, 2e6);

  // A step past the limit is clamped to it; it finishes only with the exit at ambient.
  PhaseThreePreparation prepared;
  ASSERT_TRUE(preparePhaseThreeStep(blowDown(2e6), -5e6, prepared));
  EXPECT_EQ(prepared.dp, pa - 2e6);
  EXPECT_TRUE(prepared.finishing);
  b = blowDown(2e6);
  b.exit.setPressure(3e5);
  ASSERT_TRUE(preparePhaseThreeStep(b, -5e6, prepared));
  EXPECT_EQ(prepared.dp, 3e5 - 2e6);
  EXPECT_EQ(prepared.newPhase, 3);

  // No step when the far end is not above the exit.
  b = blowDown(pa);
  const GB before = b;
  EXPECT_FALSE(evolv3(b, dp));
  expectSameState(b, before);
}

TEST_F(PhaseThreeTest, StepTooSmallToLowerTheFarEndFinishes) {
  // Cut after blowing down: p0 one rounding above pe = pa, and a step below its last place.
  GB b = blowDown(std::nextafter(1e5, 2e5));
  double dp = -(b.upstream.p - pa) / 100.0;
  ASSERT_EQ(b.upstream.p + dp, b.upstream.p);
  ASSERT_TRUE(phaseStep(b, dp));
  EXPECT_EQ(b.phase, 4);
  EXPECT_EQ(b.upstream.p, pa);
  EXPECT_FALSE(phaseStep(b, dp));
  GB still = blowDown(2e6);
  double zero = 0.0;
  ASSERT_TRUE(evolv3(still, zero));
  EXPECT_EQ(still.phase, 4);
}

TEST_F(PhaseThreeTest, RaisesLeaveBranchAndStepUnchanged) {
  ChokeModelSwitch off(false);
  // An exit recorded far below ambient lowers the limit until the new far-end
  // pressure is below ambient: the flux with inflow has no real root.
  GB b = blowDown(0.95 * pa, 20.0);
  b.exit.setPressure(0.5 * pa);
  const GB before = b;
  double dp = -1e3;
  expectVorlError([&] { evolv3(b, dp); }, 201, "bfdG");
  expectSameState(b, before);
  EXPECT_EQ(dp, -1e3);
  b.beta = -kBeta;
  expectVorlError([&] { evolv3(b, dp); }, 14, "GFq");
}

}  // namespace
}  // namespace vorl
