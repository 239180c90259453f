// Runs of whole release cases through the C interface: layouts and counts,
// the structure of the stored history, the first steps, failures, and the
// physics every history must obey.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "interface/vorl_error.h"
#include "model/vorl.h"
#include "run/run_driver.h"
#include "support/release_cases.h"

namespace {

using vorl::test::BranchRecord;
using vorl::test::branchHistory;
using vorl::test::lastReport;
using vorl::test::methaneLine;
using vorl::test::ModelHandle;

class RunDriver : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
};

TEST_F(RunDriver, LayoutDecidesWhichBranchesRunAndTheCountSumsThem) {
  ModelHandle both(methaneLine(0.0, 30000.0));
  const int count = VorlRun(both);
  const int nA = VorlBranchAFlowSequenceSize(both);
  const int nB = VorlBranchBFlowSequenceSize(both);
  EXPECT_GT(nA, 10);
  EXPECT_GT(nB, 10);
  EXPECT_EQ(count, (nA - 1) + (nB - 1));

  ModelHandle farEnd(methaneLine(0.0, 100000.0));
  const int farEndCount = VorlRun(farEnd);
  EXPECT_EQ(farEndCount, VorlBranchAFlowSequenceSize(farEnd) - 1);
  EXPECT_EQ(VorlBranchBFlowSequenceSize(farEnd), 0);

  ModelHandle upstreamEnd(methaneLine(0.0, 0.0));
  const int upstreamEndCount = VorlRun(upstreamEnd);
  EXPECT_EQ(upstreamEndCount, VorlBranchBFlowSequenceSize(upstreamEnd) - 1);
  EXPECT_EQ(VorlBranchAFlowSequenceSize(upstreamEnd), 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(RunDriver, HistoryStartsBeforeTheBreachThenAtTheBreach) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  for (char branch : {'A', 'B'}) {
    const auto records = branchHistory(model, branch);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0].regime, -1) << branch;
    EXPECT_EQ(records[0].time, 0.0) << branch;
    EXPECT_EQ(records[1].regime, 1) << branch;
    EXPECT_EQ(records[1].time, 0.0) << branch;
    EXPECT_EQ(records[1].lengthDisturbed, 0.0) << branch;
    EXPECT_EQ(records.back().regime, branch == 'A' ? 4 : 4) << branch;
  }
}

TEST_F(RunDriver, FirstStepsAreCoarserForBothBranches) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  // Branch A: 2 L / (100 - 5); branch B: 3 L / 100, L the branch length.
  EXPECT_EQ(VorlBranchALengthDisturbed(model, 2), 2.0 * (30000.0 / 95.0));
  EXPECT_EQ(VorlBranchBLengthDisturbed(model, 2), 3.0 * (70000.0 / 100.0));

  VorlTimeDivisionSet(model, 20);  // 20 or less is not reduced for branch A
  VorlRun(model);
  EXPECT_EQ(VorlBranchALengthDisturbed(model, 2), 2.0 * (30000.0 / 20.0));
  VorlTimeDivisionSet(model, 1);   // ignored
  VorlRun(model);
  EXPECT_EQ(VorlBranchALengthDisturbed(model, 2), 2.0 * (30000.0 / 20.0));
}

TEST_F(RunDriver, EndOfPhaseOneIsStoredTwiceAtOneTime) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  for (char branch : {'A', 'B'}) {
    const auto records = branchHistory(model, branch);
    std::size_t k = 2;
    while (k < records.size() && records[k].regime == 1) ++k;
    ASSERT_LT(k, records.size()) << branch;
    // The step that brings the front to the far end, then the transition.
    EXPECT_EQ(records[k - 1].lengthDisturbed, branch == 'A' ? 30000.0 : 70000.0) << branch;
    EXPECT_EQ(records[k].time, records[k - 1].time) << branch;
    EXPECT_EQ(records[k].regime, branch == 'A' ? 3 : 2) << branch;
  }
}

TEST_F(RunDriver, TimesNeverDecreaseAndMassesNeverGrowWithoutInflow) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  for (char branch : {'A', 'B'}) {
    const auto records = branchHistory(model, branch);
    for (std::size_t i = 1; i < records.size(); ++i) {
      EXPECT_GE(records[i].time, records[i - 1].time) << branch << i;
      EXPECT_LE(records[i].mass, records[i - 1].mass * (1.0 + 1e-12)) << branch << i;
    }
  }
}

// Trapezoidal integral of the breach outflow over the finite part of a history.
double integratedOutflow(const std::vector<BranchRecord>& records) {
  double integral = 0.0;
  for (std::size_t i = 2; i < records.size(); ++i) {
    if (records[i].time > 9e127) break;
    integral += 0.5 * (records[i].exitFlux + records[i - 1].exitFlux) * (records[i].time - records[i - 1].time);
  }
  return integral;
}

TEST_F(RunDriver, ExpelledMassIsTheTimeIntegralOfTheOutflow) {
  for (double inflow : {0.0, 20.0}) {
    ModelHandle model(methaneLine(inflow));
    VorlRun(model);
    for (char branch : {'A', 'B'}) {
      const auto records = branchHistory(model, branch);
      std::size_t last = records.size() - 1;
      while (records[last].time > 9e127) --last;
      const double expelled = records[last].massExpelled;
      std::vector<BranchRecord> finite(records.begin(), records.begin() + static_cast<long>(last) + 1);
      EXPECT_NEAR(integratedOutflow(finite), expelled, 0.05 * expelled) << branch << " inflow " << inflow;
    }
  }
}

TEST_F(RunDriver, AFedBranchNeverFinishesAndReportsAnInfiniteEnd) {
  ModelHandle model(methaneLine(20.0));
  VorlRun(model);
  const int n = VorlBranchAFlowSequenceSize(model);
  EXPECT_EQ(VorlBranchATimeIsInfinite(model, n - 1), 1);
  EXPECT_EQ(VorlBranchAMassExpelledIsInfinite(model, n - 1), 1);
  EXPECT_EQ(VorlBranchATimeToDepressurise(model), 1e128);
  EXPECT_EQ(VorlBranchBMassExpelledIsInfinite(model, VorlBranchBFlowSequenceSize(model) - 1), 0);
}

TEST_F(RunDriver, RunWithoutSteadyFlowFailsInOrder) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  VorlPipeDiameterSet(model, 0.0);  // leaves the model without a steady flow
  VorlErrorLogClear();
  EXPECT_EQ(VorlRun(model), 0);
  EXPECT_EQ(lastReport().code, 5);
  EXPECT_EQ(lastReport().tag, "vlRunB");
  // The sequences were emptied before the failure.
  EXPECT_EQ(VorlBranchAFlowSequenceSize(model), 0);
}

TEST_F(RunDriver, ASteadyFlowThePipeCannotCarryFailsTheRunWithItsOwnCode) {
  // 2000 kg/s through 0.5 m over 100 km: the friction loss exceeds 70 bar.
  ModelHandle model(methaneLine(2000.0));
  EXPECT_EQ(VorlErrorLogCount(), 0);
  EXPECT_EQ(VorlRun(model), 0);
  EXPECT_EQ(lastReport().code, 205);
  EXPECT_EQ(lastReport().tag, "GBctor");
}

TEST_F(RunDriver, AFailureInBranchBReturnsZeroAndKeepsBranchA) {
  ModelHandle model(methaneLine());
  // A valve of undefined position lies on branch B at an undefined distance:
  // cutting the branch there cannot give a pressure.
  VorlValveAdd(model, std::numeric_limits<double>::quiet_NaN(), 10.0);
  VorlValvesActivate(model, 1);
  EXPECT_EQ(VorlRun(model), 0);
  EXPECT_EQ(lastReport().code, 13);
  ModelHandle reference(methaneLine());
  VorlRun(reference);
  EXPECT_EQ(VorlBranchAFlowSequenceSize(model), VorlBranchAFlowSequenceSize(reference));
}

TEST_F(RunDriver, ABranchThatWouldNotFinishStopsAtTheSafetyBoundKeepingItsRecords) {
  ModelHandle model(methaneLine());
  VorlTimeDivisionSet(model, 1000);
  vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model.get());
  m.resetSequences();
  try {
    vorl::branchRun(m, 2, 50);
    ADD_FAILURE() << "the bound was not applied";
  } catch (const vorl::VORLERROR& e) {
    EXPECT_EQ(e.eError(), 16);
    EXPECT_EQ(e.tag(), "vlRunB");
  }
  // The steady state, the breach start and one record per pass.
  EXPECT_EQ(m.requireSequence(2).size(), 2 + 50);
}

TEST_F(RunDriver, UpstreamPressureAboveTheSaturationPressureWarns) {
  ModelHandle model(VorlModelCreateZel(vorl::test::kPropane));
  VorlPipeLengthSet(model, 10000.0);
  VorlUpstreamPressureSet(model, 2.0e6);  // propane condenses above 0.73 MPa at 288 K
  VorlRun(model);
  const auto reports = vorl::test::loggedReports();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front().code, 1002);
  EXPECT_EQ(reports.front().tag, "vlInit");
  EXPECT_GT(VorlBranchAFlowSequenceSize(model), 2);
}

struct Lines {
  std::vector<std::string> text;
};

void VORL_CALL collectLine(const char* line, void* user) { static_cast<Lines*>(user)->text.push_back(line); }

TEST_F(RunDriver, ProgressLinesFollowEveryStepAttempt) {
  ModelHandle model(methaneLine(0.0, 0.0));  // single branch B
  Lines lines;
  VorlDebugOutputSet(&collectLine, &lines);
  VorlRun(model);
  VorlDebugOutputSet(nullptr, nullptr);
  ASSERT_FALSE(lines.text.empty());
  EXPECT_EQ(lines.text.front().rfind("B1 t=", 0), 0u) << lines.text.front();
  EXPECT_NE(lines.text.front().find(" Lambda="), std::string::npos);
  EXPECT_EQ(lines.text.back(), "B finished. t=" + std::to_string(VorlBranchBTime(model, VorlBranchBFlowSequenceSize(model) - 1)) + "\n");
  bool sawPhaseTwo = false;
  for (const auto& line : lines.text) sawPhaseTwo = sawPhaseTwo || line.rfind("B2 t=", 0) == 0;
  EXPECT_TRUE(sawPhaseTwo);
}

// Every value the same to the bit (padding aside).
bool bitwiseEqual(const BranchRecord& x, const BranchRecord& y) {
  const double xs[] = {x.time, x.exitFlux, x.exitPressure, x.upstreamPressure, x.upstreamFlux,
                       x.mass, x.massExpelled, x.massTrapped, x.lengthDisturbed};
  const double ys[] = {y.time, y.exitFlux, y.exitPressure, y.upstreamPressure, y.upstreamFlux,
                       y.mass, y.massExpelled, y.massTrapped, y.lengthDisturbed};
  return std::memcmp(xs, ys, sizeof xs) == 0 && x.regime == y.regime;
}

TEST_F(RunDriver, ModelsOnTwoThreadsGiveTheSerialResultsBitForBit) {
  const auto history = [](double inflow, double breach) {
    ModelHandle model(methaneLine(inflow, breach));
    VorlRun(model);
    auto a = branchHistory(model, 'A');
    auto b = branchHistory(model, 'B');
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const auto serial1 = history(20.0, 30000.0);
  const auto serial2 = history(0.0, 70000.0);
  std::vector<BranchRecord> parallel1, parallel2;
  std::thread t1([&] {
    for (int i = 0; i < 5; ++i) parallel1 = history(20.0, 30000.0);
  });
  std::thread t2([&] {
    for (int i = 0; i < 5; ++i) parallel2 = history(0.0, 70000.0);
  });
  t1.join();
  t2.join();
  ASSERT_EQ(parallel1.size(), serial1.size());
  ASSERT_EQ(parallel2.size(), serial2.size());
  for (std::size_t i = 0; i < serial1.size(); ++i) EXPECT_TRUE(bitwiseEqual(parallel1[i], serial1[i])) << i;
  for (std::size_t i = 0; i < serial2.size(); ++i) EXPECT_TRUE(bitwiseEqual(parallel2[i], serial2[i])) << i;
}

}  // namespace
