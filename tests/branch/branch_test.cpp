#include "branch/branch.h"

#include <gtest/gtest.h>

#include <cmath>

#include "branch/branch_test_support.h"
#include "model/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;

// 2 km at 20 bar carrying 20 kg/(m2 s): q^2 = 2e-4 (1.6e5 20)^2 = 2.048e9 Pa^2.
class BranchTest : public ::testing::Test {
 protected:
  TestLine line;
  GB whole = line.wholePipe(2e6, 20.0);
  static double steadyAt(double x) { return std::sqrt(4e12 - 2.0 * 2.048e9 * x / 2000.0); }
  static double steadyMass(double L, double a, double b) {
    return (2.0 / 3.0) * L * (a * a + a * b + b * b) / (a + b) / kA2;
  }
  // A 1 km branch set into a phase by hand.
  GB branchIn(int phase, int number, double p0, double pe, double Gu = 0.0, double lam = 0.0) const {
    GB b = line.wholePipe(p0, 0.0, 1000.0);
    b.branch = number;
    b.phase = phase;
    b.upstream.setFluxAndPressure(p0, Gu);
    b.exit.setPressure(pe);
    b.lengthDisturbed = lam;
    b.pressureAtBreachInitial = 2e5;
    return b;
  }
};

TEST_F(BranchTest, PreBreachStatesSplitTheSteadyFlow) {
  const GB a = GB::preBreach(whole, 1, 500.0);
  const GB b = GB::preBreach(whole, 2, 500.0);
  EXPECT_EQ(a.length, 500.0);
  EXPECT_EQ(a.lengthToPressurePeak, 500.0);
  EXPECT_NEAR(a.exit.p, steadyAt(500.0), 1e-6);
  EXPECT_EQ(a.exit.G, 20.0);
  EXPECT_NEAR(a.massPerUnitArea, steadyMass(500.0, 2e6, steadyAt(500.0)), 1e-9);
  // Branch B looks back from the outlet: its fluxes are reversed.
  EXPECT_EQ(b.length, 1500.0);
  EXPECT_NEAR(b.upstream.p, steadyAt(2000.0), 1e-6);
  EXPECT_EQ(b.upstream.G, -20.0);
  EXPECT_EQ(b.exit.G, -20.0);
  EXPECT_EQ(b.fluxDensityInitial, 20.0);
  EXPECT_EQ(b.phase, -1);
  EXPECT_NEAR(a.massPerUnitArea + b.massPerUnitArea, whole.massPerUnitArea, 1e-10 * whole.massPerUnitArea);
}

TEST_F(BranchTest, BreachStartStates) {
  const GB a = GB::breachStart(whole, 1, 1e5, 500.0, 0.5);  // choke model on
  EXPECT_EQ(a.phase, 1);
  EXPECT_TRUE(a.choked);
  EXPECT_EQ(a.exit.p, a.pressureAtBreachInitial);
  EXPECT_DOUBLE_EQ(a.exit.G, 0.5 * a.pressureAtBreachInitial / kA);  // ar pb0 / a
  EXPECT_NEAR(a.massPerUnitArea, GB::preBreach(whole, 1, 500.0).massPerUnitArea, 1e-10 * a.massPerUnitArea);

  ChokeModelSwitch off(false);
  const GB b = GB::breachStart(whole, 2, 1e5, 500.0, 0.5);
  EXPECT_FALSE(b.choked);
  EXPECT_EQ(b.exit.p, 1e5);
  EXPECT_EQ(b.exit.G, kInfinite);
  EXPECT_EQ(b.fluxDensityInitial, 0.0);
  EXPECT_FALSE(b.hasInflow);
  EXPECT_EQ(b.upstream.G, -20.0);
  EXPECT_EQ(GB::breachStart(whole, 1, 1e5, 2000.0, 1.0).length, 2000.0);  // both ends are inside
  EXPECT_EQ(GB::preBreach(whole, 1, 0.0).length, 0.0);
}

TEST_F(BranchTest, ConstructorRefusalsInOrder) {
  expectVorlError([&] { GB::preBreach(whole, 1, -1.0); }, 202, "GBctor");
  expectVorlError([&] { GB::breachStart(whole, 2, 1e5, std::nextafter(2000.0, 3e3), 1.0); }, 202, "GBctor");
  expectVorlError([&] { GB::preBreach(whole, 5, -1.0); }, 202, "GBctor");  // location before branch
  expectVorlError([&] { GB::preBreach(whole, 5, 100.0); }, 7, "GBctor");
  expectVorlError([&] { GB::breachStart(whole, 3, 1e5, 100.0, 1.0); }, 7, "GBctor");
  expectVorlError([&] { GB::breachStart(whole, 1, 0.0, 100.0, 1.0); }, 13, "IIGv_p");
  GB rising = whole;
  rising.exit.setPressure(2.1e6);
  expectVorlError([&] { GB::preBreach(rising, 1, 100.0); }, 204, "GBctor");
  // 4000 kg/(m2 s) loses more than p0 to friction (kept 205) yet is Mach 0.8 at p0.
  const GB overloaded = line.wholePipe(2e6, 4000.0);
  EXPECT_EQ(overloaded.constructionError, 205);
  expectVorlError([&] { GB::preBreach(overloaded, 1, -1.0); }, 205, "GBctor");
  expectVorlError([&] { GB::breachStart(overloaded, 1, 1e5, 100.0, 1.0); }, 205, "GBpu");
}

TEST_F(BranchTest, MassPerUnitAreaByPhase) {
  EXPECT_NEAR(branchIn(-1, 1, 3e5, 2e5).massPerUnitAreaOfBranch(), 253333333.33333333 / kA2, 1e-9);
  // Gu = -50: q^2 = (1.6e5 50)^2 1e-4 = 6.4e9, q^2 / p0 = 21333.33.
  EXPECT_NEAR(branchIn(2, 2, 3e5, 1e5, -50.0).massPerUnitAreaOfBranch(), 1421333.3333333333 / 6.0 / 160.0, 1e-9);
  EXPECT_NEAR(branchIn(3, 2, 3e5, 1e5, -50.0).massPerUnitAreaOfBranch(), 1378666.6666666667 / 6.0 / 160.0, 1e-9);
  EXPECT_DOUBLE_EQ(branchIn(4, 1, 3e5, 1e5).massPerUnitAreaOfBranch(), 1250.0);  // 1000 4e5 / 2 / 1.6e5
  EXPECT_EQ(branchIn(0, 1, 3e5, 1e5).massPerUnitAreaOfBranch(), 0.0);
}

TEST_F(BranchTest, MassIntegralFromAPosition) {
  for (int phase : {1, 2, 3, 4}) EXPECT_EQ(branchIn(phase, 2, 3e5, 1e5, 0.0, 400.0).massIntegralFrom(1000.0), 0.0);
  EXPECT_EQ(branchIn(3, 1, 3e5, 1e5).massIntegralFrom(1500.0), 0.0);
  EXPECT_EQ(branchIn(2, 1, 3e5, 1e5, -50.0).massIntegralFrom(100.0), 0.0);  // no phase 2 in branch A
  EXPECT_EQ(branchIn(3, 3, 3e5, 1e5).massIntegralFrom(100.0), 0.0);
  // Closed far end: p = p0 - (p0 - pe)(x / L)^2; from 500 m: 1.5e8 - 2e5 (1000 / 3)(1 - 1/8).
  EXPECT_NEAR(branchIn(3, 1, 3e5, 1e5).massIntegralFrom(500.0), 1.5e8 - 2e5 * 875.0 / 3.0, 1e-6);
  const GB phaseTwo = branchIn(2, 2, 3e5, 1e5, -50.0);
  EXPECT_NEAR(phaseTwo.massIntegralFrom(0.0), phaseTwo.massPerUnitAreaOfBranch() * kA2, 1e-6);
  // Finished: p linear, p(400) = 2.2e5, (600)(2.2e5 + 1e5) / 2; cut there, the 600 m left
  // hold a far-end pressure (3 I / 600 - pa) / 2 = 1.9e5 above ambient.
  EXPECT_DOUBLE_EQ(branchIn(4, 1, 3e5, 1e5).massIntegralFrom(400.0), 9.6e7);
  EXPECT_DOUBLE_EQ(branchIn(4, 2, 3e5, 1e5).massIntegralFrom(0.0), 2e8);
}

TEST_F(BranchTest, MassIntegralInPhaseOne) {
  // lam = 400, s = 800: u = 0.5, Pf = sqrt(6e10); A: h = -(5e10 / (2 Pf)) 0.2; B: h = (-5e10 / (2e5 + Pf)) 0.2.
  EXPECT_NEAR(branchIn(1, 1, 3e5, 1e5, 0.0, 400.0).massIntegralFrom(800.0), 30718253.554980278, 1e-5);
  EXPECT_NEAR(branchIn(1, 2, 3e5, 1e5, 0.0, 400.0).massIntegralFrom(800.0), 30580782.047249228, 1e-5);
  for (int number : {1, 2}) {  // continuous across the front at d = 600
    const GB b = branchIn(1, number, 3e5, 1e5, 0.0, 400.0);
    EXPECT_NEAR(b.massIntegralFrom(600.0), b.massIntegralFrom(std::nextafter(600.0, 1e3)), 1e-3);
  }
  // Undisturbed: the steady profile, integrated by Simpson's rule from 300 m.
  const auto p = [](double x) { return std::sqrt(9e10 - 5e10 * x / 1000.0); };
  double simpson = p(300.0) + p(1000.0);
  for (int i = 1; i < 700; ++i) simpson += (i % 2 ? 4.0 : 2.0) * p(300.0 + i);
  EXPECT_NEAR(branchIn(1, 1, 3e5, 1e5).massIntegralFrom(300.0), simpson / 3.0, 1e-3);
}

}  // namespace
}  // namespace vorl
