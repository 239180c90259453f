#include "branch/flow_relations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "branch/branch_test_support.h"
#include "branch/choke.h"
#include "model/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(BranchFlowRelation, SteadyFrictionLaw) {
  IIG gas(8314.34, 160000.0);
  EXPECT_DOUBLE_EQ(GFq(GS(&gas, 2e5, 0.5), 4.0, 25.0), 8e5);  // sqrt(100) 1.6e5 0.5
  expectVorlError([&] { GFq(GS(&gas, 2e5, 0.5), -1.0, 25.0); }, 14, "GFq");
  expectVorlError([&] { GFq(GS(&gas, 2e5, 0.5), kNaN, 25.0); }, 14, "GFq");
  EXPECT_DOUBLE_EQ(GBpu(5.0, 2.0, 0.5), std::sqrt(21.0));  // 25 - 2 4 0.5
  EXPECT_EQ(GBpu(4.0, 2.0, 2.0), 0.0);                     // 16 - 2 4 2, exactly
  expectVorlError([] { GBpu(std::nextafter(4.0, 0.0), 2.0, 2.0); }, 205, "GBpu");
  expectVorlError([] { GBpu(kNaN, 2.0, 2.0); }, 205, "GBpu");
  EXPECT_DOUBLE_EQ(interpolateInPSquared(3.0, 5.0, 0.5), std::sqrt(17.0));  // 9 + 16 0.5
  EXPECT_EQ(interpolateLinear(3.0, 5.0, 0.25), 3.5);
}

TEST(BranchFlowRelation, BreachFluxWithInflow) {
  // G = 2, a2 = 3, beta = 0.5, lam = 2: K = 36; P = 13, pe = 1: D = 6 168 / 36 - 3 = 25,
  // increment 2 (5 - 3) / 2 = 2; Ge = 4 solves Ge^2 + 2 Ge + 4 = 3 168 / (2 0.5 2 9) = 28.
  EXPECT_DOUBLE_EQ(bfdG(2.0, 13.0, 1.0, 2.0, 0.5, 3.0), 2.0);
  expectVorlError([] { bfdG(2.0, 7.0, 7.0, 2.0, 0.5, 3.0); }, 201, "bfdG");  // P = pe: D = -3
  expectVorlError([] { bfdG(2.0, kNaN, 7.0, 2.0, 0.5, 3.0); }, 201, "bfdG");
  expectVorlError([] { bfdG(0.0, 13.0, 1.0, 2.0, 0.5, 3.0); }, 13, "bfdG");
  expectVorlError([] { bfdG(kNaN, 13.0, 1.0, 2.0, 0.5, 3.0); }, 13, "bfdG");
  expectVorlError([] { bfdG(2.0, 13.0, 1.0, 0.0, 0.5, 3.0); }, 13, "bfdG");
}

TEST(BranchFlowRelation, BreachFluxWithoutInflow) {
  EXPECT_DOUBLE_EQ(bfGe5(5.0, 3.0, 2.0, 0.75, 2.0), 2.0);  // sqrt(1.5 16 / 1.5) / 2
  EXPECT_EQ(bfGe5(5.0, 5.0, 2.0, 0.75, 2.0), 0.0);
  expectVorlError([] { bfGe5(5.0, 3.0, 0.0, 0.75, 2.0); }, 13, "bfGe5");
  expectVorlError([] { bfGe5(5.0, 3.0, kNaN, 0.75, 2.0); }, 13, "bfGe5");
  expectVorlError([] { bfGe5(3.0, 5.0, 2.0, 0.75, 2.0); }, 14, "bfGe5");
  expectVorlError([] { bfGe5(kNaN, 5.0, 2.0, 0.75, 2.0); }, 14, "bfGe5");
}

TEST(BranchFlowRelation, BreachFluxPicksTheRelationByTheInflow) {
  TestLine line;
  const GB pipe = line.wholePipe(2e6, 0.0, 1000.0);
  const double P = 3e5, pe = 1e5, lam = 250.0;
  EXPECT_DOUBLE_EQ(pipe.breachFlux(0.0, P, pe, lam), std::sqrt(1.5 * (P * P - pe * pe) / (kBeta * lam)) / kA2);
  // With inflow, even a breach flux below G comes from bfdG: this G gives D = 1, Ge = 0.
  const double G = std::sqrt(1.5 * (P * P - pe * pe) / (kBeta * lam)) / kA2;
  EXPECT_NEAR(pipe.breachFlux(G, P, pe, lam), 0.0, 1e-9 * G);
}

TEST(BranchFlowRelation, OrificeAndChoking) {
  IIG gas(8314.34, 160000.0);
  const GS record(&gas, 3.2e5, 100.0);  // v = 0.5
  EXPECT_EQ(orificeVelocity(record, 0.25), 200.0);
  EXPECT_EQ(orificeFluxDensity(record, 0.25), 400.0);
  EXPECT_EQ(orificeMachNumber(record, 0.25), 0.5);
  EXPECT_EQ(orificeMachNumber(record, 0.0), 0.0);
  EXPECT_EQ(orificeFluxDensity(record, 0.0), 0.0);
  // An undefined flux is infinite before the zero-aperture rule.
  const GS undefined(&gas, 3.2e5, kInfinite);
  EXPECT_EQ(orificeVelocity(undefined, 0.0), kInfinite);
  EXPECT_TRUE(isChoked(undefined, 0.0));
  const GS sonic(&gas, 3.2e5, 400.0);
  ASSERT_EQ(orificeMachNumber(sonic, 0.5), 1.0);
  EXPECT_FALSE(isChoked(sonic, 0.5));  // exactly 1 is not choked
  EXPECT_TRUE(isChoked(GS(&gas, 3.2e5, std::nextafter(400.0, 1e3)), 0.5));
}

TEST(BranchFlowRelation, ChokedPressureAndCheck) {
  IIG gas(8314.34, 160000.0);
  const double ps = 3.2e5;
  GS machTwo(&gas, ps, 1600.0);  // 1600 0.5 / 400
  // P = 3 ps: P ps / sqrt(ps^2 + 8 ps^2 / 4) = P / sqrt 3.
  EXPECT_DOUBLE_EQ(chokedPressure(machTwo, 3.0 * ps, 1.0), 3.0 * ps / std::sqrt(3.0));
  EXPECT_EQ(chokedPressure(machTwo, 0.5 * ps, 1.0), ps);
  EXPECT_EQ(chokedPressure(machTwo, 3.0 * ps, 0.0), 0.0);
  EXPECT_EQ(chokedPressure(GS(&gas, ps, kInfinite), 3.0 * ps, 1.0), 3.0 * ps);
  EXPECT_NEAR(chokedPressure(GS(&gas, ps, 800.0 * (1 + 1e-9)), 3.0 * ps, 1.0), ps, 1e-6 * ps);  // M -> 1
  EXPECT_NEAR(chokedPressure(GS(&gas, ps, 800.0 * 1e9), 3.0 * ps, 1.0), 3.0 * ps, 1e-6 * ps);  // M large

  EXPECT_TRUE(chokeCheck(machTwo, 3.0 * ps, 1.0));
  EXPECT_DOUBLE_EQ(machTwo.p, 3.0 * ps / std::sqrt(3.0));
  EXPECT_DOUBLE_EQ(machTwo.G, machTwo.p / kA);  // ar pc / a
  GS sonic(&gas, ps, 400.0);
  EXPECT_FALSE(chokeCheck(sonic, 3.0 * ps, 0.5));
  EXPECT_EQ(sonic.p, ps);
}

TEST(BranchFlowRelation, ChokedClosedEndSolve) {
  IIG gas(8314.34, 160000.0);
  const double ps = 3.2e5;
  double farEnd = 0.0, y = 0.0;
  EXPECT_FALSE(SlvChk(GS(&gas, ps, 100.0), 2e6, 1.0, farEnd, y));
  EXPECT_EQ(y, ps);
  EXPECT_EQ(farEnd, (2e6 - ps) / 2.0);

  // Mach 2, X = (P - y) / 2: y = X ps / sqrt(ps^2 + (X^2 - ps^2) / 4), so y^2 (3 ps^2 + X^2) = 4 X^2 ps^2.
  EXPECT_TRUE(SlvChk(GS(&gas, ps, 1600.0), 1e7, 1.0, farEnd, y));
  EXPECT_EQ(farEnd, (1e7 - y) / 2.0);
  EXPECT_NEAR(y * y * (3.0 * ps * ps + farEnd * farEnd) / (4.0 * farEnd * farEnd * ps * ps), 1.0, 1e-7);

  // Undefined flux: F(y) = (P - y) / 2 - y. P = 6 ps puts the root exactly on the first trial 2 ps;
  // P = 1e6 ps keeps F positive up to 99999 ps.
  EXPECT_TRUE(SlvChk(GS(&gas, ps, kInfinite), 6.0 * ps, 1.0, farEnd, y));
  EXPECT_EQ(y, 2.0 * ps);
  expectVorlError([&] { SlvChk(GS(&gas, ps, kInfinite), 1e6 * ps, 1.0, farEnd, y); }, 209, "SlvChk");
}

}  // namespace
}  // namespace vorl
