// Regressions found by fuzzing the C interface, each named after the fault it guards.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "branch/interpolation.h"
#include "model/flow_sequence.h"
#include "support/branch_fixture.h"
#include "support/release_cases.h"
#include "vorl.h"

namespace {

std::vector<double> outputGrid(VorlHandle model) {
  std::vector<double> times;
  for (int i = 0; i < VorlPipeOutputSteps(model); ++i) times.push_back(VorlPipeOutputTime(model, i));
  return times;
}

// Fuzzer finding: a garbage grid count allocated 16 GB at once; it must be refused (50,000,000: 400 MB, safe here).
TEST(FuzzRegression, AnOutputGridOfAnAbsurdCountIsRefusedWithAReport) {
  VorlHandle model = vorl::test::methaneLine(20.0);
  ASSERT_GT(VorlRun(model), 0);
  VorlPipeOutputTimesDefine(model, 0, 20);
  ASSERT_EQ(VorlPipeOutputSteps(model), 20);

  VorlErrorLogClear();
  VorlPipeOutputTimesDefine(model, 0, 50000000);
  EXPECT_LT(VorlPipeOutputSteps(model), 50000000);
  EXPECT_GE(VorlErrorLogCount(), 1);
  VorlModelDelete(&model);
}

// Fuzzer finding: a line 1e128 m long overflowed a cell's step count; beyond 10,000 km a line is refused by length.
TEST(FuzzRegression, AReferenceRunOfALineOfAstronomicalLengthIsRefused) {
  for (double length : {1e128, 1.0000001e7}) {
    VorlHandle model = VorlModelCreateZel(74828);
    VorlPipeLengthSet(model, length);
    VorlErrorLogClear();
    EXPECT_EQ(VorlReferenceRun(model, nullptr, nullptr), 0) << length;
    EXPECT_EQ(VorlErrorLogCode(0), VORL_E_INVALID_PIPE_LENGTH) << length;
    VorlModelDelete(&model);
  }
}

// Thinning a long history (grid modes 2 and 3, the one-call table) keeps both first and both last times, in order.
TEST(FuzzRegression, ThinningALongHistoryKeepsItsEndsAndItsOrder) {
  VorlHandle model = vorl::test::methaneLine(20.0);
  VorlTimeDivisionSet(model, 20000);
  ASSERT_GT(VorlRun(model), 30000);
  // A target above the number of stored records leaves the run's times as they are.
  VorlPipeOutputTimesDefine(model, 2, VorlBranchAFlowSequenceSize(model) + VorlBranchBFlowSequenceSize(model) + 2);
  const std::vector<double> all = outputGrid(model);
  ASSERT_GT(all.size(), 30000u);

  for (int target : {4, 5, 100, 1000, static_cast<int>(all.size()) / 2 + 1, static_cast<int>(all.size()) - 1}) {
    VorlPipeOutputTimesDefine(model, 2, target);
    const std::vector<double> thinned = outputGrid(model);
    ASSERT_EQ(thinned.size(), static_cast<std::size_t>(target)) << target;
    EXPECT_EQ(thinned[0], all[0]);
    EXPECT_EQ(thinned[1], all[1]);
    EXPECT_EQ(thinned[thinned.size() - 2], all[all.size() - 2]);
    EXPECT_EQ(thinned.back(), all.back());
    // A subsequence: every kept time is found, in order, among the run's.
    std::size_t k = 0;
    for (double t : thinned) {
      while (k < all.size() && all[k] != t) ++k;
      ASSERT_LT(k, all.size()) << "time " << t << " is not one of the run's (target " << target << ")";
      ++k;
    }
  }
  VorlModelDelete(&model);
}

// A lookup at a NaN time gives the first stored state and never reads outside the history.
TEST(FuzzRegression, ALookupAtATimeThatIsNotANumberGivesTheFirstStateAsStored) {
  const vorl::test::BranchFixture fixture;
  vorl::GBSQ sequence;
  for (double t : {0.0, 5.0, 5.0, 10.0}) sequence.append(fixture.state(t, 3));
  const vorl::GB found = vorl::stateAt(sequence, std::numeric_limits<double>::quiet_NaN(), 0.0);
  EXPECT_EQ(found.time, 0.0);
  EXPECT_FALSE(found.interpolated);
}

// The same through the interface: a time setting at NaN keeps the model
// usable, and the next setting at a real time answers as on a fresh model.
TEST(FuzzRegression, ATimeSettingAtNotANumberLeavesTheNextSettingUnchanged) {
  VorlHandle fresh = vorl::test::methaneLine(20.0);
  VorlHandle used = vorl::test::methaneLine(20.0);
  ASSERT_GT(VorlRun(fresh), 0);
  ASSERT_GT(VorlRun(used), 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  VorlPipeTimeSet(used, nan, nan);
  double v = 0.0, t = 0.0, l = 0.0, d = 0.0;
  VorlPipePostFlash(used, &v, &t, &l, &d);

  EXPECT_EQ(VorlPipeTimeSet(used, 600.0, 0.0), VorlPipeTimeSet(fresh, 600.0, 0.0));
  EXPECT_EQ(VorlPipeExitFlux(used), VorlPipeExitFlux(fresh));
  EXPECT_EQ(VorlPipeMassExpelled(used), VorlPipeMassExpelled(fresh));
  VorlModelDelete(&used);
  VorlModelDelete(&fresh);
}

}  // namespace
