// The release report against the mass balance and the per-value queries; the events against the branch histories.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "support/release_cases.h"
#include "support/run_line.h"
#include "support/unit_names.h"
#include "vorl.h"

namespace {

using namespace vorl::test;

// The report of a run by field name.
std::map<std::string, double> reportOf(VorlHandle model) {
  const int count = VorlReleaseReportColumnCount();
  std::vector<double> values(static_cast<std::size_t>(count), -7.0);
  EXPECT_EQ(VorlReleaseReportFill(model, values.data(), 1), 1);
  std::map<std::string, double> report;
  for (int i = 0; i < count; ++i) report[textOf(VorlReleaseReportColumnName, i)] = values[static_cast<std::size_t>(i)];
  EXPECT_EQ(report.size(), static_cast<std::size_t>(count)) << "field names are distinct";
  return report;
}

double releasedAt(VorlHandle model, double t, double tolerance) {
  VorlPipeTimeSet(model, t, tolerance);
  return VorlPipeMassExpelled(model);
}

const std::pair<const char*, double> kMarks[] = {{"10s", 10.0}, {"1min", 60.0}, {"10min", 600.0}, {"1h", 3600.0}};

TEST(ReleaseReport, AnUnfedLineKeepsItsMassBalanceAtEveryMark) {
  // Without inflow, what is released and what the pipe still holds (behind
  // the shut valve too) make up the gas it held before the breach.
  RunLine line;
  VorlValveAdd(line, 70000.0, 300.0);
  VorlValvesActivate(line, 1);
  ASSERT_GT(VorlRun(line), 0);
  const auto r = reportOf(line);
  const double initial = r.at("initial_mass_kg");
  for (const auto& [mark, t] : kMarks) {
    const double released = releasedAt(line, t, 1e-6 * t);
    EXPECT_NEAR(r.at(std::string("gas_in_pipe_") + mark + "_kg") + released, initial, 1e-9 * initial) << mark;
    // Both branches' outflows make up the pipe's.
    const std::string rate = std::string("release_rate_") + mark + "_kg_per_s";
    EXPECT_NEAR(r.at("a_" + rate) + r.at("b_" + rate), r.at(rate), 1e-9 * r.at("initial_release_rate_kg_per_s"))
        << mark;
  }
  // A mean rate is the mass released over its span.
  EXPECT_DOUBLE_EQ(r.at("mean_release_rate_20s_kg_per_s") * 20.0, releasedAt(line, 20.0, 2e-5));
  EXPECT_DOUBLE_EQ(r.at("mean_release_rate_60s_kg_per_s") * 60.0, releasedAt(line, 60.0, 6e-5));
  // Releasing has slowed from the breach on: a mean over the first 20 s
  // lies between the rates at 10 s and at the breach.
  EXPECT_LT(r.at("mean_release_rate_20s_kg_per_s"), r.at("initial_release_rate_kg_per_s"));
  EXPECT_GT(r.at("mean_release_rate_20s_kg_per_s"), r.at("release_rate_1min_kg_per_s"));
}

TEST(ReleaseReport, HalfAndNinetyPercentTimesAreWhereTheReleasedMassCrossesThem) {
  RunLine line;
  const auto r = reportOf(line);
  const double initial = r.at("initial_mass_kg");
  const double half = r.at("time_to_release_half_s"), most = r.at("time_to_release_90pct_s");
  ASSERT_TRUE(std::isfinite(half));
  ASSERT_LT(half, most);
  for (const auto& [t, fraction] : {std::pair{half, 0.5}, std::pair{most, 0.9}}) {
    EXPECT_NEAR(releasedAt(line, t, 0.0), fraction * initial, 1e-6 * initial);
    EXPECT_LT(releasedAt(line, t * (1.0 - 1e-4), 0.0), fraction * initial);
  }
}

TEST(ReleaseReport, ValvesThatHoldBackHalfTheGasMeanItIsNeverReleased) {
  // Valves 5 km either side of the breach, shut at 60 s: most of the line is
  // cut off, and neither half nor 90 % of its gas ever leaves.
  RunLine line(0.0, 50000.0);
  VorlValveAdd(line, 45000.0, 60.0);
  VorlValveAdd(line, 55000.0, 60.0);
  VorlValvesActivate(line, 1);
  ASSERT_GT(VorlRun(line), 0);
  const auto r = reportOf(line);
  EXPECT_EQ(r.at("time_to_release_half_s"), INFINITY);
  EXPECT_EQ(r.at("time_to_release_90pct_s"), INFINITY);
  EXPECT_GT(r.at("mass_trapped_end_kg"), 0.5 * r.at("initial_mass_kg"));
}

TEST(ReleaseReport, ASingleBranchHasNoBranchBFieldsAndTheBreachAndHoleAreThoseUsed) {
  // Breached beyond the far end (the end is used) through a quarter of the bore.
  ModelHandle model(methaneLine(0.0, 250000.0));
  VorlOrificeApertureSet(model, 0.25);
  ASSERT_GT(VorlRun(model), 0);
  ASSERT_TRUE(VorlIsSingleBranchA(model));
  const auto r = reportOf(model);
  for (const auto& [name, value] : r) {
    if (name.rfind("b_", 0) == 0) {
      EXPECT_TRUE(std::isnan(value)) << name;
    } else {
      EXPECT_FALSE(std::isnan(value)) << name;
    }
  }
  EXPECT_EQ(r.at("breach_location_m"), 100000.0);
  EXPECT_DOUBLE_EQ(r.at("hole_diameter_m"), 0.25);  // 0.5 m x sqrt(0.25)
  EXPECT_EQ(r.at("release_rate_10s_kg_per_s"), r.at("a_release_rate_10s_kg_per_s"));
}

TEST(ReleaseReport, AFedBranchNeverDepressurisesAndTheToolsFieldsAreThePerValueQueries) {
  RunLine line(20.0);
  const auto r = reportOf(line);
  EXPECT_EQ(r.at("a_time_to_depressurise_s"), INFINITY);  // +inf, not 1e128
  EXPECT_EQ(r.at("b_time_to_dechoke_s"), VorlBranchBTimeToDechoke(line));
  EXPECT_EQ(r.at("fanning_factor"), VorlFanning(line));
  EXPECT_EQ(r.at("end_time_s"), VorlPipeTimeMax(line));
  EXPECT_EQ(r.at("mass_released_10min_kg"), releasedAt(line, 600.0, 600.0 * 1e-6));
  // Fed, the line releases more than it held: both fractions are reached.
  EXPECT_TRUE(std::isfinite(r.at("time_to_release_90pct_s")));
}

class ReportArguments : public LogClearedTest {};

TEST_F(ReportArguments, BeforeARunNothingIsWrittenAndTheHostsTimeIsKept) {
  ModelHandle fresh(methaneLine());
  std::vector<double> values(static_cast<std::size_t>(VorlReleaseReportColumnCount()), -7.0);
  EXPECT_EQ(VorlReleaseReportFill(fresh, values.data(), 1), 0);
  EXPECT_GT(VorlErrorLogCount(), 0);
  EXPECT_EQ(values[0], -7.0);

  VorlErrorLogClear();
  RunLine line;
  EXPECT_EQ(VorlReleaseReportFill(line, nullptr, 0), 1);
  EXPECT_EQ(VorlReleaseReportFill(line, values.data(), 0), 0);
  EXPECT_EQ(values[0], -7.0);
  VorlPipeTimeSet(line, 123.0, 0.0);
  const double mass = VorlPipeMass(line);
  EXPECT_EQ(VorlReleaseReportFill(line, values.data(), 1), 1);
  EXPECT_EQ(VorlPipeMass(line), mass);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

// ---- events ----

struct Events {
  std::vector<int> kinds, branches;
  std::vector<double> times, positions;
};

Events eventsOf(VorlHandle model) {
  const int count = VorlEventCount(model);
  Events e{std::vector<int>(count), std::vector<int>(count), std::vector<double>(count), std::vector<double>(count)};
  EXPECT_EQ(VorlEventsFill(model, e.kinds.data(), e.branches.data(), e.times.data(), e.positions.data(), count),
            count);
  return e;
}

TEST(Events, EachBranchEventIsItsHistorysTimeAndAValveShutsAtItsPosition) {
  RunLine line(20.0);  // branch A fed: it never depressurises
  VorlValveAdd(line, 80000.0, 900.0);
  VorlValvesActivate(line, 1);
  ASSERT_GT(VorlRun(line), 0);
  const Events e = eventsOf(line);
  std::map<std::pair<int, int>, double> byKind;
  int valves = 0;
  for (std::size_t i = 0; i < e.kinds.size(); ++i) {
    if (i > 0) {
      EXPECT_LE(e.times[i - 1], e.times[i]);
    }
    if (e.kinds[i] == VORL_EVENT_VALVE_CLOSURE) {
      ++valves;
      EXPECT_EQ(e.branches[i], VORL_BRANCH_B);
      EXPECT_EQ(e.positions[i], 80000.0);
      EXPECT_NEAR(e.times[i], 900.0, 9.0);  // cut at the stored step of its closure
    } else {
      EXPECT_TRUE(std::isnan(e.positions[i]));
      EXPECT_TRUE(byKind.emplace(std::pair{e.branches[i], e.kinds[i]}, e.times[i]).second);
    }
  }
  EXPECT_EQ(valves, 1);
  EXPECT_EQ(byKind.count({VORL_BRANCH_A, VORL_EVENT_DEPRESSURISED}), 0U);
  EXPECT_EQ(byKind.at({VORL_BRANCH_A, VORL_EVENT_DECHOKE}), VorlBranchATimeToDechoke(line));
  EXPECT_EQ(byKind.at({VORL_BRANCH_A, VORL_EVENT_WHOLE_BRANCH_DISTURBED}), VorlBranchATimeToDisturbEntireFlow(line));
  EXPECT_EQ(byKind.at({VORL_BRANCH_B, VORL_EVENT_FLOW_REVERSAL}), VorlBranchBTimeToFlowReversal(line));
  EXPECT_EQ(byKind.at({VORL_BRANCH_B, VORL_EVENT_DEPRESSURISED}), VorlBranchBTimeToDepressurise(line));
  EXPECT_EQ(byKind.count({VORL_BRANCH_A, VORL_EVENT_FLOW_REVERSAL}), 0U);
}

class EventArguments : public LogClearedTest {};

TEST_F(EventArguments, NoEventsBeforeARunAndBadArraysAreRefused) {
  ModelHandle fresh(methaneLine());
  EXPECT_EQ(VorlEventCount(fresh), 0);
  RunLine line;
  int kind = 0, branch = 0;
  double time = 0.0, position = 0.0;
  EXPECT_EQ(VorlEventsFill(line, &kind, &branch, &time, nullptr, 1), 0);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlEvents"));
  EXPECT_EQ(VorlEventsFill(line, &kind, &branch, &time, &position, -1), 0);
  EXPECT_TRUE(reported(VORL_E_ROW_COUNT, "VorlEvents"));
  EXPECT_EQ(VorlEventsFill(line, &kind, &branch, &time, &position, 1), 1);
  EXPECT_GT(time, 0.0);
}

TEST(PipeBranchExitFlux, TheBranchesOutflowsMakeUpThePipesAtTheTimeSet) {
  RunLine line;
  VorlPipeTimeSet(line, 100.0, 0.0);
  const double a = VorlPipeBranchExitFlux(line, VORL_BRANCH_A), b = VorlPipeBranchExitFlux(line, VORL_BRANCH_B);
  EXPECT_GT(a, 0.0);
  EXPECT_GT(b, 0.0);
  EXPECT_NEAR(a + b, VorlPipeExitFlux(line), 1e-12 * VorlPipeExitFlux(line));
}

}  // namespace
