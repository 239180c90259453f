// Whole release cases through the C interface: layouts, history structure, first steps, failures, physics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "core/vorl_error.h"
#include "support/model_run.h"
#include "support/run_line.h"

namespace {

using namespace vorl::test;
using RunDriver = LogClearedTest;

TEST_F(RunDriver, LayoutDecidesWhichBranchesRunAndTheCountSumsThem) {
  // Breached in the middle, at the far end, at the upstream end.
  for (double breach : {30000.0, 100000.0, 0.0}) {
    const RunLine line(0.0, breach);
    const int nA = VorlBranchAFlowSequenceSize(line), nB = VorlBranchBFlowSequenceSize(line);
    EXPECT_TRUE(breach == 0.0 ? nA == 0 : nA > 10) << breach;
    EXPECT_TRUE(breach == 100000.0 ? nB == 0 : nB > 10) << breach;
    // Every record but the steady state before the breach is counted.
    EXPECT_EQ(line.count, std::max(nA - 1, 0) + std::max(nB - 1, 0)) << breach;
  }
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(RunDriver, HistoryStartsBeforeTheBreachAndStoresTheEndOfPhaseOneTwice) {
  const RunLine line;
  for (char branch : {'A', 'B'}) {
    const auto records = branchHistory(line, branch);
    ASSERT_GE(records.size(), 3u);
    // The steady state, then the breach at time 0 with nothing disturbed yet.
    EXPECT_TRUE(records[0].regime == -1 && records[0].time == 0.0) << branch;
    EXPECT_TRUE(records[1].regime == 1 && records[1].time == 0.0 && records[1].lengthDisturbed == 0.0) << branch;
    EXPECT_EQ(records.back().regime, 4) << branch;
    // The step that brings the front to the far end, then the transition at the same time.
    std::size_t k = 2;
    while (k < records.size() && records[k].regime == 1) ++k;
    ASSERT_LT(k, records.size()) << branch;
    EXPECT_EQ(records[k - 1].lengthDisturbed, branch == 'A' ? 30000.0 : 70000.0) << branch;
    EXPECT_EQ(records[k].time, records[k - 1].time) << branch;
    EXPECT_EQ(records[k].regime, branch == 'A' ? 3 : 2) << branch;
  }
}

TEST_F(RunDriver, TimesNeverDecreaseMassesNeverGrowWithoutInflowAndTheOutflowIntegratesToTheExpelledMass) {
  for (double inflow : {0.0, 20.0}) {
    const RunLine line(inflow);
    for (char branch : {'A', 'B'}) {
      const auto r = branchHistory(line, branch);
      // Trapezoidal integral of the breach outflow over the finite part of the history.
      double integral = 0.0;
      std::size_t last = 1;
      for (std::size_t i = 1; i < r.size(); ++i) {
        EXPECT_GE(r[i].time, r[i - 1].time) << branch << i;
        EXPECT_TRUE(inflow > 0.0 || r[i].mass <= r[i - 1].mass * (1.0 + 1e-12)) << branch << i;
        if (i < 2 || r[i].time > 9e127) continue;
        integral += 0.5 * (r[i].exitFlux + r[i - 1].exitFlux) * (r[i].time - r[i - 1].time);
        last = i;
      }
      EXPECT_GT(r[last].massExpelled, 0.0);
      EXPECT_NEAR(integral, r[last].massExpelled, 0.05 * r[last].massExpelled) << branch << " inflow " << inflow;
    }
  }
}

// A fed branch whose choked blow-down reaches its limit ends at infinite time; the pipe releases the supply after it.
TEST_F(RunDriver, AFedBranchAtItsChokedLimitHoldsItForEver) {
  struct Gas {
    int material;
    double molecularWeight;
  };
  for (const Gas gas : {Gas{kMethane, 0.0}, Gas{0, 16.04}, Gas{0, 17.4}}) {
    for (double aperture : {0.2, 0.3}) {
      ModelHandle model(gas.material != 0 ? VorlModelCreateZel(gas.material)
                                          : VorlModelCreateSimple(gas.molecularWeight));
      VorlPipeDiameterSet(model, 0.5);
      VorlPipeRoughnessSet(model, 5e-5);
      VorlPipeLengthSet(model, 100000.0);
      VorlUpstreamPressureSet(model, 4.0e6);
      VorlTotalInflowSet(model, 20.0);
      VorlPipeBreachLocationSet(model, 5000.0);
      VorlOrificeApertureSet(model, aperture);
      ASSERT_GT(VorlRun(model), 0);
      const std::string label = std::to_string(gas.molecularWeight) + " " + std::to_string(aperture);

      const int last = VorlBranchAFlowSequenceSize(model) - 1;
      EXPECT_EQ(VorlBranchATimeIsInfinite(model, last), 1) << label;
      EXPECT_EQ(VorlBranchARegime(model, last), 4) << label;
      EXPECT_EQ(VorlBranchATimeToDepressurise(model), 1e128) << label;
      // At the limit the outflow stands near what the supply delivers (the
      // limit state keeps the choked flux of its last step).
      EXPECT_NEAR(VorlBranchAExitFlux(model, last), 20.0, 20.0 * 0.1) << label;

      // After the end of the finite history the pipe goes on releasing what
      // the supply delivers: the expelled mass grows at the inflow rate.
      const double end = VorlPipeTimeMax(model);
      VorlPipeTimeSet(model, end, 0.0);
      const double releasedAtEnd = VorlPipeMassExpelled(model);
      const double hour = 3600.0;
      VorlPipeTimeSet(model, end + hour, 0.0);
      EXPECT_EQ(VorlPipeMassExpelledIsInfinite(model), 0) << label;
      EXPECT_NEAR(VorlPipeMassExpelled(model) - releasedAtEnd, 20.0 * hour, 1e-6 * 20.0 * hour) << label;
      EXPECT_NEAR(VorlPipeExitFlux(model), 20.0, 20.0 * 0.1) << label;
    }
  }
}

TEST_F(RunDriver, FailuresReturnZeroWithTheirCodeAndTag) {
  // 2000 kg/s through 0.5 m over 100 km: the friction loss exceeds 70 bar.
  ModelHandle overfed(methaneLine(2000.0));
  EXPECT_EQ(VorlErrorLogCount(), 0);  // the run fails, not the setting
  EXPECT_EQ(VorlRun(overfed), 0);
  EXPECT_TRUE(reported(VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBctor"));
  EXPECT_EQ(VorlBranchAFlowSequenceSize(overfed), 0);  // emptied before the failure
}

TEST_F(RunDriver, ABranchThatWouldNotFinishStopsAtTheSafetyBoundKeepingItsRecords) {
  vorl::VORL m(kMethane);
  vorl::applyInputDefaults(m);
  setMethaneLine(m);
  m.timeDivisionSet(1000);
  m.resetSequences();
  try {
    vorl::branchRun(m, vorl::BranchId::kB, 50);
    ADD_FAILURE() << "the bound was not applied";
  } catch (const vorl::VORLERROR& e) {
    EXPECT_TRUE(e.eError() == VORL_E_STEP_BOUND && e.tag() == "vlRunB") << e.eError() << e.tag();
  }
  // The steady state, the breach start and one record per pass.
  EXPECT_EQ(m.requireSequence(vorl::BranchId::kB).size(), 2 + 50);
}

TEST_F(RunDriver, UpstreamPressureAboveTheSaturationPressureWarns) {
  ModelHandle model(VorlModelCreateZel(kPropane));
  VorlPipeLengthSet(model, 10000.0);
  VorlUpstreamPressureSet(model, 2.0e6);  // propane condenses above 0.73 MPa at 288 K
  VorlRun(model);
  const auto reports = loggedReports();
  ASSERT_FALSE(reports.empty());
  EXPECT_TRUE(reports.front().code == VORL_W_ABOVE_SATURATION && reports.front().tag == "vlInit");
  EXPECT_GT(VorlBranchAFlowSequenceSize(model), 2);  // a warning, not a failure
}

void VORL_CALL collectLine(const char* line, void* user) {
  static_cast<std::vector<std::string>*>(user)->push_back(line);
}

TEST_F(RunDriver, ProgressLinesFollowEveryStepAttempt) {
  std::vector<std::string> lines;
  VorlDebugOutputSet(&collectLine, &lines);
  const RunLine line(0.0, 0.0);  // single branch B
  VorlDebugOutputSet(nullptr, nullptr);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().rfind("B1 t=", 0), 0u) << lines.front();
  EXPECT_NE(lines.front().find(" Lambda="), std::string::npos);
  const double end = VorlBranchBTime(line, VorlBranchBFlowSequenceSize(line) - 1);
  EXPECT_EQ(lines.back(), "B finished. t=" + std::to_string(end) + "\n");
  EXPECT_NE(std::find_if(lines.begin(), lines.end(), [](const std::string& s) { return s.rfind("B2 t=", 0) == 0; }),
            lines.end());
}

TEST_F(RunDriver, ModelsOnTwoThreadsGiveTheSerialResultsBitForBit) {
  // Both branches' records of a case (inflow, breach), every value as its bits.
  const auto history = [](std::pair<double, double> c) {
    const RunLine line(c.first, c.second);
    std::vector<double> values;
    for (char branch : {'A', 'B'}) {
      for (const BranchRecord& r : branchHistory(line, branch)) {
        values.insert(values.end(), {r.time, r.exitFlux, r.exitPressure, r.upstreamPressure, r.upstreamFlux, r.mass,
                                     r.massExpelled, r.massTrapped, r.lengthDisturbed, double(r.regime)});
      }
    }
    return values;
  };
  const std::pair<double, double> cases[] = {{20.0, 30000.0}, {0.0, 70000.0}};
  std::vector<double> serial[2], parallel[2];
  std::vector<std::thread> threads;
  for (int k = 0; k < 2; ++k) {
    serial[k] = history(cases[k]);
    threads.emplace_back([&, k] {
      for (int i = 0; i < 5; ++i) parallel[k] = history(cases[k]);
    });
  }
  for (std::thread& t : threads) t.join();
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(parallel[k].size(), serial[k].size());
    EXPECT_EQ(std::memcmp(parallel[k].data(), serial[k].data(), serial[k].size() * sizeof(double)), 0) << k;
  }
}

}  // namespace
