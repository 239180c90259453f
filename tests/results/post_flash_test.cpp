// Post-flash queries: the outflow expanded to ambient pressure, per branch
// step and for the pipe at the time set.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "support/run_line.h"

namespace {

using namespace vorl::test;
using PostFlash = LogClearedTest;

// The four outputs in argument order: a branch gives temperature first, the
// pipe velocity first.
struct Flash {
  double first = -1, second = -1, liquid = -1, drop = -1;
};

Flash branchA(VorlHandle model, int index) {
  Flash f;
  VorlBranchAPostFlash(model, index, &f.first, &f.second, &f.liquid, &f.drop);
  return f;
}

Flash pipe(VorlHandle model) {
  Flash f;
  VorlPipePostFlash(model, &f.first, &f.second, &f.liquid, &f.drop);
  return f;
}

TEST_F(PostFlash, AMethaneJetStaysVapourCoolsAndSpeedsUpAndAFasterOneWarnsButIsNotCapped) {
  const RunLine line;
  const Flash f = branchA(line, 5);
  const double u = VorlBranchAOrificeVelocity(line, 5);
  EXPECT_TRUE(f.first > 100.0 && f.first < 288.15) << f.first;
  EXPECT_GT(f.second, u);
  EXPECT_TRUE(f.liquid == 0.0 && f.drop == 0.0);
  EXPECT_EQ(VorlErrorLogCount(), 0);

  VorlAtmosExpanMaxVelSet(line, u);  // at the maximum: no warning
  EXPECT_EQ(branchA(line, 5).second, f.second);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  VorlAtmosExpanMaxVelSet(line, u / 2.0);
  EXPECT_EQ(branchA(line, 5).second, f.second);
  EXPECT_EQ(VorlErrorLogCount(), 1);
  EXPECT_TRUE(reported(VORL_W_ABOVE_MAX_VELOCITY, "vlAtmosExp"));
  // A pipe query with both branches above the maximum warns twice: one
  // entry that counts two reports.
  VorlPipeTimeSet(line, VorlBranchATime(line, 5), 0.0);
  VorlAtmosExpanMaxVelSet(line, 1.0);
  VorlErrorLogClear();
  pipe(line);
  EXPECT_EQ(VorlErrorLogCount(), 1);
  EXPECT_EQ(VorlErrorLogRepeatCount(0), 2);
}

TEST_F(PostFlash, PipeQueryGivesVelocityFirstAndOneBranchUnweighted) {
  const RunLine line(0.0, 100000.0);
  VorlPipeTimeSet(line, VorlBranchATime(line, 5), 0.0);
  const Flash p = pipe(line), a = branchA(line, 5);
  EXPECT_TRUE(p.first == a.second && p.second == a.first);
}

TEST_F(PostFlash, OutputsAreWrittenOnlyWhenAllAreGivenAndOnlyTheFirstTwoBeforeATimeSetting) {
  const RunLine line;
  const Flash p = pipe(line);
  EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "vlt"));
  EXPECT_TRUE(p.first == 0.0 && p.second == 0.0 && p.liquid == -1.0 && p.drop == -1.0);
  double t = -1;
  VorlBranchAPostFlash(line, 2, &t, nullptr, nullptr, nullptr);
  EXPECT_EQ(t, -1.0);
  EXPECT_EQ(lastReport().code, VORL_E_MISSING_DATA);
  VorlErrorLogClear();
  VorlPipePostFlash(line, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(lastReport().code, VORL_E_MISSING_DATA);
}

TEST_F(PostFlash, WithoutOutflowTheJetIsAtTheGasTemperature) {
  ModelHandle model(methaneLine());
  VorlGasTemperatureSet(model, 280.0);
  VorlRun(model);
  // Long after both branches finished, nothing flows out.
  VorlPipeTimeSet(model, 1.0e7, 0.0);
  const Flash p = pipe(model);
  EXPECT_TRUE(p.first == 0.0 && p.second == 280.0 && p.liquid == 0.0 && p.drop == 0.0);
  // A bad index is reported by both reads and expands no flow.
  VorlErrorLogClear();
  const Flash f = branchA(model, 100000);
  const auto reports = loggedReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports[0].code == VORL_E_INDEX && reports[1].code == VORL_E_INDEX);
  EXPECT_TRUE(f.second == 0.0 && f.first == 280.0);
}

TEST_F(PostFlash, ACondensingJetEndsAtTheSaturationTemperatureWithLiquid) {
  // Propane at 240 K, released from 10 bar: the expanded jet is colder than
  // propane's boiling point at 1 atm and ends two-phase.
  ModelHandle model(VorlModelCreateZel(kPropane));
  VorlGasTemperatureSet(model, 240.0);
  VorlPipeLengthSet(model, 10000.0);
  VorlPipeDiameterSet(model, 0.3);
  VorlUpstreamPressureSet(model, 1.0e6);
  VorlAmbientPressureSet(model, 101325.0);
  VorlRun(model);
  const Flash f = branchA(model, 2);
  ASSERT_GT(f.liquid, 0.0);
  EXPECT_NEAR(f.first, 231.03, 0.5);  // propane boils at 231.0 K at 1 atm
  EXPECT_TRUE(f.drop >= 1e-6 && f.drop <= 0.01) << f.drop;
}

TEST_F(PostFlash, NonPhysicalExpansionInputsAreRefusedWithAReportNotAnswered) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::function<void(VorlHandle)> spoil;
    int code;
  } rows[] = {
      {setting(VorlAmbientPressureSet, -1.0), VORL_E_INVALID_AMBIENT_PRESSURE},
      {setting(VorlAmbientTemperatureSet, nan), VORL_E_INVALID_AMBIENT_TEMPERATURE},
      {setting(VorlAtmosExpanMinDropSet, nan), VORL_E_INVALID_MIN_DROP_SIZE},
      {setting(VorlAtmosExpanMaxDropSet, -1e-3), VORL_E_INVALID_MAX_DROP_SIZE},
      {setting(VorlAtmosExpanWeNumSet, nan), VORL_E_INVALID_WEBER_NUMBER},
      {setting(VorlAtmosExpanMethodSet, 3), VORL_E_INVALID_EXPANSION_METHOD},
  };
  for (const auto& row : rows) {
    const RunLine line;
    VorlPipeTimeSet(line, 600.0, 0.0);
    row.spoil(line);  // after the run: the queries must check for themselves
    VorlErrorLogClear();
    const Flash b = branchA(line, 5);
    EXPECT_TRUE(reported(row.code, "vlAtmosExp")) << row.code;
    EXPECT_TRUE(b.first == 0.0 && b.second == 0.0 && b.liquid == 0.0 && b.drop == 0.0) << row.code;
    VorlErrorLogClear();
    const Flash p = pipe(line);
    EXPECT_TRUE(reported(row.code, "vlAtmosExp")) << row.code;
    EXPECT_TRUE(p.first == 0.0 && p.second == 0.0 && p.liquid == -1.0) << row.code;
  }
}

}  // namespace

namespace {

// Hydrogen's choked orifice passes it at its isothermal sound speed,
// sqrt(8314.34 / 2.01588 x 288.15) = 1090 m/s, above the default bound of
// 1000 m/s: the default bound follows the gas and does not warn; a bound
// set lower is kept and does.
TEST_F(PostFlash, TheDefaultVelocityBoundFollowsTheGas) {
  ModelHandle hydrogen(VorlModelCreateZel(1333740));
  VorlPipeLengthSet(hydrogen, 20000.0);
  VorlUpstreamPressureSet(hydrogen, 5e6);
  VorlPipeBreachLocationSet(hydrogen, 5000.0);
  ASSERT_GT(VorlRun(hydrogen), 0);
  const double soundSpeed = std::sqrt(8314.34 / 2.01588 * 288.15);
  EXPECT_NEAR(VorlBranchAOrificeVelocity(hydrogen, 1), soundSpeed, 1e-6 * soundSpeed);
  branchA(hydrogen, 1);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  VorlAtmosExpanMaxVelSet(hydrogen, 900.0);
  branchA(hydrogen, 1);
  EXPECT_TRUE(reported(VORL_W_ABOVE_MAX_VELOCITY, "vlAtmosExp"));
}

}  // namespace
