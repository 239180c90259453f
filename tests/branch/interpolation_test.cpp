// Bringing a branch to a requested time, and cutting it at a valve.
#include <gtest/gtest.h>

#include "branch/interpolation.h"
#include "interface/vorl_error.h"
#include "model/process_settings.h"
#include "model/vorl.h"
#include "support/release_cases.h"

namespace {

using vorl::GB;
using vorl::GBSQ;
using vorl::test::methaneLine;
using vorl::test::ModelHandle;

// Stored states of a real run to work on.
class BranchOperations : public ::testing::Test {
 protected:
  void SetUp() override { VorlRun(model_); }
  const GBSQ& history(int branch) const {
    return reinterpret_cast<vorl::VORL*>(model_.get())->requireSequence(branch);
  }
  // First stored state of the branch in the given phase.
  GB firstInPhase(int branch, int phase) const {
    const GBSQ& h = history(branch);
    for (int i = 0; i < h.size(); ++i) {
      if (h[i].phase == phase) return h[i];
    }
    ADD_FAILURE() << "no state in phase " << phase;
    return h[0];
  }
  ModelHandle model_{methaneLine()};
};

TEST_F(BranchOperations, EqualTimesLeaveTheStateAsItIs) {
  const GB state = history(1)[5];
  GB earlier = state;
  EXPECT_TRUE(vorl::reintegrateToTime(earlier, state, state.time, 0.0));
  EXPECT_TRUE(vorl::interpolateToTime(earlier, state, state.time));
  EXPECT_EQ(earlier.upstream.p, state.upstream.p);
  EXPECT_EQ(earlier.interpolated, state.interpolated);
}

TEST_F(BranchOperations, TimesOutsideTheIntervalAreRefused) {
  GB earlier = history(1)[5];
  const GB later = history(1)[6];
  EXPECT_FALSE(vorl::stateAtIntermediateTime(earlier, later, later.time + 1.0, 0.0));
  EXPECT_FALSE(vorl::stateAtIntermediateTime(earlier, later, earlier.time - 1.0, 0.0));
  EXPECT_EQ(earlier.time, history(1)[5].time);
}

TEST_F(BranchOperations, ReEvolutionLandsInsideTheToleranceWindow) {
  const GBSQ& h = history(2);
  for (int i = 3; i + 1 < h.size(); i += 7) {
    if (h[i].phase != h[i + 1].phase || h[i + 1].time > 9e127 || h[i + 1].time == h[i].time) continue;
    GB earlier = h[i];
    const double target = 0.5 * (h[i].time + h[i + 1].time);
    const double tolerance = 0.01 * (h[i + 1].time - h[i].time);
    ASSERT_TRUE(vorl::stateAtIntermediateTime(earlier, h[i + 1], target, tolerance)) << i;
    EXPECT_NEAR(earlier.time, target, tolerance) << i;
    EXPECT_TRUE(earlier.interpolated);
    // Mass lies between the two stored states.
    EXPECT_LE(earlier.massPerUnitArea, h[i].massPerUnitArea * (1 + 1e-12));
    EXPECT_GE(earlier.massPerUnitArea, h[i + 1].massPerUnitArea * (1 - 1e-12));
  }
}

TEST_F(BranchOperations, LinearInterpolationIsExactAtTheTargetTime) {
  GB earlier = history(1)[10];
  const GB later = history(1)[11];
  const double target = earlier.time + 0.25 * (later.time - earlier.time);
  ASSERT_TRUE(vorl::interpolateToTime(earlier, later, target));
  EXPECT_EQ(earlier.time, target);
  EXPECT_DOUBLE_EQ(earlier.upstream.p, 0.75 * history(1)[10].upstream.p + 0.25 * later.upstream.p);
}

TEST_F(BranchOperations, CutConservesTheBranchMass) {
  GB branch = firstInPhase(1, 3);
  const double before = branch.massPerUnitArea;
  ASSERT_TRUE(vorl::valveCut(branch, 10000.0));
  EXPECT_EQ(branch.phase, 3);
  EXPECT_EQ(branch.length, 10000.0);
  EXPECT_EQ(branch.upstream.G, 0.0);
  EXPECT_FALSE(branch.hasInflow);
  EXPECT_NEAR(branch.massPerUnitArea + branch.massTrappedPerUnitArea, before, 1e-9 * before);
  EXPECT_GE(branch.upstream.p, branch.exit.p);
}

TEST_F(BranchOperations, CutOutsideTheBranchIsRefusedAndAtTheBreachRaises) {
  GB branch = firstInPhase(1, 3);
  branch.interpolated = true;
  EXPECT_FALSE(vorl::valveCut(branch, branch.length + 1.0));
  EXPECT_FALSE(branch.interpolated);
  EXPECT_FALSE(vorl::valveCut(branch, -1.0));
  try {
    vorl::valveCut(branch, 0.0);
    ADD_FAILURE() << "a cut at the breach leaves no branch to blow down";
  } catch (const vorl::VORLERROR& e) {
    EXPECT_EQ(e.eError(), 13);
    EXPECT_EQ(e.tag(), "bfGe5");
  }
}

TEST_F(BranchOperations, CuttingABlownDownBranchKeepsItAtAmbientPressure) {
  const GBSQ& h = history(2);
  GB finished = h[h.size() - 1];
  ASSERT_EQ(finished.phase, 4);
  ASSERT_TRUE(vorl::valveCut(finished, 0.5 * finished.length));
  EXPECT_GE(finished.upstream.p, finished.pa());
}

TEST_F(BranchOperations, CutAtTheEndOfPhaseOneLeavesNoTransitionPending) {
  GB branch = firstInPhase(2, 1);
  branch.phaseEnded = true;
  ASSERT_TRUE(vorl::valveCut(branch, 0.5 * branch.length));
  EXPECT_FALSE(branch.phaseEnded);
}

TEST_F(BranchOperations, CutThatChokesTheOutflowMarksTheBranchChoked) {
  // Early in phase one the breach is choked; a short branch cut from it holds
  // gas at high pressure and stays choked, and its time steps must use the
  // choked form.
  GB branch = history(2)[3];
  branch.choked = false;
  ASSERT_TRUE(vorl::valveCut(branch, 0.5 * branch.lengthDisturbed + 1.0));
  EXPECT_TRUE(branch.choked);
  EXPECT_GT(branch.exit.p, branch.pa());

  vorl::chokeModelAllowed = false;
  GB unchoked = history(2)[3];
  ASSERT_TRUE(vorl::valveCut(unchoked, 0.5 * unchoked.lengthDisturbed + 1.0));
  vorl::chokeModelAllowed = true;
  EXPECT_FALSE(unchoked.choked);
  EXPECT_EQ(unchoked.exit.p, unchoked.pa());
}

TEST_F(BranchOperations, ExtendingWithInflowNeedsAFedFarEnd) {
  GB closed = firstInPhase(2, 3);
  EXPECT_FALSE(vorl::extendWithInflow(closed, closed.time + 100.0));

  ModelHandle fed(methaneLine(20.0));
  VorlRun(fed);
  GB branch = reinterpret_cast<vorl::VORL*>(fed.get())->requireSequence(1)[20];
  const double t0 = branch.time;
  const double inflow0 = branch.massInflowPerUnitArea;
  EXPECT_FALSE(vorl::extendWithInflow(branch, t0 - 1.0));
  ASSERT_TRUE(vorl::extendWithInflow(branch, t0 + 100.0));
  EXPECT_EQ(branch.time, t0 + 100.0);
  EXPECT_DOUBLE_EQ(branch.massInflowPerUnitArea, inflow0 + 100.0 * branch.upstream.G);
}

}  // namespace
