// VorlRun refuses inputs it cannot compute with: one report naming input, value and range; no records kept.
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

void withValve(VorlHandle m, double position, double closure) {
  VorlValveAdd(m, position, closure);
  VorlValvesActivate(m, 1);
}

// Values of one input that VorlRun refuses with the input's code, naming it.
struct Refusal {
  const char* named;
  std::function<void(VorlHandle, double)> set;
  std::vector<double> values;
  int code;
};

const std::vector<Refusal>& refusals() {
  static const std::vector<Refusal> table = {
      {"ambient temperature", VorlAmbientTemperatureSet, {kInf}, VORL_E_INVALID_AMBIENT_TEMPERATURE},
      {"ambient pressure", VorlAmbientPressureSet, {0.0, kNaN}, VORL_E_INVALID_AMBIENT_PRESSURE},
      {"humidity", VorlAmbientHumiditySet, {kNaN}, VORL_E_INVALID_AMBIENT_HUMIDITY},
      {"air", VorlAmbientMolecularWeightSet, {-1.0}, VORL_E_INVALID_AIR_MOLECULAR_WEIGHT},
      {"gas temperature", VorlGasTemperatureSet, {0.0, kNaN}, VORL_E_INVALID_GAS_TEMPERATURE},
      {"pipe length", VorlPipeLengthSet, {kNaN, 0.0, -1.0}, VORL_E_INVALID_PIPE_LENGTH},
      {"pipe diameter", VorlPipeDiameterSet, {0.0, kInf}, VORL_E_INVALID_PIPE_DIAMETER},
      // 0: no friction; 0.5: as rough as the bore is wide.
      {"pipe roughness", VorlPipeRoughnessSet, {-1e-5, 0.0, 0.5}, VORL_E_INVALID_PIPE_ROUGHNESS},
      {"upstream", VorlUpstreamPressureSet, {100000.0, kNaN}, VORL_E_INVALID_UPSTREAM_PRESSURE},
      {"total inflow", VorlTotalInflowSet, {-1.0, kNaN}, VORL_E_INVALID_TOTAL_INFLOW},
      {"orifice aperture", VorlOrificeApertureSet, {kNaN, -1.0, 0.0, 1e308}, VORL_E_INVALID_APERTURE},
      {"valve 1 position", [](VorlHandle m, double v) { withValve(m, v, 10.0); }, {kNaN},
       VORL_E_INVALID_VALVE_POSITION},
      // A closure before the breach was once offered again after every step: refused, at a fine division too.
      {"valve 1 closure time",
       [](VorlHandle m, double v) {
         VorlTimeDivisionSet(m, 1000000);
         withValve(m, 20000.0, v);
       },
       {-1.0, kInf},
       VORL_E_INVALID_VALVE_CLOSURE_TIME},
      {"expansion method", [](VorlHandle m, double v) { VorlAtmosExpanMethodSet(m, static_cast<int>(v)); }, {5.0},
       VORL_E_INVALID_EXPANSION_METHOD},
      {"Weber number", VorlAtmosExpanWeNumSet, {kNaN}, VORL_E_INVALID_WEBER_NUMBER},
      {"maximum velocity", VorlAtmosExpanMaxVelSet, {kNaN}, VORL_E_INVALID_MAX_VELOCITY},
      {"minimum drop size", VorlAtmosExpanMinDropSet, {-1.0}, VORL_E_INVALID_MIN_DROP_SIZE},
      {"maximum drop size", VorlAtmosExpanMaxDropSet, {kNaN}, VORL_E_INVALID_MAX_DROP_SIZE},
      {"hole diameter", [](VorlHandle m, double v) { VorlAtmosExpanHoleSizeSet(m, v, 1.0); }, {kNaN},
       VORL_E_INVALID_HOLE_DIAMETER},
      {"hole aperture", [](VorlHandle m, double v) { VorlAtmosExpanHoleSizeSet(m, 0.5, v); }, {2.0},
       VORL_E_INVALID_HOLE_APERTURE},
  };
  return table;
}

TEST_F(RunGuard, EveryInputItCannotComputeWithIsRefusedWithItsOwnCodeAndNoRecords) {
  for (const Refusal& refusal : refusals()) {
    for (const double value : refusal.values) {
      const std::string what = std::string(refusal.named) + " " + std::to_string(value);
      const RunLine line(20.0);
      ASSERT_GT(line.count, 0) << what;
      VorlPipeTimeSet(line, 600.0, 0.0);
      refusal.set(line, value);
      VorlErrorLogClear();
      EXPECT_EQ(VorlRun(line), 0) << what;
      const auto reports = loggedReports();
      ASSERT_EQ(reports.size(), 1u) << what;
      EXPECT_EQ(reports[0].code, refusal.code) << what;
      EXPECT_EQ(reports[0].tag, "VorlRun") << what;
      EXPECT_NE(reports[0].message.find(refusal.named), std::string::npos) << reports[0].message;
      EXPECT_NE(reports[0].message.find("valid"), std::string::npos) << reports[0].message;
      // Nothing of the earlier run reads as a result of this one.
      EXPECT_EQ(VorlBranchAFlowSequenceSize(line), 0) << what;
      EXPECT_EQ(VorlBranchBFlowSequenceSize(line), 0) << what;
      VorlErrorLogClear();
      EXPECT_EQ(VorlPipeMass(line), 0.0) << what;
    }
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
