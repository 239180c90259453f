// Bringing a branch to a requested time, and cutting it at a valve, on the
// stored states of a real run.
#include <gtest/gtest.h>

#include "branch/branch_test_support.h"
#include "branch/interpolation.h"
#include "support/model_run.h"

namespace vorl {
namespace {

using namespace vorl::testing;

class BranchOperations : public ::testing::Test {
 protected:
  const GBSQ& history(int branch) const { return branch == 1 ? run_.a : run_.b; }
  GB firstInPhase(int branch, int phase) const {
    const GBSQ& h = history(branch);
    int i = 0;
    while (i + 1 < h.size() && h[i].phase != phaseOf(phase)) ++i;
    EXPECT_EQ(h[i].phase, phaseOf(phase));
    return h[i];
  }
  const vorl::test::RunHistories run_ = vorl::test::runMethaneLine();
};

TEST_F(BranchOperations, ReEvolutionLandsInsideTheToleranceWindow) {
  const GBSQ& h = history(2);
  for (int i = 3; i + 1 < h.size(); i += 7) {
    if (h[i].phase != h[i + 1].phase || h[i + 1].time > 9e127 || h[i + 1].time == h[i].time) continue;
    GB earlier = h[i];
    const double target = 0.5 * (h[i].time + h[i + 1].time);
    const double tolerance = 0.01 * (h[i + 1].time - h[i].time);
    ASSERT_TRUE(stateAtIntermediateTime(earlier, h[i + 1], target, tolerance)) << i;
    EXPECT_NEAR(earlier.time, target, tolerance) << i;
    EXPECT_TRUE(earlier.interpolated);
    // Mass lies between the two stored states.
    EXPECT_LE(earlier.massPerUnitArea, h[i].massPerUnitArea * (1 + 1e-12));
    EXPECT_GE(earlier.massPerUnitArea, h[i + 1].massPerUnitArea * (1 - 1e-12));
  }
  GB earlier = history(1)[10];
  const GB later = history(1)[11];
  const double target = earlier.time + 0.25 * (later.time - earlier.time);
  ASSERT_TRUE(interpolateToTime(earlier, later, target));
  EXPECT_EQ(earlier.time, target);
  EXPECT_DOUBLE_EQ(earlier.upstream.p, 0.75 * history(1)[10].upstream.p + 0.25 * later.upstream.p);
}

TEST_F(BranchOperations, CutConservesTheMassAndIsRefusedOutsideTheBranch) {
  GB branch = firstInPhase(1, 3);
  const double before = branch.massPerUnitArea;
  ASSERT_TRUE(valveCut(branch, 10000.0));
  EXPECT_EQ(branch.phase, phaseOf(3));
  EXPECT_EQ(branch.length, 10000.0);
  EXPECT_EQ(branch.upstream.G, 0.0);
  EXPECT_FALSE(branch.hasInflow);
  EXPECT_NEAR(branch.massPerUnitArea + branch.massTrappedPerUnitArea, before, 1e-9 * before);
  EXPECT_GE(branch.upstream.p, branch.exit.p);

  branch.interpolated = true;
  EXPECT_FALSE(valveCut(branch, branch.length + 1.0));
  EXPECT_FALSE(branch.interpolated);
  EXPECT_FALSE(valveCut(branch, -1.0));
  expectVorlError([&] { valveCut(branch, 0.0); }, VORL_E_NOT_POSITIVE,
                  "bfGe5");  // at the breach: no length left to drive it
}

TEST_F(BranchOperations, CutRegressions) {
  // A blown-down branch gives (P - pa) / 2 a rounding below ambient: never below it.
  const GBSQ& h = history(2);
  GB finished = h[h.size() - 1];
  ASSERT_EQ(finished.phase, phaseOf(4));
  ASSERT_TRUE(valveCut(finished, 0.5 * finished.length));
  EXPECT_GE(finished.upstream.p, finished.pa());

  // A cut at the instant phase one ends leaves no transition pending.
  GB branch = firstInPhase(2, 1);
  branch.phaseEnded = true;
  ASSERT_TRUE(valveCut(branch, 0.5 * branch.length));
  EXPECT_FALSE(branch.phaseEnded);

  // Early in phase one the breach is choked; a short branch cut from it stays
  // choked, and its time steps must use the choked form.
  branch = history(2)[3];
  branch.choked = false;
  ASSERT_TRUE(valveCut(branch, 0.5 * branch.lengthDisturbed + 1.0));
  EXPECT_TRUE(branch.choked);
  EXPECT_GT(branch.exit.p, branch.pa());
  ChokeModelSwitch off(false);
  branch = history(2)[3];
  ASSERT_TRUE(valveCut(branch, 0.5 * branch.lengthDisturbed + 1.0));
  EXPECT_FALSE(branch.choked);
  EXPECT_EQ(branch.exit.p, branch.pa());
}

}  // namespace
}  // namespace vorl
