// The exports that need no model: About text, author text, analytic comparison.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "support/error_log_helpers.h"
#include "support/run_line.h"
#include "vorl.h"

namespace {

using vorl::test::lastReport;
using vorl::test::reported;

#if !defined(_WIN32)
TEST(Information, AboutShowsTheCaptionThenTheVersionAndModel) {
  testing::internal::CaptureStdout();
  AboutBrimlow();
  const std::string shown = testing::internal::GetCapturedStdout();
  ASSERT_EQ(shown.rfind("Brimlow\n", 0), 0u) << shown;  // the caption first
  EXPECT_NE(shown.find("Brimlow " VORL_VERSION_TEXT, 8), std::string::npos) << shown;
  EXPECT_NE(shown.find("Gas release from a breached long pipeline (Fannelop-Ryhming 1982 model)"), std::string::npos);
}

TEST(Information, AuthorGivesANewStringEachCallThatTheHostFrees) {
  VorlString first = Author();
  VorlString second = Author();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  first[0] = 'X';  // the host owns its copy
  EXPECT_STREQ(second, "Peter Orrin");
  VorlStringFree(first);
  VorlStringFree(second);
  VorlStringFree(nullptr);
}
#endif

using Points = std::array<double, 4>;
constexpr double kMarker = -7.25;
constexpr Points kUntouched = {kMarker, kMarker, kMarker, kMarker};

// The worked case: a 100 km line of 0.5 m bore with methane at 288.15 K,
// Fanning factor 0.003, from 100 bar down to 1 bar; four places to write to.
struct Comparison {
  Points pressures = kUntouched, times = kUntouched;
  explicit Comparison(int count, double initialPressure = 1e7, double molecularWeight = 16.043) {
    VorlErrorLogClear();
    AnalyticComparison(100000.0, 288.15, 0.003, 0.5, molecularWeight, initialPressure, 100000.0, pressures.data(),
                       times.data(), count);
  }
};

TEST(AnalyticComparison, ReproducesTheWorkedCase) {
  const Comparison c(3);
  EXPECT_EQ(c.pressures, (Points{1e7, 5050000.0, 100000.0, kMarker}));  // nothing beyond count
  EXPECT_EQ(c.times[0], 0.0);
  EXPECT_NEAR(c.times[1], 3334.0, 0.1);
  EXPECT_NEAR(c.times[2], 25852.9, 0.1);
  EXPECT_EQ(c.times[3], kMarker);
  // The last time is the time scale L sqrt(8 beta L / 27) times acosh(100).
  EXPECT_NEAR(c.times[2] / std::acosh(100.0), 4879.48, 0.01);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST(AnalyticComparison, PressuresBelowAmbientCountAsNothingLeftToRelease) {
  const Comparison c(3, 50000.0);
  EXPECT_EQ(c.pressures, (Points{50000.0, 75000.0, 100000.0, kMarker}));
  EXPECT_EQ(c.times, (Points{0.0, 0.0, 0.0, kMarker}));
}

TEST(AnalyticComparison, BadArgumentsAreReportedAndWriteNothing) {
  for (int count : {1, 0, -4}) {  // fewer than two points
    VorlErrorLogClear();
    const Comparison c(count);
    EXPECT_TRUE(c.pressures == kUntouched && c.times == kUntouched) << count;
    EXPECT_EQ(lastReport().code, VORL_E_INVALID_COMPARISON_COUNT) << count;
  }
  for (double molecularWeight : {0.0, -16.0, std::numeric_limits<double>::quiet_NaN()}) {
    const Comparison c(3, 1e7, molecularWeight);
    EXPECT_TRUE(c.pressures == kUntouched && c.times == kUntouched) << molecularWeight;
    EXPECT_EQ(lastReport().code, VORL_E_NOT_POSITIVE);
    EXPECT_EQ(lastReport().tag, "IGCTOR");
  }
  // Each other input that is not a number has its own code.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double p[3], t[3];
  const struct {
    double values[7];
    int code;
  } rows[] = {{{nan, 288.15, 0.003, 0.5, 16.043, 1e7, 1e5}, VORL_E_INVALID_COMPARISON_LENGTH},
              {{1e5, nan, 0.003, 0.5, 16.043, 1e7, 1e5}, VORL_E_INVALID_COMPARISON_TEMPERATURE},
              {{1e5, 288.15, nan, 0.5, 16.043, 1e7, 1e5}, VORL_E_INVALID_COMPARISON_FANNING},
              {{1e5, 288.15, 0.003, nan, 16.043, 1e7, 1e5}, VORL_E_INVALID_COMPARISON_DIAMETER},
              {{1e5, 288.15, 0.003, 0.5, 16.043, nan, 1e5}, VORL_E_INVALID_COMPARISON_INITIAL_PRESSURE},
              {{1e5, 288.15, 0.003, 0.5, 16.043, 1e7, nan}, VORL_E_INVALID_COMPARISON_AMBIENT_PRESSURE},
              {{1e5, 288.15, 0.003, 0.5, 16.043, 1e7, -1.0}, VORL_E_INVALID_COMPARISON_AMBIENT_PRESSURE}};
  for (const auto& row : rows) {
    VorlErrorLogClear();
    const double* v = row.values;
    AnalyticComparison(v[0], v[1], v[2], v[3], v[4], v[5], v[6], p, t, 3);
    EXPECT_EQ(VorlErrorLogCount(), 1) << row.code;
    EXPECT_TRUE(reported(row.code, "AnalyticComparison")) << row.code;
  }
  VorlErrorLogClear();
  AnalyticComparison(100000.0, 288.15, 0.003, 0.5, 16.043, 1e7, 1e5, nullptr, nullptr, 3);
  EXPECT_EQ(lastReport().code, VORL_E_MISSING_DATA);
  VorlErrorLogClear();
}

}  // namespace
