// The grid of output times: even grids, the run's own times, thinning and
// the lookup tolerance of each entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "run/output_grid.h"
#include "support/run_line.h"

namespace {

using namespace vorl::test;

std::vector<double> grid(VorlHandle model) {
  std::vector<double> times;
  for (int i = 0; i < VorlPipeOutputSteps(model); ++i) times.push_back(VorlPipeOutputTime(model, i));
  return times;
}

std::vector<double> indexList(int n) {
  std::vector<double> list(static_cast<std::size_t>(n));
  std::iota(list.begin(), list.end(), 0.0);
  return list;
}

TEST(OutputGridThinning, KeepsTheEndsReachesItsTargetAndNeverGoesBelowFour) {
  for (int target : {3, 1, 0, -5}) {
    std::vector<double> times = indexList(9);
    vorl::thinTimes(times, target);
    EXPECT_EQ(times, (std::vector<double>{0.0, 1.0, 7.0, 8.0})) << target;  // the first two and the last two
  }
  for (int n = 5; n < 40; ++n) {
    for (int k = 4; k < n; ++k) {
      std::vector<double> times = indexList(n);
      vorl::thinTimes(times, k);
      EXPECT_EQ(static_cast<int>(times.size()), k) << n << " to " << k;
    }
  }
}

TEST(OutputGrid, EvenGridToTheEndOfTheRunAndRefusalsThatKeepTheGrid) {
  // Before any run there is no end of the run to reach: refused, no grid.
  ModelHandle model(methaneLine());
  VorlErrorLogClear();
  VorlPipeOutputTimesDefine(model, 0, 5);
  EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "BAFH"));
  EXPECT_EQ(VorlPipeOutputSteps(model), 0);

  VorlRun(model);
  const double tr = VorlPipeTimeMax(model);
  VorlPipeOutputTimesDefine(model, 0, 5);
  const std::vector<double> even{0.0, 0.0, 1 * tr / 3, 2 * tr / 3, 3 * tr / 3};
  EXPECT_EQ(grid(model), even);
  // The two leading zeros have no tolerance; the others 5 % of their gap.
  EXPECT_EQ(VorlPipeOutputTimeTolerance(model, 0), 0.0);
  EXPECT_EQ(VorlPipeOutputTimeTolerance(model, 1), 0.0);
  EXPECT_DOUBLE_EQ(VorlPipeOutputTimeTolerance(model, 2), 0.05 * tr / 3);
  EXPECT_DOUBLE_EQ(VorlPipeOutputTimeTolerance(model, 4), 0.05 * tr / 3);
  // An entry that does not exist answers -1 and says so.
  for (int outside : {5, -1}) {
    VorlErrorLogClear();
    EXPECT_EQ(VorlPipeOutputTime(model, outside), -1.0);
    EXPECT_EQ(VorlPipeOutputTimeTolerance(model, outside), -1.0);
    EXPECT_EQ(VorlErrorLogCount(), 2);
    EXPECT_TRUE(reported(VORL_E_INDEX, "vlOutT"));
  }
  // Too few entries for an even grid, no such mode, a bad end time: each
  // refused with its code, and the grid stays as it was.
  const struct {
    int mode, count;
    double endTime;
    int code;
  } refused[] = {{0, -3, 0.0, VORL_E_INVALID_GRID_COUNT},
                 {0, 2, 0.0, VORL_E_INVALID_GRID_COUNT},
                 {7, 10, 0.0, VORL_E_INVALID_GRID_MODE},
                 {-1, 10, 0.0, VORL_E_INVALID_GRID_MODE},
                 {2, 10, -1.0, VORL_E_INVALID_GRID_END_TIME},
                 {0, 10, std::numeric_limits<double>::quiet_NaN(), VORL_E_INVALID_GRID_END_TIME}};
  for (const auto& r : refused) {
    VorlPipeOutputTmaxSet(model, r.endTime);
    VorlErrorLogClear();
    VorlPipeOutputTimesDefine(model, r.mode, r.count);
    EXPECT_TRUE(reported(r.code, "vlOutT")) << r.mode << " " << r.count;
    EXPECT_EQ(grid(model), even) << r.mode << " " << r.count;
  }
}

TEST(OutputGrid, AFedBranchThatNeverFinishesEndsOnTheCallersEndTime) {
  const RunLine model(20.0, 100000.0);
  const double tr = VorlPipeTimeMax(model);
  VorlPipeOutputTmaxSet(model, 10.0 * tr);
  VorlPipeOutputTimesDefine(model, 0, 6);  // mode 1 chosen in its place
  EXPECT_EQ(grid(model), (std::vector<double>{0.0, 0.0, tr / 3, 2 * tr / 3, 3 * tr / 3, 10.0 * tr}));
}

TEST(OutputGrid, RunTimesOfADoubleRunAreDistinctIncreasingThinnedAndStopAtTheEndTime) {
  const RunLine model;
  for (int mode : {2, 3}) {
    VorlPipeOutputTimesDefine(model, mode, 50);
    const auto times = grid(model);
    ASSERT_EQ(times.size(), 50u) << mode;
    EXPECT_EQ(times[0], 0.0);
    EXPECT_EQ(times[1], 0.0);
    for (std::size_t i = 2; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]);
    EXPECT_EQ(times.back(), VorlPipeTimeMax(model));
  }
  VorlPipeOutputTmaxSet(model, 1000.0);
  VorlPipeOutputTimesDefine(model, 2, 10000);
  const auto times = grid(model);
  EXPECT_LT(times.back(), 1000.0);
  // Every stored time of branch A up to the end time is on the grid.
  for (int i = 2; i < VorlBranchAFlowSequenceSize(model); ++i) {
    const double t = VorlBranchATime(model, i);
    EXPECT_TRUE(t > 1000.0 || std::find(times.begin(), times.end(), t) != times.end()) << t;
  }
}

TEST(OutputGrid, SingleBranchRunTimesAreCappedByTheMaximumSteps) {
  const RunLine model(0.0, 100000.0);
  VorlPipeOutputMaxStepsSet(model, 20);
  VorlPipeOutputTimesDefine(model, 3, 5);
  EXPECT_EQ(VorlPipeOutputSteps(model), 20);
  VorlPipeOutputTimesDefine(model, 2, 5);
  EXPECT_EQ(VorlPipeOutputSteps(model), 5);
}

}  // namespace
