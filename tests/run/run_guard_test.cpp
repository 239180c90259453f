// VorlRun refuses inputs it cannot compute with before it computes anything:
// one report whose code names the input and whose message gives its value
// and valid range, no records, and nothing kept from an earlier run.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "support/run_line.h"

namespace {

using namespace vorl::test;
using RunGuard = LogClearedTest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Refusal {
  const char* what;
  std::function<void(VorlHandle)> set;
  int code;
  const char* named;  // the input's name in the message
};

void withValve(VorlHandle m, double position, double closure) {
  VorlValveAdd(m, position, closure);
  VorlValvesActivate(m, 1);
}

const std::vector<Refusal>& refusals() {
  static const std::vector<Refusal> table = {
      {"ambient temperature infinite", setting(VorlAmbientTemperatureSet, kInf), VORL_E_INVALID_AMBIENT_TEMPERATURE,
       "ambient temperature"},
      {"ambient pressure 0", setting(VorlAmbientPressureSet, 0.0), VORL_E_INVALID_AMBIENT_PRESSURE, "ambient pressure"},
      {"ambient pressure NaN", setting(VorlAmbientPressureSet, kNaN), VORL_E_INVALID_AMBIENT_PRESSURE,
       "ambient pressure"},
      {"humidity NaN", setting(VorlAmbientHumiditySet, kNaN), VORL_E_INVALID_AMBIENT_HUMIDITY, "humidity"},
      {"air molecular weight -1", setting(VorlAmbientMolecularWeightSet, -1.0), VORL_E_INVALID_AIR_MOLECULAR_WEIGHT,
       "air"},
      {"gas temperature 0", setting(VorlGasTemperatureSet, 0.0), VORL_E_INVALID_GAS_TEMPERATURE, "gas temperature"},
      {"gas temperature NaN", setting(VorlGasTemperatureSet, kNaN), VORL_E_INVALID_GAS_TEMPERATURE, "gas temperature"},
      {"length NaN", setting(VorlPipeLengthSet, kNaN), VORL_E_INVALID_PIPE_LENGTH, "pipe length"},
      {"length 0", setting(VorlPipeLengthSet, 0.0), VORL_E_INVALID_PIPE_LENGTH, "pipe length"},
      {"length -1", setting(VorlPipeLengthSet, -1.0), VORL_E_INVALID_PIPE_LENGTH, "pipe length"},
      {"bore 0", setting(VorlPipeDiameterSet, 0.0), VORL_E_INVALID_PIPE_DIAMETER, "pipe diameter"},
      {"bore infinite", setting(VorlPipeDiameterSet, kInf), VORL_E_INVALID_PIPE_DIAMETER, "pipe diameter"},
      {"roughness -1e-5", setting(VorlPipeRoughnessSet, -1e-5), VORL_E_INVALID_PIPE_ROUGHNESS, "pipe roughness"},
      {"roughness 0 (no friction)", setting(VorlPipeRoughnessSet, 0.0), VORL_E_INVALID_PIPE_ROUGHNESS,
       "pipe roughness"},
      {"roughness equal to the bore", setting(VorlPipeRoughnessSet, 0.5), VORL_E_INVALID_PIPE_ROUGHNESS,
       "pipe roughness"},
      {"upstream at ambient", setting(VorlUpstreamPressureSet, 100000.0), VORL_E_INVALID_UPSTREAM_PRESSURE, "upstream"},
      {"upstream NaN", setting(VorlUpstreamPressureSet, kNaN), VORL_E_INVALID_UPSTREAM_PRESSURE, "upstream"},
      {"inflow -1", setting(VorlTotalInflowSet, -1.0), VORL_E_INVALID_TOTAL_INFLOW, "total inflow"},
      {"inflow NaN", setting(VorlTotalInflowSet, kNaN), VORL_E_INVALID_TOTAL_INFLOW, "total inflow"},
      {"aperture NaN", setting(VorlOrificeApertureSet, kNaN), VORL_E_INVALID_APERTURE, "orifice aperture"},
      {"aperture -1", setting(VorlOrificeApertureSet, -1.0), VORL_E_INVALID_APERTURE, "orifice aperture"},
      {"aperture 0 (closed)", setting(VorlOrificeApertureSet, 0.0), VORL_E_INVALID_APERTURE, "orifice aperture"},
      {"aperture 1e308", setting(VorlOrificeApertureSet, 1e308), VORL_E_INVALID_APERTURE, "orifice aperture"},
      {"valve position NaN", [](VorlHandle m) { withValve(m, kNaN, 10.0); }, VORL_E_INVALID_VALVE_POSITION,
       "valve 1 position"},
      // A closure before the breach was once offered again after every step:
      // refused, not stepped for ever, at a fine division too.
      {"valve closing at -1 s",
       [](VorlHandle m) {
         VorlTimeDivisionSet(m, 1000000);
         withValve(m, 20000.0, -1.0);
       },
       VORL_E_INVALID_VALVE_CLOSURE_TIME, "valve 1 closure time"},
      {"valve closing at infinity", [](VorlHandle m) { withValve(m, 20000.0, kInf); },
       VORL_E_INVALID_VALVE_CLOSURE_TIME, "closure time"},
      {"expansion method 5", setting(VorlAtmosExpanMethodSet, 5), VORL_E_INVALID_EXPANSION_METHOD, "expansion method"},
      {"Weber number NaN", setting(VorlAtmosExpanWeNumSet, kNaN), VORL_E_INVALID_WEBER_NUMBER, "Weber number"},
      {"maximum velocity NaN", setting(VorlAtmosExpanMaxVelSet, kNaN), VORL_E_INVALID_MAX_VELOCITY, "maximum velocity"},
      {"minimum drop -1", setting(VorlAtmosExpanMinDropSet, -1.0), VORL_E_INVALID_MIN_DROP_SIZE, "minimum drop size"},
      {"maximum drop NaN", setting(VorlAtmosExpanMaxDropSet, kNaN), VORL_E_INVALID_MAX_DROP_SIZE, "maximum drop size"},
      {"hole diameter NaN", [](VorlHandle m) { VorlAtmosExpanHoleSizeSet(m, kNaN, 1.0); }, VORL_E_INVALID_HOLE_DIAMETER,
       "hole diameter"},
      {"hole aperture 2", [](VorlHandle m) { VorlAtmosExpanHoleSizeSet(m, 0.5, 2.0); }, VORL_E_INVALID_HOLE_APERTURE,
       "hole aperture"},
  };
  return table;
}

TEST_F(RunGuard, EveryInputItCannotComputeWithIsRefusedWithItsOwnCodeAndNoRecords) {
  for (const Refusal& refusal : refusals()) {
    const RunLine line(20.0);
    ASSERT_GT(line.count, 0) << refusal.what;
    VorlPipeTimeSet(line, 600.0, 0.0);
    refusal.set(line);
    VorlErrorLogClear();
    EXPECT_EQ(VorlRun(line), 0) << refusal.what;
    const auto reports = loggedReports();
    ASSERT_EQ(reports.size(), 1u) << refusal.what;
    EXPECT_EQ(reports[0].code, refusal.code) << refusal.what;
    EXPECT_EQ(reports[0].tag, "VorlRun") << refusal.what;
    EXPECT_NE(reports[0].message.find(refusal.named), std::string::npos) << reports[0].message;
    EXPECT_NE(reports[0].message.find("valid"), std::string::npos) << reports[0].message;
    // Nothing of the earlier run reads as a result of this one.
    EXPECT_EQ(VorlBranchAFlowSequenceSize(line), 0) << refusal.what;
    EXPECT_EQ(VorlBranchBFlowSequenceSize(line), 0) << refusal.what;
    VorlErrorLogClear();
    EXPECT_EQ(VorlPipeMass(line), 0.0) << refusal.what;
  }
}

TEST_F(RunGuard, TheMessageShowsTheValueAndTheRange) {
  const RunLine line;
  VorlOrificeApertureSet(line, -1.0);
  VorlErrorLogClear();
  VorlRun(line);
  EXPECT_NE(lastReport().message.find("orifice aperture -1 is outside its valid range: above 0 up to 1"),
            std::string::npos)
      << lastReport().message;
  VorlPipeLengthSet(line, kNaN);
  VorlRun(line);
  EXPECT_NE(lastReport().message.find("pipe length is not a number"), std::string::npos) << lastReport().message;
}

TEST_F(RunGuard, AValveExactlyAtTheBreachIsRefusedAndSaysSo) {
  // Breach inside the pipe, and at its far end (branch A only).
  for (double breach : {30000.0, 100000.0}) {
    const RunLine line(0.0, breach);
    withValve(line, breach, 100.0);
    VorlErrorLogClear();
    EXPECT_EQ(VorlRun(line), 0);
    ASSERT_EQ(VorlErrorLogCount(), 1);
    EXPECT_EQ(lastReport().code, VORL_E_INVALID_VALVE_POSITION);
    EXPECT_NE(lastReport().message.find("exactly at the breach"), std::string::npos) << lastReport().message;
  }
}

TEST_F(RunGuard, InactiveValvesAreNotChecked) {
  const RunLine line;
  VorlValveAdd(line, kNaN, -1.0);
  VorlErrorLogClear();
  EXPECT_EQ(VorlRun(line), line.count);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(RunGuard, AnInflowTooSmallToResolveIsRefusedNamingTheSmallestThatIs) {
  const RunLine tiny(1e-12);
  EXPECT_EQ(tiny.count, 0);
  ASSERT_EQ(VorlErrorLogCount(), 1);
  const LoggedReport report = lastReport();
  EXPECT_EQ(report.code, VORL_E_INVALID_TOTAL_INFLOW);
  EXPECT_NE(report.message.find("total inflow 1e-12 kg/s"), std::string::npos) << report.message;
  // The smallest inflow the model resolves is named; it and anything above run.
  const std::string::size_type here = report.message.find("here ");
  ASSERT_NE(here, std::string::npos);
  const double smallest = std::stod(report.message.substr(here + 5));
  EXPECT_GT(smallest, 1e-12);
  EXPECT_LT(smallest, 1e-3);
  VorlErrorLogClear();
  const RunLine resolved(2.0 * smallest);
  EXPECT_GT(resolved.count, 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  // A fed branch never finishes: its last record has an infinite time and
  // an infinite expelled mass; the unfed branch B finishes.
  const int last = VorlBranchAFlowSequenceSize(resolved) - 1;
  EXPECT_EQ(VorlBranchATimeIsInfinite(resolved, last), 1);
  EXPECT_EQ(VorlBranchAMassExpelledIsInfinite(resolved, last), 1);
  EXPECT_EQ(VorlBranchBMassExpelledIsInfinite(resolved, VorlBranchBFlowSequenceSize(resolved) - 1), 0);
  // No inflow at all is not refused.
  const RunLine none(0.0);
  EXPECT_GT(none.count, 0);
}

TEST_F(RunGuard, ATimeDivisionTheSetterIgnoresIsReported) {
  const RunLine line;
  for (int division : {1, 0, -5}) {
    VorlErrorLogClear();
    VorlTimeDivisionSet(line, division);
    EXPECT_TRUE(reported(VORL_E_INVALID_TIME_DIVISION, "VorlTimeDivisionSet")) << division;
  }
  EXPECT_EQ(VorlRun(line), line.count);  // still the default division
}

}  // namespace
