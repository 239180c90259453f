// The branch states and the flow relations they are built from.
#include "branch/branch_setup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "branch/branch_mass.h"
#include "branch/branch_test_support.h"
#include "branch/choke.h"
#include "branch/flow_relations.h"
#include "core/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;

// 2 km at 20 bar carrying 20 kg/(m2 s): q^2 = 2e-4 (1.6e5 20)^2 = 2.048e9 Pa^2.
class BranchTest : public ::testing::Test {
 protected:
  TestLine line;
  GB whole = line.wholePipe(2e6, 20.0);
  const double ps = 3.2e5;  // v = 0.5: Mach = G v / (ar a) = G / (800 ar)
  GS at(double G) const { return GS(&line.gas, ps, G); }
  // A 1 km branch set into a phase by hand.
  GB branchIn(int phase, int number, double p0, double pe, double Gu = 0.0, double lam = 0.0) const {
    GB b = line.wholePipe(p0, 0.0, 1000.0);
    b.branch = branchOf(number);
    b.phase = phaseOf(phase);
    b.upstream.setFluxAndPressure(p0, Gu);
    b.exit.setPressure(pe);
    b.lengthDisturbed = lam;
    b.pressureAtBreachInitial = 2e5;
    return b;
  }
};
using FlowRelation = BranchTest;

TEST_F(FlowRelation, RaisesWithCodeAndTag) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  expectVorlError([&] { GFq(at(0.5), -1.0, 25.0); }, VORL_E_NEGATIVE_ROOT, "GFq");
  expectVorlError([&] { GFq(at(0.5), nan, 25.0); }, VORL_E_NEGATIVE_ROOT, "GFq");
  expectVorlError([] { GBpu(std::nextafter(4.0, 0.0), 2.0, 2.0); }, VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBpu");
  expectVorlError([&] { GBpu(nan, 2.0, 2.0); }, VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBpu");
  expectVorlError([] { bfdG(2.0, 7.0, 7.0, 2.0, 0.5, 3.0); }, VORL_E_BREACH_FLUX_NO_ROOT, "bfdG");  // P = pe: D = -3
  expectVorlError([&] { bfdG(2.0, nan, 7.0, 2.0, 0.5, 3.0); }, VORL_E_BREACH_FLUX_NO_ROOT, "bfdG");
  expectVorlError([] { bfdG(0.0, 13.0, 1.0, 2.0, 0.5, 3.0); }, VORL_E_NOT_POSITIVE, "bfdG");
  expectVorlError([&] { bfdG(nan, 13.0, 1.0, 2.0, 0.5, 3.0); }, VORL_E_NOT_POSITIVE, "bfdG");
  expectVorlError([] { bfdG(2.0, 13.0, 1.0, 0.0, 0.5, 3.0); }, VORL_E_NOT_POSITIVE, "bfdG");
  expectVorlError([] { bfGe5(5.0, 3.0, 0.0, 0.75, 2.0); }, VORL_E_NOT_POSITIVE, "bfGe5");
  expectVorlError([&] { bfGe5(5.0, 3.0, nan, 0.75, 2.0); }, VORL_E_NOT_POSITIVE, "bfGe5");
  expectVorlError([] { bfGe5(3.0, 5.0, 2.0, 0.75, 2.0); }, VORL_E_NEGATIVE_ROOT, "bfGe5");
  expectVorlError([&] { bfGe5(nan, 5.0, 2.0, 0.75, 2.0); }, VORL_E_NEGATIVE_ROOT, "bfGe5");
  // Undefined flux: F(y) = (P - y) / 2 - y stays positive up to 99999 ps when P = 1e6 ps.
  double farEnd = 0.0, y = 0.0;
  expectVorlError([&] { SlvChk(at(kInfinite), 1e6 * ps, 1.0, farEnd, y); }, VORL_E_CHOKED_SOLVE_NO_ROOT, "SlvChk");
}

TEST_F(FlowRelation, ChokedPressureLimitsAndCheck) {
  // The orifice is choked above Mach 1: exactly 1 (G = 800 ar here) is not.
  EXPECT_FALSE(isChoked(at(400.0), 0.5));
  EXPECT_TRUE(isChoked(at(std::nextafter(400.0, 1e3)), 0.5));
  EXPECT_TRUE(isChoked(at(kInfinite), 0.0));  // an undefined flux before the zero-aperture rule
  // Mach 2, P = 3 ps: P ps / sqrt(ps^2 + 8 ps^2 / 4) = P / sqrt 3.
  EXPECT_DOUBLE_EQ(chokedPressure(at(1600.0), 3.0 * ps, 1.0), 3.0 * ps / std::sqrt(3.0));
  EXPECT_EQ(chokedPressure(at(1600.0), 0.5 * ps, 1.0), ps);
  EXPECT_EQ(chokedPressure(at(1600.0), 3.0 * ps, 0.0), 0.0);
  EXPECT_EQ(chokedPressure(at(kInfinite), 3.0 * ps, 1.0), 3.0 * ps);
  EXPECT_NEAR(chokedPressure(at(800.0 * (1 + 1e-9)), 3.0 * ps, 1.0), ps, 1e-6 * ps);  // M -> 1
  EXPECT_NEAR(chokedPressure(at(800.0 * 1e9), 3.0 * ps, 1.0), 3.0 * ps, 1e-6 * ps);  // M large

  GS record = at(1600.0);
  EXPECT_TRUE(chokeCheck(record, 3.0 * ps, 1.0));
  EXPECT_DOUBLE_EQ(record.p, 3.0 * ps / std::sqrt(3.0));
  EXPECT_DOUBLE_EQ(record.G, record.p / kA);  // ar pc / a
  record = at(400.0);
  EXPECT_FALSE(chokeCheck(record, 3.0 * ps, 0.5));
  EXPECT_EQ(record.p, ps);
}

TEST_F(FlowRelation, ChokedClosedEndSolve) {
  double farEnd = 0.0, y = 0.0;
  EXPECT_FALSE(SlvChk(at(100.0), 2e6, 1.0, farEnd, y));
  EXPECT_EQ(y, ps);
  EXPECT_EQ(farEnd, (2e6 - ps) / 2.0);
  // Mach 2, X = (P - y) / 2: y = X ps / sqrt(ps^2 + (X^2 - ps^2) / 4), so y^2 (3 ps^2 + X^2) = 4 X^2 ps^2.
  EXPECT_TRUE(SlvChk(at(1600.0), 1e7, 1.0, farEnd, y));
  EXPECT_EQ(farEnd, (1e7 - y) / 2.0);
  EXPECT_NEAR(y * y * (3.0 * ps * ps + farEnd * farEnd) / (4.0 * farEnd * farEnd * ps * ps), 1.0, 1e-7);
  // Undefined flux, P = 6 ps: the root lies exactly on the first trial 2 ps.
  EXPECT_TRUE(SlvChk(at(kInfinite), 6.0 * ps, 1.0, farEnd, y));
  EXPECT_EQ(y, 2.0 * ps);
}

TEST_F(BranchTest, PreBreachStatesSplitTheSteadyFlow) {
  const GB a = preBreach(whole, branchOf(1), 500.0);
  const GB b = preBreach(whole, branchOf(2), 500.0);
  EXPECT_EQ(a.length, 500.0);
  EXPECT_NEAR(a.exit.p, std::sqrt(4e12 - 2.048e9 / 2.0), 1e-6);  // p^2 falls by 2 q^2 x / L
  EXPECT_EQ(a.exit.G, 20.0);
  // Branch B looks back from the outlet: its fluxes are reversed.
  EXPECT_EQ(b.length, 1500.0);
  EXPECT_NEAR(b.upstream.p, std::sqrt(4e12 - 2.0 * 2.048e9), 1e-6);
  EXPECT_EQ(b.upstream.G, -20.0);
  EXPECT_EQ(b.exit.G, -20.0);
  EXPECT_NEAR(a.massPerUnitArea + b.massPerUnitArea, whole.massPerUnitArea, 1e-10 * whole.massPerUnitArea);
  EXPECT_EQ(preBreach(whole, branchOf(1), 0.0).length, 0.0);  // both ends are inside
}

TEST_F(BranchTest, ConstructorRefusalsInOrder) {
  expectVorlError([&] { preBreach(whole, branchOf(1), -1.0); }, VORL_E_BREACH_OUTSIDE_PIPE, "GBctor");
  expectVorlError([&] { breachStart(whole, branchOf(2), 1e5, std::nextafter(2000.0, 3e3), 1.0); },
                  VORL_E_BREACH_OUTSIDE_PIPE, "GBctor");
  expectVorlError([&] { preBreach(whole, branchOf(5), -1.0); }, VORL_E_BREACH_OUTSIDE_PIPE,
                  "GBctor");  // location before branch
  expectVorlError([&] { preBreach(whole, branchOf(5), 100.0); }, VORL_E_UNKNOWN_BRANCH, "GBctor");
  expectVorlError([&] { breachStart(whole, branchOf(3), 1e5, 100.0, 1.0); }, VORL_E_UNKNOWN_BRANCH, "GBctor");
  expectVorlError([&] { breachStart(whole, branchOf(1), 0.0, 100.0, 1.0); }, VORL_E_NOT_POSITIVE, "IIGv_p");
  GB rising = whole;
  rising.exit.setPressure(2.1e6);
  expectVorlError([&] { preBreach(rising, branchOf(1), 100.0); }, VORL_E_FAR_END_ABOVE_UPSTREAM, "GBctor");
  // 4000 kg/(m2 s) loses more than p0 to friction (kept 205) yet is Mach 0.8 at p0.
  const GB overloaded = line.wholePipe(2e6, 4000.0);
  EXPECT_EQ(overloaded.constructionError, VORL_E_FRICTION_EXCEEDS_PRESSURE);
  expectVorlError([&] { preBreach(overloaded, branchOf(1), -1.0); }, VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBctor");
  expectVorlError([&] { breachStart(overloaded, branchOf(1), 1e5, 100.0, 1.0); }, VORL_E_FRICTION_EXCEEDS_PRESSURE,
                  "GBpu");
}

TEST_F(BranchTest, MassIntegralFromAPosition) {
  for (int phase : {1, 2, 3, 4}) EXPECT_EQ(massIntegralFrom(branchIn(phase, 2, 3e5, 1e5, 0.0, 400.0), 1000.0), 0.0);
  EXPECT_EQ(massIntegralFrom(branchIn(3, 1, 3e5, 1e5), 1500.0), 0.0);
  EXPECT_EQ(massIntegralFrom(branchIn(2, 1, 3e5, 1e5, -50.0), 100.0), 0.0);  // no phase 2 in branch A
  EXPECT_EQ(massIntegralFrom(branchIn(3, 3, 3e5, 1e5), 100.0), 0.0);
  // Closed far end: p = p0 - (p0 - pe)(x / L)^2; from 500 m: 1.5e8 - 2e5 (1000 / 3)(1 - 1/8).
  EXPECT_NEAR(massIntegralFrom(branchIn(3, 1, 3e5, 1e5), 500.0), 1.5e8 - 2e5 * 875.0 / 3.0, 1e-6);
  const GB phaseTwo = branchIn(2, 2, 3e5, 1e5, -50.0);
  EXPECT_NEAR(massIntegralFrom(phaseTwo, 0.0), massPerUnitAreaOf(phaseTwo) * kA2, 1e-6);
  // Finished (a valve cut of a blown-down branch): p linear, p(400) = 2.2e5, 600 (2.2e5 + 1e5) / 2.
  EXPECT_DOUBLE_EQ(massIntegralFrom(branchIn(4, 1, 3e5, 1e5), 400.0), 9.6e7);
  EXPECT_DOUBLE_EQ(massIntegralFrom(branchIn(4, 2, 3e5, 1e5), 0.0), 2e8);
  for (int number : {1, 2}) {  // continuous across the front at d = 600
    const GB b = branchIn(1, number, 3e5, 1e5, 0.0, 400.0);
    EXPECT_NEAR(massIntegralFrom(b, 600.0), massIntegralFrom(b, std::nextafter(600.0, 1e3)), 1e-3);
  }
  // Undisturbed: the steady profile, integrated by Simpson's rule from 300 m.
  const auto p = [](double x) { return std::sqrt(9e10 - 5e10 * x / 1000.0); };
  double simpson = p(300.0) + p(1000.0);
  for (int i = 1; i < 700; ++i) simpson += (i % 2 ? 4.0 : 2.0) * p(300.0 + i);
  EXPECT_NEAR(massIntegralFrom(branchIn(1, 1, 3e5, 1e5), 300.0), simpson / 3.0, 1e-3);
}

}  // namespace
}  // namespace vorl
