#include <gtest/gtest.h>

#include <cmath>

#include "branch/branch_test_support.h"
#include "branch/phase_dispatch.h"
#include "model/constants.h"

namespace vorl {
namespace {

using namespace vorl::testing;

// 2 km at 20 bar carrying 20 kg/(m2 s), breached in the middle: both branches 1 km.
class PhaseOneTest : public ::testing::Test {
 protected:
  TestLine line;
  const double p0 = 2e6, G0 = 20.0, pa = 1e5, L = 1000.0;
  GB whole = line.wholePipe(p0, G0);
  GB start(int number, double ar = 1.0) const { return GB::breachStart(whole, number, pa, 1000.0, ar); }
  static double ahead(double pb0, double pf, double lam) { return std::sqrt(pb0 * pb0 + (pf * pf - pb0 * pb0) * lam / 1e3); }
};

TEST_F(PhaseOneTest, BranchAStepsByHand) {
  ChokeModelSwitch off(false);
  GB a = start(1);
  const double pb0 = std::sqrt(4e12 - 2.048e9);
  ASSERT_NEAR(a.pressureAtBreachInitial, pb0, 1e-6);
  const double lams[] = {0.0, 400.0, 800.0, 1000.0};
  double t = 0.0, Ge0 = kInfinite;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(Evlv1A(a, 400.0));  // the third step is cut to end at L
    const double P0 = ahead(pb0, p0, lams[i - 1]), P1 = ahead(pb0, p0, lams[i]), lam = lams[i];
    const double K = (G0 * kA2) * (G0 * kA2) * kBeta * lam;
    const double Ge = G0 * (std::sqrt(6.0 * (P1 * P1 - pa * pa) / K - 3.0) - 1.0) / 2.0;
    const double r0 = 1.0 - pb0 / P0, r1 = 1.0 - pb0 / P1;
    const double A0 = r0 * r0 * r0 * (3.0 * P0 + pb0) / 24.0 + (pb0 - pa) / 3.0;
    const double A1 = r1 * r1 * r1 * (3.0 * P1 + pb0) / 24.0 + (pb0 - pa) / 3.0;
    const double dt = (A0 / (kA2 * (Ge0 - G0)) + A1 / (kA2 * (Ge - G0))) * (lam - lams[i - 1]) / 2.0;
    const double I = (2.0 / 3.0) * (L - lam) * (P1 * P1 + P1 * p0 + p0 * p0) / (P1 + p0) +
                     (lam / 6.0) * (4.0 * P1 + 2.0 * pa - (P1 * P1 - pb0 * pb0) / (2.0 * P1));
    t += dt;
    Ge0 = Ge;
    EXPECT_EQ(a.lengthDisturbed, lam);
    EXPECT_EQ(a.exit.p, pa);
    EXPECT_FALSE(a.choked);
    EXPECT_NEAR(a.exit.G, Ge, 1e-9 * Ge);
    EXPECT_NEAR(a.time, t, 1e-9 * t);
    EXPECT_NEAR(a.massPerUnitArea, I / kA2, 1e-9 * a.massPerUnitArea);
    EXPECT_NEAR(a.massInflowPerUnitArea, G0 * t, 1e-9 * G0 * t);
    EXPECT_EQ(a.phaseEnded, i == 3);
  }
  EXPECT_FALSE(Evlv1A(a, 400.0));
}

TEST_F(PhaseOneTest, BranchAChokedStepByHand) {
  GB a = start(1, 0.5);
  const double pb0 = a.pressureAtBreachInitial, P1 = ahead(pb0, p0, 250.0);
  ASSERT_TRUE(Evlv1A(a, 250.0));
  const double K = (G0 * kA2) * (G0 * kA2) * kBeta * 250.0;
  const double Ge = G0 * (std::sqrt(6.0 * (P1 * P1 - pa * pa) / K - 3.0) - 1.0) / 2.0;
  const double M = Ge * (kA2 / pa) / 0.5 / kA;
  const double pc = P1 * pa / std::sqrt(pa * pa + (P1 * P1 - pa * pa) / (M * M));
  // The breach-start exit was choked at pb0, so A0 = (pb0 - pb0) / 3 = 0.
  const double r1 = 1.0 - pb0 / P1;
  const double A1 = r1 * r1 * r1 * (3.0 * P1 + pb0) / 24.0 + (pb0 - pc) / 3.0;
  EXPECT_TRUE(a.choked);
  EXPECT_NEAR(a.exit.p, pc, 1e-9 * pc);
  EXPECT_NEAR(a.exit.G, 0.5 * pc / kA, 1e-9 * pc / kA);
  EXPECT_NEAR(a.time, A1 / (kA2 * (0.5 * pc / kA - G0)) * 125.0, 1e-9 * a.time);
}

TEST_F(PhaseOneTest, BranchBStepByHandFollowsThePressurePeak) {
  ChokeModelSwitch off(false);
  GB b = start(2);
  const double pb0 = b.pressureAtBreachInitial, pf = b.upstream.p, P1 = ahead(pb0, pf, 300.0);
  ASSERT_TRUE(Evlv1B(b, 300.0));
  const double D0 = pb0 - pa, dP = pb0 - P1;
  const double lpk = L - (300.0 * dP / (2.0 * D0) + 700.0), Ppk = dP * dP / (4.0 * D0) + P1;
  const double Ge = std::sqrt(1.5 * (Ppk * Ppk - pa * pa) / (kBeta * lpk)) / kA2;
  const double I = (2.0 / 3.0) * 700.0 * (P1 * P1 + P1 * pf + pf * pf) / (P1 + pf) + 50.0 * (3.0 * P1 + 2.0 * pa + pb0);
  const double A1 = ((pb0 * pb0 - P1 * P1) + 2.0 * pb0 * dP + 4.0 * P1 * (P1 - pa)) / (12.0 * P1);
  const double dt = ((pb0 - pa) / 3.0 / (kA2 * kInfinite) + A1 / (kA2 * (Ge + G0))) * 150.0;
  EXPECT_NEAR(b.lengthToPressurePeak, lpk, 1e-9 * lpk);
  EXPECT_NEAR(b.exit.G, Ge, 1e-9 * Ge);
  EXPECT_NEAR(b.massPerUnitArea, I / kA2, 1e-9 * b.massPerUnitArea);
  EXPECT_NEAR(b.time, dt, 1e-9 * dt);
  EXPECT_NEAR(b.massInflowPerUnitArea, -G0 * dt, 1e-9 * G0 * dt);  // the outlet still takes gas away
}

TEST_F(PhaseOneTest, FrontRunsToTheFarEndWithTimeNeverDecreasing) {
  for (int number : {1, 2}) {
    GB b = start(number, 0.8);
    double dl = number == 1 ? 2.0 * L / 95.0 : 3.0 * L / 100.0;
    const double firstStep = dl;
    double lastTime = 0.0;
    for (int steps = 0; !b.phaseEnded && steps < 100; ++steps) {
      ASSERT_TRUE(phaseStep(b, dl));
      EXPECT_GE(b.time, lastTime);
      lastTime = b.time;
    }
    EXPECT_EQ(dl, firstStep);
    EXPECT_EQ(b.lengthDisturbed, L);
    const double pf = b.upstream.p, pe = b.exit.p, Dq = (b.pressureAtBreachInitial - pf) * pf;
    EXPECT_TRUE(endOfPhaseOne(b));
    EXPECT_FALSE(b.phaseEnded);
    EXPECT_EQ(b.phase, number == 1 ? 3 : 2);
    EXPECT_FALSE(endOfPhaseOne(b));
    if (number == 2) {  // the outlet still delivers, q^2 = (pb0 - p0) p0
      EXPECT_DOUBLE_EQ(b.upstream.G, -std::sqrt(Dq / (kBeta * L)) / kA2);
      EXPECT_DOUBLE_EQ(b.lengthToPressurePeak, L - L * Dq / (2.0 * ((pf - pe) * pf + Dq)));
    }
  }
}

TEST_F(PhaseOneTest, StepsThatAreNotTaken) {
  GB a = start(1), b = start(2);
  double dl = 100.0;
  ASSERT_TRUE(Evlv1A(a, dl));
  ASSERT_TRUE(Evlv1B(b, dl));
  const GB before = b;
  EXPECT_FALSE(Evlv1B(b, 1e-12));  // below 1e-13 of lambda
  expectSameState(b, before);
  EXPECT_TRUE(Evlv1A(a, 1e-12));
  GB other = start(1);
  other.branch = 3;
  EXPECT_FALSE(phaseStep(other, dl));
  other.phaseEnded = true;
  EXPECT_FALSE(endOfPhaseOne(other));
  for (int phase : {-1, 0, 4}) {
    other.phase = phase;
    EXPECT_FALSE(phaseStep(other, dl));
  }
}

TEST_F(PhaseOneTest, NoNetOutflowLeavesTimeUndefined) {
  ChokeModelSwitch off(false);
  GB a = start(1), b = start(2);
  a.exit.G = G0;  // the breach lost no more than the far end received
  b.exit.G = -G0;
  ASSERT_TRUE(Evlv1A(a, 100.0));
  ASSERT_TRUE(Evlv1B(b, 100.0));
  EXPECT_EQ(a.time, kInfinite);
  EXPECT_EQ(a.massInflowPerUnitArea, kInfinite);
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_EQ(b.massInflowPerUnitArea, -kInfinite);
  // Without steady flow branch A's breach flux has no inflow: P1 = p0 everywhere.
  GB closed = GB::breachStart(line.wholePipe(p0, 0.0), 1, pa, 1000.0, 1.0);
  ASSERT_TRUE(Evlv1A(closed, 200.0));
  EXPECT_NEAR(closed.exit.G, std::sqrt(1.5 * (p0 * p0 - pa * pa) / (kBeta * 200.0)) / kA2, 1e-9 * closed.exit.G);
}

TEST_F(PhaseOneTest, BranchBOfALineAtAmbientFormsNoPeak) {
  GB b = GB::breachStart(line.wholePipe(pa, 0.0), 2, pa, 1000.0, 1.0);
  ASSERT_EQ(b.pressureAtBreachInitial, pa);
  ASSERT_TRUE(Evlv1B(b, 100.0));
  EXPECT_EQ(b.lengthToPressurePeak, 100.0);  // L - rem
  EXPECT_EQ(b.exit.G, 0.0);
  EXPECT_EQ(b.time, kInfinite);
  EXPECT_NEAR(b.massPerUnitArea, L * pa / kA2, 1e-9);
}

TEST_F(PhaseOneTest, Raises) {
  // High friction ahead of the breach (pb0 = 5 bar) and a tiny orifice: the
  // choked exit stands near P1, above pb0.
  GB a = start(1, 1e-4);
  a.pressureAtBreachInitial = 5e5;
  GB before = a;
  expectVorlError([&] { Evlv1A(a, 500.0); }, 208, "Evlv1A");
  expectSameState(a, before);
  expectVorlError([&] { Evlv1A(a, 5000.0); }, 208, "Evlv1A");
  EXPECT_TRUE(a.phaseEnded);  // set by the end test before the raise
  EXPECT_EQ(a.lengthDisturbed, 0.0);

  ChokeModelSwitch off(false);
  for (int number : {1, 2}) {
    const char* tag = number == 1 ? "Evlv1A" : "Evlv1B";
    const auto step = [number](GB& b, double dl) { return number == 1 ? Evlv1A(b, dl) : Evlv1B(b, dl); };
    GB b = start(number);
    b.upstream.setPressure(p0);
    b.pressureAtBreachInitial = 2e5;
    before = b;
    expectVorlError([&] { step(b, -L); }, 14, tag);  // new front: 4e10 - (4e12 - 4e10) < 0
    expectSameState(b, before);
    b.lengthDisturbed = -L;
    expectVorlError([&] { step(b, L + 100.0); }, 14, tag);  // old front
  }
}

}  // namespace
}  // namespace vorl
