// The three phases of a branch's release: steps worked apart from the library (30 digits) from each phase's profile and mass balance.
#include <gtest/gtest.h>

#include <cmath>

#include "branch/branch_mass.h"
#include "branch/branch_test_support.h"
#include "branch/flow_relations.h"
#include "branch/phase_dispatch.h"
#include "branch/phase_one.h"
#include "branch/phase_two.h"
#include "branch/phase_three.h"
#include "core/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;

// 2 km at 20 bar carrying 20 kg/(m2 s), breached in the middle: both branches 1 km.
class Phases : public ::testing::Test {
 protected:
  TestLine line;
  const double G0 = 20.0, pa = 1e5, L = 1000.0;
  GB start(int number, double ar = 1.0, double G = 20.0, double p = 2e6) const {
    return breachStart(line.wholePipe(p, G), branchOf(number), pa, 1000.0, ar);
  }
  // Branch B with its front over the whole branch in one step (choke model on again after).
  GB phaseTwo() const {
    ChokeModelSwitch off(false);
    GB b = start(2);
    Evlv1B(b, 2000.0);
    endOfPhaseOne(b);
    return b;
  }
  // A 1 km branch blowing down from 5 s, exit at ambient, closed or fed at its far end.
  GB blowDown(double p, double Gu = 0.0) const {
    GB b = line.wholePipe(2e6, Gu, L);
    b.branch = branchOf(1);
    b.phase = phaseOf(3);
    b.time = 5.0;
    b.orificeAperture = 1.0;
    b.upstream.setPressure(p);
    b.exit.setFluxAndPressure(pa, 123.0);
    return b;
  }
};
using PhaseOne = Phases;
using PhaseTwo = Phases;
using PhaseThree = Phases;

TEST_F(PhaseOne, BranchAStepsByHand) {
  ChokeModelSwitch off(false);
  GB a = start(1);
  // Ge^2 + G0 Ge + G0^2 = 3 (P^2 - pa^2) / (2 beta lam a2^2), P steady ahead of the front.
  const struct { double lam, Ge, t; } steps[] = {{400.0, 2407.152573277078, 0.33154701332458875},
                                                 {800.0, 1699.3166123483385, 1.1343888975529406},
                                                 {1000.0, 1518.9181223989727, 1.6340445180416305}};
  for (const auto& s : steps) {
    ASSERT_TRUE(Evlv1A(a, 400.0));  // the third step is cut to end at L
    EXPECT_EQ(a.lengthDisturbed, s.lam);
    EXPECT_EQ(a.phaseEnded, s.lam == L);
    EXPECT_NEAR(a.exit.G, s.Ge, 1e-9 * s.Ge);
    EXPECT_NEAR(a.time, s.t, 1e-9 * s.t);
    EXPECT_NEAR(a.massInflowPerUnitArea, G0 * s.t, 1e-9 * G0 * s.t);
    EXPECT_NEAR(a.massPerUnitArea, massPerUnitAreaOf(a), 1e-12 * a.massPerUnitArea);
  }
  EXPECT_FALSE(Evlv1A(a, 400.0));
}

TEST_F(PhaseOne, ChokedAndBranchBStepsByHand) {
  // Unchoked, the breach of aperture 0.5 would pass Mach 24.4: the exit stands at pc
  // with the sonic flux ar pc / a (the breach start was choked at pb0: dM/dlam = 0 there).
  GB a = start(1, 0.5);
  ASSERT_TRUE(Evlv1A(a, 250.0));
  EXPECT_TRUE(a.choked);
  EXPECT_NEAR(a.exit.p, 1546853.4930090674, 1e-6);
  EXPECT_NEAR(a.exit.G, 0.5 * a.exit.p / kA, 1e-9);
  EXPECT_NEAR(a.time, 0.061598867819141066, 1e-12);

  // Branch B: the outflow is driven from the pressure peak inside the disturbed zone.
  ChokeModelSwitch off(false);
  GB b = start(2);
  ASSERT_TRUE(Evlv1B(b, 300.0));
  EXPECT_NEAR(b.lengthToPressurePeak, 299.9878668426517, 1e-9);
  EXPECT_NEAR(b.exit.G, 2790.7138431622645, 1e-9);
  EXPECT_NEAR(b.time, 0.21118833698640488, 1e-12);
  EXPECT_NEAR(b.massInflowPerUnitArea, -4.2237667397280975, 1e-12);  // the outlet still takes gas away
  EXPECT_NEAR(b.massPerUnitArea, massPerUnitAreaOf(b), 1e-12 * b.massPerUnitArea);
}

TEST_F(PhaseOne, FrontStopsAtTheFarEndWithTimeNeverDecreasing) {
  for (int number : {1, 2}) {
    GB b = start(number, 0.8);
    const double firstStep = number == 1 ? 2.0 * L / 95.0 : 3.0 * L / 100.0;
    double dl = firstStep, lastTime = 0.0;
    for (int steps = 0; !b.phaseEnded && steps < 100; ++steps) {
      ASSERT_TRUE(phaseStep(b, dl));
      EXPECT_GE(b.time, lastTime);
      lastTime = b.time;
    }
    EXPECT_EQ(dl, firstStep);
    EXPECT_EQ(b.lengthDisturbed, L);
    EXPECT_TRUE(endOfPhaseOne(b));  // branch B's outlet delivers on: see phase two
    EXPECT_FALSE(b.phaseEnded);
    EXPECT_EQ(b.phase, phaseOf(number == 1 ? 3 : 2));
  }
}

TEST_F(PhaseOne, NegligibleStepNoNetOutflowAndALineAtAmbient) {
  ChokeModelSwitch off(false);
  GB b = start(2);
  ASSERT_TRUE(Evlv1B(b, 100.0));
  const GB before = b;
  EXPECT_FALSE(Evlv1B(b, 1e-12));  // negligible: below 1e-13 of lambda
  expectSameState(b, before);
  // No net outflow at the breach leaves the time undefined.
  GB a = start(1);
  b = start(2);
  a.exit.G = G0;
  b.exit.G = -G0;
  ASSERT_TRUE(Evlv1A(a, 100.0));
  ASSERT_TRUE(Evlv1B(b, 100.0));
  EXPECT_EQ(a.time, kInfinite);
  EXPECT_EQ(a.massInflowPerUnitArea, kInfinite);
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_EQ(b.massInflowPerUnitArea, -kInfinite);
  // A line at ambient pressure forms no peak in branch B.
  b = start(2, 1.0, 0.0, pa);
  ASSERT_TRUE(Evlv1B(b, 100.0));
  EXPECT_EQ(b.lengthToPressurePeak, 100.0);  // L - rem
  EXPECT_EQ(b.exit.G, 0.0);
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_NEAR(b.massPerUnitArea, L * pa / kA2, 1e-9);
}

TEST_F(PhaseOne, Raises) {
  // Strong friction ahead of the breach (pb0 = 5 bar) and a tiny orifice: the
  // choked exit stands near P1, above pb0. The step would reach the far end:
  // the raise leaves phaseEnded unset too.
  GB a = start(1, 1e-4);
  a.pressureAtBreachInitial = 5e5;
  expectRaiseKeeps(a, [&] { Evlv1A(a, 2.0 * L); }, VORL_E_EXIT_NOT_BELOW_BREACH, "Evlv1A");
  ChokeModelSwitch off(false);
  for (int number : {1, 2}) {
    GB b = start(number);
    b.pressureAtBreachInitial = 2e5;
    double back = -L, past = L + 100.0;
    const char* tag = number == 1 ? "Evlv1A" : "Evlv1B";
    expectRaiseKeeps(b, [&] { phaseStep(b, back); }, VORL_E_NEGATIVE_ROOT, tag);  // new front: 4e10 - (4e12 - 4e10) < 0
    b.lengthDisturbed = -L;
    expectRaiseKeeps(b, [&] { phaseStep(b, past); }, VORL_E_NEGATIVE_ROOT, tag);  // old front
  }
}

TEST_F(PhaseTwo, StepsByHandEndExactlyAtRest) {
  GB b = phaseTwo();
  ChokeModelSwitch off(false);
  ASSERT_EQ(b.phase, phaseOf(2));
  ASSERT_NEAR(b.time, 1.2779109848173635, 1e-12);
  const double q0 = branchQ(b), pf = b.upstream.p;
  ASSERT_NEAR(q0, -31997.950360252494, 1e-8);  // q^2 = (pb0 - p0) p0
  // The peak of the quadratic profile drives bfGe5; the far-end pressure stays.
  const struct { double q, Ge, peak, t, inflow; } steps[] = {
      {0.6 * q0, 1528.2683070130184, 999.95145464081297, 1.2781320990790171, -25.561757297931437},
      {0.2 * q0, 1528.2353299655273, 999.99460560564978, 1.2782432354588915, -25.562646332023047},
      {0.0, 1528.231207965601, 1000.0, 1.278257182070154, -25.562674223458977}};  // past rest: ends at q = 0
  double dq = -0.4 * q0;
  for (const auto& s : steps) {
    ASSERT_TRUE(phaseStep(b, dq));
    EXPECT_NEAR(branchQ(b), s.q, 1e-9 * std::fabs(q0));
    EXPECT_NEAR(b.exit.G, s.Ge, 1e-9 * s.Ge);
    EXPECT_NEAR(b.lengthToPressurePeak, s.peak, 1e-9 * L);
    EXPECT_NEAR(b.time, s.t, 1e-12);
    EXPECT_NEAR(b.massInflowPerUnitArea, s.inflow, 1e-10);
    EXPECT_EQ(b.upstream.p, pf);
    EXPECT_EQ(b.phase, phaseOf(s.q == 0.0 ? 3 : 2));
  }
  EXPECT_EQ(b.upstream.G, 0.0);
}

TEST_F(PhaseTwo, EdgesAndRaises) {
  GB b = phaseTwo();
  const double q = branchQ(b), t = b.time;
  const GB before = b;
  EXPECT_FALSE(evolv2(b, -q * 1e-14));  // negligible
  expectSameState(b, before);
  b.exit.G = -1e3;  // the breach loses less than the far end delivers
  ASSERT_TRUE(evolv2(b, -q / 4.0));
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_EQ(b.massInflowPerUnitArea, -kInfinite);
  b = phaseTwo();
  b.upstream.G = 0.0;  // at rest on entry: any step only moves to phase 3
  ASSERT_TRUE(evolv2(b, 1.0));
  EXPECT_EQ(b.phase, phaseOf(3));
  EXPECT_EQ(b.time, t);
  b.upstream.G = 1.0;  // toward the breach: no step
  EXPECT_FALSE(evolv2(b, 1.0));

  b = phaseTwo();
  b.upstream.setPressure(pa);
  EXPECT_TRUE(evolv2(b, -q / 4.0));  // at ambient is allowed
  b.upstream.setPressure(0.9 * pa);
  expectRaiseKeeps(b, [&] { evolv2(b, -q / 4.0); }, VORL_E_DECAY_BELOW_AMBIENT, "evolv2");
  expectRaiseKeeps(b, [&] { evolv2(b, -2.0 * q); }, VORL_E_DECAY_BELOW_AMBIENT, "evolv2");  // would reach rest
  b.beta = -kBeta;
  expectVorlError([&] { evolv2(b, 1.0); }, VORL_E_NEGATIVE_ROOT, "GFq");
}

TEST_F(PhaseThree, ClosedUnchokedBlowDownFollowsTheArccoshForm) {
  ChokeModelSwitch off(false);
  const auto acosh = [](double z) { return std::log(z + std::sqrt(z * z - 1.0)); };
  const double scale = std::sqrt(8.0 / 27.0) * std::sqrt(kBeta * L) * L;
  GB b = blowDown(2e6);
  double dp = -(2e6 - pa) / 10.0;
  int steps = 0;
  for (; b.phase == phaseOf(3) && steps < 20; ++steps) {
    const double p = b.upstream.p, t0 = b.time;
    ASSERT_TRUE(phaseStep(b, dp));
    EXPECT_NEAR(b.time, t0 + scale * (acosh(p / pa) - acosh(std::fmax(b.upstream.p / pa, 1.0))), 1e-12 * b.time);
    EXPECT_GE(b.time, t0);
  }
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(b.phase, phaseOf(4));  // the last step ends exactly on the exit pressure
  EXPECT_EQ(b.upstream.p, pa);
  EXPECT_EQ(b.exit.G, 0.0);
  EXPECT_NEAR(b.time, 5.0 + scale * acosh(20.0), 1e-12 * b.time);
  EXPECT_DOUBLE_EQ(b.massPerUnitArea, L * pa / kA2);
  EXPECT_FALSE(phaseStep(b, dp));
}

TEST_F(PhaseThree, InflowStepByHandThenTheSteadyLimitAfterInfiniteTime) {
  ChokeModelSwitch off(false);
  GB b = blowDown(2e6, 20.0);
  double dp = -2e5;
  ASSERT_TRUE(evolv3(b, dp));
  EXPECT_EQ(b.upstream.p, 1.8e6);
  EXPECT_EQ(dp, -2e5);
  EXPECT_NEAR(b.time, 5.5876715045494644, 1e-12);
  EXPECT_NEAR(b.massInflowPerUnitArea, 11.753430090989288, 1e-10);
  EXPECT_NEAR(b.exit.G, 1365.6010050156259, 1e-9);

  const double limit = lowestFarEndPressure(b.upstream.G, branchQ(b), pa);
  ASSERT_NEAR(limit, 109763.38187209795, 1e-8);  // sqrt(2 q^2 + pa^2)
  bool halved = false;
  for (int steps = 0; b.phase == phaseOf(3) && steps < 200; ++steps) {
    const double p = b.upstream.p, t0 = b.time;
    ASSERT_TRUE(phaseStep(b, dp));
    halved = halved || (b.phase == phaseOf(3) && b.upstream.p == (limit + p) / 2.0);
    EXPECT_GE(b.upstream.p, limit);
    EXPECT_GE(b.time, t0);
  }
  EXPECT_TRUE(halved);
  EXPECT_EQ(b.phase, phaseOf(4));
  EXPECT_DOUBLE_EQ(b.upstream.p, limit);
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_EQ(b.massInflowPerUnitArea, kInfinite);
}

TEST_F(PhaseThree, ChokingSelectsTheTrapezoidalRuleAndDechokingShortensTheNextStep) {
  GB b = blowDown(2e6);
  b.choked = true;
  b.orificeAperture = 0.01;
  double dp = -2e5;
  ASSERT_TRUE(evolv3(b, dp));
  ASSERT_TRUE(b.choked);
  // q = 0: R = 4 / sqrt(6 (p^2 - pe^2)).
  const double R0 = 4.0 / std::sqrt(6.0 * (4e12 - pa * pa));
  const double R1 = 4.0 / std::sqrt(6.0 * (3.24e12 - b.exit.p * b.exit.p));
  EXPECT_NEAR(b.time, 5.0 + (std::sqrt(kBeta * L) * L / 3.0) * (R0 + R1) * 1e5, 1e-12 * b.time);

  ChokeModelSwitch off(false);
  b = blowDown(2e6);
  b.choked = true;
  dp = -5e5;
  ASSERT_TRUE(evolv3(b, dp));
  EXPECT_FALSE(b.choked);
  EXPECT_DOUBLE_EQ(dp, -(1.5e6 - pa) / 10.0);  // a tenth of the way to the limit
}

TEST_F(PhaseThree, NegligibleAndClampedSteps) {
  ChokeModelSwitch off(false);
  // A negligible step that still lowers p0 keeps the old exit record.
  GB b = blowDown(2e6);
  double dp = -1e-8;
  ASSERT_TRUE(evolv3(b, dp));
  EXPECT_EQ(b.exit.G, 123.0);
  EXPECT_EQ(b.phase, phaseOf(3));
  EXPECT_GT(b.time, 5.0);
  EXPECT_LT(b.upstream.p, 2e6);
  // One too small to move p0 at all (a cut after blowing down), or none, finishes
  // instead of repeating one state without end.
  b = blowDown(std::nextafter(pa, 2e5));
  dp = -(b.upstream.p - pa) / 100.0;
  ASSERT_EQ(b.upstream.p + dp, b.upstream.p);
  ASSERT_TRUE(phaseStep(b, dp));
  EXPECT_EQ(b.phase, phaseOf(4));
  EXPECT_EQ(b.upstream.p, pa);
  EXPECT_FALSE(phaseStep(b, dp));
  b = blowDown(2e6);
  dp = 0.0;
  ASSERT_TRUE(evolv3(b, dp));
  EXPECT_EQ(b.phase, phaseOf(4));

  // A step past the limit is clamped to it; it finishes only with the exit at ambient.
  PhaseThreePreparation prepared;
  ASSERT_TRUE(preparePhaseThreeStep(blowDown(2e6), -5e6, prepared));
  EXPECT_EQ(prepared.dp, pa - 2e6);
  EXPECT_TRUE(prepared.finishing);
  b = blowDown(2e6);
  b.exit.setPressure(3e5);
  ASSERT_TRUE(preparePhaseThreeStep(b, -5e6, prepared));
  EXPECT_EQ(prepared.dp, 3e5 - 2e6);
  EXPECT_EQ(prepared.newPhase, Phase::kBlowDown);
  // No step when the far end is not above the exit.
  b = blowDown(pa);
  const GB before = b;
  EXPECT_FALSE(evolv3(b, dp));
  expectSameState(b, before);
}

TEST_F(PhaseThree, RaisesLeaveBranchAndStepUnchanged) {
  ChokeModelSwitch off(false);
  // An exit recorded far below ambient lowers the limit until the new far-end
  // pressure is below ambient: the flux with inflow has no real root.
  GB b = blowDown(0.95 * pa, 20.0);
  b.exit.setPressure(0.5 * pa);
  double dp = -1e3;
  expectRaiseKeeps(b, [&] { evolv3(b, dp); }, VORL_E_BREACH_FLUX_NO_ROOT, "bfdG");
  EXPECT_EQ(dp, -1e3);
  b.beta = -kBeta;
  expectVorlError([&] { evolv3(b, dp); }, VORL_E_NEGATIVE_ROOT, "GFq");
}

}  // namespace
}  // namespace vorl
