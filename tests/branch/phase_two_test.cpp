#include <gtest/gtest.h>

#include <cmath>

#include "branch/branch_test_support.h"
#include "branch/phase_dispatch.h"
#include "model/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;

// Branch B of 2 km at 20 bar carrying 20 kg/(m2 s), breached in the middle,
// brought to phase two by one step of its front over the whole branch.
class PhaseTwoTest : public ::testing::Test {
 protected:
  TestLine line;
  const double pa = 1e5, L = 1000.0, s = std::sqrt(kBeta * 1000.0);
  GB b = startOfPhaseTwo();
  GB startOfPhaseTwo() const {
    ChokeModelSwitch off(false);
    GB branch = GB::breachStart(line.wholePipe(2e6, 20.0), 2, pa, 1000.0, 1.0);
    Evlv1B(branch, 2000.0);
    endOfPhaseOne(branch);
    return branch;
  }
  double q() const { return s * kA2 * b.upstream.G; }
  // Time of a step from q to q1 with the exit at ambient, from breach flux Ge0 to Ge.
  double handTime(double q0, double q1, double p0, double Ge0, double Ge) const {
    const double E0 = kA2 * Ge0 - q0 / s, E1 = kA2 * Ge - q1 / s;
    return -((q1 * q1 - q0 * q0) / 2.0) * (1.0 / E0 + 1.0 / E1) * L / (6.0 * p0);
  }
};

TEST_F(PhaseTwoTest, StepsByHandUntilTheFarEndIsAtRest) {
  ChokeModelSwitch off(false);
  ASSERT_EQ(b.phase, 2);
  const double q0 = q(), p0 = b.upstream.p, t0 = b.time, Ge0 = b.exit.G, inflow0 = b.massInflowPerUnitArea;
  ASSERT_LT(q0, 0.0);
  ASSERT_TRUE(evolv2(b, -q0 / 3.0));
  const double q1 = q0 - q0 / 3.0, Q = q1 * q1, W = (p0 - pa) * p0 + Q;
  const double lpk = L - L * Q / (2.0 * W), Ppk = Q * Q / (4.0 * p0 * W) + p0;
  const double Ge = std::sqrt(1.5 * (Ppk * Ppk - pa * pa) / (kBeta * lpk)) / kA2;
  const double dt = handTime(q0, q1, p0, Ge0, Ge);
  EXPECT_EQ(b.phase, 2);
  EXPECT_NEAR(q(), q1, 1e-9 * std::fabs(q1));
  EXPECT_NEAR(b.exit.G, Ge, 1e-9 * Ge);
  EXPECT_NEAR(b.lengthToPressurePeak, lpk, 1e-9 * L);
  EXPECT_NEAR(b.time, t0 + dt, 1e-9 * b.time);
  EXPECT_NEAR(b.massInflowPerUnitArea, inflow0 + (q0 + q1) / s / kA2 * dt / 2.0, 1e-9 * std::fabs(inflow0));
  EXPECT_NEAR(b.massPerUnitArea, L * (4.0 * p0 + 2.0 * pa + Q / p0) / (6.0 * kA2), 1e-9 * b.massPerUnitArea);
  EXPECT_EQ(b.upstream.p, p0);

  // A step past rest ends exactly at q = 0, with the peak at the closed far end.
  const double t1 = b.time, Ge1 = b.exit.G;
  ASSERT_TRUE(evolv2(b, -q0));
  const double GeRest = std::sqrt(1.5 * (p0 * p0 - pa * pa) / (kBeta * L)) / kA2;
  EXPECT_EQ(b.phase, 3);
  EXPECT_EQ(b.upstream.G, 0.0);
  EXPECT_EQ(b.lengthToPressurePeak, L);
  EXPECT_NEAR(b.time, t1 + handTime(q1, 0.0, p0, Ge1, GeRest), 1e-9 * b.time);
  EXPECT_NEAR(b.massPerUnitArea, L * (4.0 * p0 + 2.0 * pa) / (6.0 * kA2), 1e-9 * b.massPerUnitArea);
}

TEST_F(PhaseTwoTest, TimeNeverDecreasesThroughThePhase) {
  double dq = -q() / 7.0, lastTime = b.time;
  for (int steps = 0; b.phase == 2 && steps < 20; ++steps) {
    ASSERT_TRUE(phaseStep(b, dq));
    EXPECT_GE(b.time, lastTime);
    lastTime = b.time;
  }
  EXPECT_EQ(b.phase, 3);
  EXPECT_EQ(b.q(), 0.0);
}

TEST_F(PhaseTwoTest, EdgesOfTheStep) {
  const GB before = b;
  EXPECT_FALSE(evolv2(b, -q() * 1e-14));  // negligible
  expectSameState(b, before);
  b.exit.G = -1e3;  // the breach loses less than the far end delivers
  ASSERT_TRUE(evolv2(b, -q() / 4.0));
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_EQ(b.massInflowPerUnitArea, -kInfinite);

  GB rest = startOfPhaseTwo();
  rest.upstream.G = 0.0;  // at rest on entry: any step only moves to phase 3
  const double t = rest.time;
  ASSERT_TRUE(evolv2(rest, 1.0));
  EXPECT_EQ(rest.phase, 3);
  EXPECT_EQ(rest.time, t);
  rest.upstream.G = 1.0;  // toward the breach: no step
  EXPECT_FALSE(evolv2(rest, 1.0));
}

TEST_F(PhaseTwoTest, Raises) {
  b.upstream.setPressure(0.9 * pa);
  const GB before = b;
  expectVorlError([&] { evolv2(b, -q() / 4.0); }, 1003, "evolv2");
  expectSameState(b, before);
  expectVorlError([&] { evolv2(b, -2.0 * q()); }, 1003, "evolv2");
  EXPECT_EQ(b.phase, 3);  // set by the end test before the raise
  GB atAmbient = startOfPhaseTwo();
  atAmbient.upstream.setPressure(pa);
  EXPECT_TRUE(evolv2(atAmbient, -q() / 4.0));
  atAmbient.beta = -kBeta;
  expectVorlError([&] { evolv2(atAmbient, 1.0); }, 14, "GFq");
}

}  // namespace
}  // namespace vorl
