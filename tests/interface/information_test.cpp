// The exports that need no model: About text, author text, analytic comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace {

using vorl::test::lastReport;

#if !defined(_WIN32)
TEST(AboutBrimlow, PrintsTheCaptionThenTheLibraryVersionAndModel) {
  testing::internal::CaptureStdout();
  AboutBrimlow();
  const std::string shown = testing::internal::GetCapturedStdout();
  ASSERT_EQ(shown.rfind("Brimlow\n", 0), 0u) << shown;  // the caption first
  const std::string text = shown.substr(8);
  EXPECT_NE(text.find("Brimlow " VORL_VERSION_TEXT), std::string::npos) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << text;
  EXPECT_NE(text.find("Gas release from a breached long pipeline (Fannelop-Ryhming 1982 model)"),
            std::string::npos)
      << text;
}

TEST(Author, GivesANewStringEachCallThatTheHostFrees) {
  VorlString first = Author();
  VorlString second = Author();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(first, "Peter Orrin");
  EXPECT_STREQ(second, "Peter Orrin");
  EXPECT_NE(first, second);
  first[0] = 'X';  // the host owns its copy
  EXPECT_STREQ(second, "Peter Orrin");
  VorlStringFree(first);
  VorlStringFree(second);
  VorlStringFree(nullptr);
}
#endif

constexpr double kMarker = -7.25;

// The worked case: a 100 km line of 0.5 m bore with methane at 288.15 K,
// Fanning factor 0.003, from 100 bar down to 1 bar.
struct Comparison {
  double pressures[4] = {kMarker, kMarker, kMarker, kMarker};
  double times[4] = {kMarker, kMarker, kMarker, kMarker};

  void run(int count, double initialPressure = 10000000.0, double ambientPressure = 100000.0,
           double molecularWeight = 16.043) {
    AnalyticComparison(100000.0, 288.15, 0.003, 0.5, molecularWeight, initialPressure, ambientPressure,
                       pressures, times, count);
  }
  bool untouched() const {
    for (int i = 0; i < 4; ++i) {
      if (pressures[i] != kMarker || times[i] != kMarker) return false;
    }
    return true;
  }
};

class AnalyticComparisonTest : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  void TearDown() override { VorlErrorLogClear(); }
};

TEST_F(AnalyticComparisonTest, ReproducesTheWorkedCase) {
  Comparison c;
  c.run(3);
  EXPECT_EQ(c.pressures[0], 10000000.0);
  EXPECT_EQ(c.pressures[1], 5050000.0);
  EXPECT_EQ(c.pressures[2], 100000.0);
  EXPECT_EQ(c.times[0], 0.0);
  EXPECT_NEAR(c.times[1], 3334.0, 0.1);
  EXPECT_NEAR(c.times[2], 25852.9, 0.1);
  EXPECT_EQ(c.pressures[3], kMarker);  // nothing beyond count
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(AnalyticComparisonTest, TwoPointsSpanTheWholeBlowDownOnItsTimeScale) {
  Comparison c;
  c.run(2);
  EXPECT_EQ(c.pressures[0], 10000000.0);
  EXPECT_EQ(c.pressures[1], 100000.0);
  EXPECT_EQ(c.times[0], 0.0);
  // The last time is the time scale s times acosh(100).
  const double timeScale = c.times[1] / std::acosh(100.0);
  EXPECT_NEAR(timeScale, 4879.48, 0.01);
  // s = L sqrt(8 beta L / 27): the friction parameter 2 f / (T R D) behind it.
  const double beta = 27.0 * (timeScale / 100000.0) * (timeScale / 100000.0) / (8.0 * 100000.0);
  EXPECT_NEAR(beta, 8.0356e-8, 0.0001e-8);
  EXPECT_EQ(c.pressures[2], kMarker);
}

TEST_F(AnalyticComparisonTest, FewerThanTwoPointsWriteNothing) {
  for (int count : {1, 0, -4}) {
    Comparison c;
    c.run(count);
    EXPECT_TRUE(c.untouched()) << count;
  }
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(AnalyticComparisonTest, PressuresBelowAmbientCountAsNothingLeftToRelease) {
  Comparison c;
  c.run(3, 50000.0, 100000.0);
  EXPECT_EQ(c.pressures[0], 50000.0);
  EXPECT_EQ(c.pressures[1], 75000.0);
  EXPECT_EQ(c.pressures[2], 100000.0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.times[i], 0.0) << i;
}

TEST_F(AnalyticComparisonTest, AMolecularWeightNotAboveZeroIsLoggedAndWritesNothing) {
  for (double molecularWeight : {0.0, -16.0}) {
    Comparison c;
    c.run(3, 10000000.0, 100000.0, molecularWeight);
    EXPECT_TRUE(c.untouched());
    EXPECT_EQ(lastReport().code, 13);
    EXPECT_EQ(lastReport().tag, "IGCTOR");
  }
}

TEST_F(AnalyticComparisonTest, NullArraysAreReportedNotWritten) {
  AnalyticComparison(100000.0, 288.15, 0.003, 0.5, 16.043, 1e7, 1e5, nullptr, nullptr, 3);
  EXPECT_EQ(lastReport().code, 5);
}

}  // namespace
