// The release curve: total the sum of the branches, a fed branch carried past its last record, the plot's range.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/run_line.h"
#include "vorl.h"

namespace {

using namespace vorl::test;

constexpr int kGridCount = 100;
constexpr double kInflow = 20.0;  // kg/s, into the upstream end of branch A

struct Point {
  double time, rate, mass;
};

std::vector<std::vector<Point>> seriesOf(VorlHandle model) {
  const int rows = VorlReleaseCurveFill(model, kGridCount, nullptr, 0);
  std::vector<double> values(static_cast<std::size_t>(rows) * 4);
  EXPECT_EQ(VorlReleaseCurveFill(model, kGridCount, values.data(), rows), rows);
  std::vector<std::vector<Point>> series(3);
  for (int i = 0; i < rows; ++i) {
    const double* row = &values[static_cast<std::size_t>(i) * 4];
    series[static_cast<std::size_t>(row[0])].push_back({row[1], row[2], row[3]});
  }
  return series;
}

TEST(ReleaseCurve, TheTotalIsTheSumOfTheBranchesAndAFedBranchReleasesItsInflow) {
  const RunLine line(kInflow);
  ASSERT_GT(line.count, 0);
  double range[4] = {};
  VorlReleaseCurveRange(line, kGridCount, range);
  const double start = range[0], end = range[1], carriedA = range[2], carriedB = range[3];
  const auto series = seriesOf(line);
  for (const auto& s : series) {
    ASSERT_GE(s.size(), 2u);
    EXPECT_EQ(s.front().time, 0.0);  // every curve starts at the instant of the breach
    EXPECT_EQ(s.back().time, end);   // and is carried to the end
  }
  // The start: a power of ten below the first time after the breach.
  EXPECT_EQ(start, std::pow(10.0, std::round(std::log10(start))));
  EXPECT_LE(start, series[1][1].time);
  // At the instant and at the end, the pipe releases what its branches release.
  const double instant = series[1].front().rate + series[2].front().rate;
  EXPECT_NEAR(series[0].front().rate, instant, 1e-9 * instant);
  const double released = series[1].back().mass + series[2].back().mass;
  EXPECT_NEAR(series[0].back().mass, released, 1e-3 * released);
  // Branch A is fed: past its last record it holds its rate and releases the inflow.
  ASSERT_LT(carriedA, end);
  EXPECT_GE(carriedB, 1e128);
  const Point& a = series[1].back();
  const Point& before = series[1][series[1].size() - 2];
  EXPECT_EQ(a.rate, before.rate);
  EXPECT_NEAR((a.mass - before.mass) / (a.time - before.time), kInflow, 1e-6 * kInflow);
}

TEST(ReleaseCurve, BeforeARunAndWithoutARangeItIsRefused) {
  ModelHandle fresh(methaneLine());
  VorlErrorLogClear();
  EXPECT_EQ(VorlReleaseCurveFill(fresh, kGridCount, nullptr, 0), 0);
  EXPECT_NE(VorlLastCode(), 0);
  const RunLine line;
  VorlReleaseCurveRange(line, kGridCount, nullptr);
  EXPECT_EQ(VorlLastCode(), VORL_E_MISSING_DATA);
}

}  // namespace
