// The grid of output times: even grids, the run's own times, thinning and
// the lookup tolerance of each entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "run/output_grid.h"
#include "support/release_cases.h"

namespace {

using vorl::test::methaneLine;
using vorl::test::ModelHandle;

std::vector<double> grid(VorlHandle model) {
  std::vector<double> times;
  for (int i = 0; i < VorlPipeOutputSteps(model); ++i) times.push_back(VorlPipeOutputTime(model, i));
  return times;
}

std::vector<double> indexList(int n) {
  std::vector<double> list;
  for (int i = 0; i < n; ++i) list.push_back(i);
  return list;
}

std::vector<double> withoutIndices(std::vector<double> list, int from, int to, int step) {
  std::vector<double> kept;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const int index = static_cast<int>(i);
    const bool removed = index >= from && index <= to && (index - from) % step == 0;
    if (!removed) kept.push_back(list[i]);
  }
  return kept;
}

TEST(OutputGridThinning, HundredToSixtyRemovesEverySecondCentredEntry) {
  std::vector<double> times = indexList(100);
  vorl::thinTimes(times, 60);
  EXPECT_EQ(times, withoutIndices(indexList(100), 10, 88, 2));
}

TEST(OutputGridThinning, HundredToThirtyFirstHalvesThenSpaces) {
  std::vector<double> times = indexList(100);
  vorl::thinTimes(times, 30);
  const std::vector<double> halved = withoutIndices(indexList(100), 2, 96, 2);
  ASSERT_EQ(halved.size(), 52u);
  EXPECT_EQ(times, withoutIndices(halved, 4, 46, 2));
}

TEST(OutputGridThinning, KeepsTheEndsAndNeverGoesBelowFour) {
  for (int target : {3, 1, 0, -5}) {
    std::vector<double> times = indexList(9);
    vorl::thinTimes(times, target);
    ASSERT_EQ(times.size(), 4u) << target;
    EXPECT_EQ(times.front(), 0.0);
    EXPECT_EQ(times[1], 1.0);
    EXPECT_EQ(times.back(), 8.0);
  }
  for (int n = 5; n < 40; ++n) {
    for (int k = 4; k < n; ++k) {
      std::vector<double> times = indexList(n);
      vorl::thinTimes(times, k);
      EXPECT_EQ(static_cast<int>(times.size()), k) << n << " to " << k;
    }
  }
}

TEST(OutputGrid, BeforeAnyRunEvenGridsAreZeroAndTheRunTimesAreOneZero) {
  ModelHandle model(methaneLine());
  VorlPipeOutputTimesDefine(model, 0, 5);
  EXPECT_EQ(grid(model), std::vector<double>(5, 0.0));
  VorlPipeOutputTimesDefine(model, 2, 5);
  EXPECT_EQ(grid(model), std::vector<double>{0.0});
  EXPECT_EQ(VorlPipeOutputTimeTolerance(model, 0), 0.0);
}

TEST(OutputGrid, TooFewEntriesForAnEvenGridGiveZeros) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  VorlPipeOutputTimesDefine(model, 0, 2);
  EXPECT_EQ(grid(model), std::vector<double>(2, 0.0));
  VorlPipeOutputTimesDefine(model, 0, -3);
  EXPECT_EQ(VorlPipeOutputSteps(model), 0);
  VorlPipeOutputTimesDefine(model, 7, 10);  // no such mode: grid unchanged
  EXPECT_EQ(VorlPipeOutputSteps(model), 0);
}

TEST(OutputGrid, EvenGridToTheEndOfTheRun) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  const double tr = VorlPipeTimeMax(model);
  VorlPipeOutputTimesDefine(model, 0, 5);
  EXPECT_EQ(grid(model), (std::vector<double>{0.0, 0.0, 1 * tr / 3, 2 * tr / 3, 3 * tr / 3}));
  // The two leading zeros have no tolerance; the others 5 % of their gap.
  EXPECT_EQ(VorlPipeOutputTimeTolerance(model, 0), 0.0);
  EXPECT_EQ(VorlPipeOutputTimeTolerance(model, 1), 0.0);
  EXPECT_DOUBLE_EQ(VorlPipeOutputTimeTolerance(model, 2), 0.05 * tr / 3);
  EXPECT_DOUBLE_EQ(VorlPipeOutputTimeTolerance(model, 4), 0.05 * tr / 3);
  EXPECT_EQ(VorlPipeOutputTime(model, 5), -1.0);
  EXPECT_EQ(VorlPipeOutputTime(model, -1), -1.0);
  EXPECT_EQ(VorlPipeOutputTimeTolerance(model, 5), -1.0);
}

TEST(OutputGrid, AFedBranchThatNeverFinishesEndsOnTheCallersEndTime) {
  ModelHandle model(methaneLine(20.0, 100000.0));
  VorlRun(model);
  const double tr = VorlPipeTimeMax(model);
  VorlPipeOutputTmaxSet(model, 10.0 * tr);
  EXPECT_EQ(VorlPipeOutputTmax(model), 10.0 * tr);
  VorlPipeOutputTimesDefine(model, 0, 6);  // mode 1 chosen in its place
  EXPECT_EQ(grid(model), (std::vector<double>{0.0, 0.0, tr / 3, 2 * tr / 3, 3 * tr / 3, 10.0 * tr}));
}

TEST(OutputGrid, RunTimesOfADoubleRunAreDistinctIncreasingAndThinned) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  for (int mode : {2, 3}) {
    VorlPipeOutputTimesDefine(model, mode, 50);
    const auto times = grid(model);
    ASSERT_EQ(times.size(), 50u) << mode;
    EXPECT_EQ(times[0], 0.0);
    EXPECT_EQ(times[1], 0.0);
    for (std::size_t i = 2; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]);
    EXPECT_EQ(times.back(), VorlPipeTimeMax(model));
  }
}

TEST(OutputGrid, RunTimesStopAtTheCallersEndTime) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  VorlPipeOutputTmaxSet(model, 1000.0);
  VorlPipeOutputTimesDefine(model, 2, 10000);
  const auto times = grid(model);
  EXPECT_LE(times.back(), 1000.0);
  EXPECT_NE(times.back(), 1000.0);
  // Every stored time of branch A up to the end time is on the grid.
  for (int i = 2; i < VorlBranchAFlowSequenceSize(model); ++i) {
    const double t = VorlBranchATime(model, i);
    if (t <= 1000.0) {
      EXPECT_NE(std::find(times.begin(), times.end(), t), times.end()) << t;
    }
  }
}

TEST(OutputGrid, SingleBranchRunTimesAreCappedByTheMaximumSteps) {
  ModelHandle model(methaneLine(0.0, 100000.0));
  VorlRun(model);
  VorlPipeOutputMaxStepsSet(model, 20);
  EXPECT_EQ(VorlPipeOutputMaxSteps(model), 20);
  VorlPipeOutputTimesDefine(model, 3, 5);
  EXPECT_EQ(VorlPipeOutputSteps(model), 20);
  VorlPipeOutputTimesDefine(model, 2, 5);
  EXPECT_EQ(VorlPipeOutputSteps(model), 5);
}

TEST(OutputGrid, ASingleEntryHasZeroTolerance) {
  vorl::OutputTimes one;
  one.times = {42.0};
  EXPECT_EQ(vorl::outputTimeTolerance(one, 0), 0.0);
  EXPECT_EQ(vorl::outputTimeTolerance(one, 1), -1.0);
}

}  // namespace
