// Regressions found by fuzzing the C interface (tests/fuzz/vorl_fuzzer.cpp),
// each named after the fault it guards, and guards for the lookups that the
// fuzzer's slow inputs run through.
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

// Fuzzer finding: VorlPipeOutputTimesDefine(model, 0, 2147483647) built an
// even grid of that many times, asking for 16 GB at once; a host that passes
// a garbage count must get a report, not an allocation that can take the
// process down. 50,000,000 times (400 MB) shows the fault without endangering
// the machine that runs this test.
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

// The thinning of a long history to a short grid (modes 2 and 3, and the
// one-call entry's table) keeps the first two and the last two times and a
// subsequence of the run's own times in their order. A run of division 20000
// stores some 38,000 records; the fuzzer's slow inputs thin far longer ones.
// Fuzzer finding: the reference run of a line 1e128 m long integrated its
// initial profile in steps of metres, and the step count of a cell overflowed
// an int. The reference solves lines up to 10,000 km and refuses longer ones
// with a report that names the length.
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

// A lookup at a time that is not a number (a host's VorlPipeTimeSet(NaN))
// gives the first state as stored, as one before the history does, and never
// reads outside the history: a faster search must keep this.
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
