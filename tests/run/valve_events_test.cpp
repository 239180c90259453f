// Isolation valves shutting during a run: the stored history at the closure,
// the cut state, trapped mass, and the valves that can never act.
#include <gtest/gtest.h>

#include "support/release_cases.h"

namespace {

using vorl::test::branchHistory;
using vorl::test::methaneLine;
using vorl::test::ModelHandle;

class ValveEvents : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
};

TEST_F(ValveEvents, InactiveValvesChangeNothing) {
  ModelHandle plain(methaneLine());
  ModelHandle withValves(methaneLine());
  VorlValveAdd(withValves, 20000.0, 100.0);
  const int plainCount = VorlRun(plain);
  EXPECT_EQ(VorlRun(withValves), plainCount);
}

TEST_F(ValveEvents, AValveClosingInsideAStepRewritesTheHistoryAtItsClosure) {
  ModelHandle model(methaneLine());
  ModelHandle reference(methaneLine());
  const int referenceCount = VorlRun(reference);
  // Branch A valve 10 km upstream of the breach (at 20 km), shutting 500 s after the breach.
  VorlValveAdd(model, 20000.0, 500.0);
  VorlValvesActivate(model, 1);
  const int count = VorlRun(model);
  EXPECT_EQ(VorlErrorLogCount(), 0);

  const auto records = branchHistory(model, 'A');
  std::size_t k = 0;
  while (k + 1 < records.size() && records[k + 1].massTrapped == 0.0) ++k;
  ASSERT_LT(k + 1, records.size());
  // The state at the closure (re-evolved to within 5 % of its step of the
  // closure time), then the cut state at the same time.
  const double stepLength = records[k].time - records[k - 1].time;
  EXPECT_NEAR(records[k].time, 500.0, 0.05 * stepLength + 1e-9);
  EXPECT_EQ(records[k + 1].time, records[k].time);
  EXPECT_EQ(records[k].massTrapped, 0.0);
  EXPECT_GT(records[k + 1].massTrapped, 0.0);
  EXPECT_EQ(records[k + 1].regime, 3);
  EXPECT_EQ(VorlBranchALengthDisturbed(model, static_cast<int>(k + 1)), 10000.0);
  // The cut conserves mass: what is trapped left the open part.
  EXPECT_NEAR(records[k + 1].mass + records[k + 1].massTrapped, records[k].mass, 1e-6 * records[k].mass);
  EXPECT_NEAR(records[k + 1].massExpelled, records[k].massExpelled, 1e-6 * records[k].massExpelled);
  // Before the closure the history is the valve-free one.
  const auto free = branchHistory(reference, 'A');
  EXPECT_EQ(records[5].upstreamPressure, free[5].upstreamPressure);
  // Branch B is unaffected; its count is the same.
  EXPECT_EQ(VorlBranchBFlowSequenceSize(model), VorlBranchBFlowSequenceSize(reference));
  EXPECT_NE(count, referenceCount);
  // After the cut the branch blows down as a closed branch and finishes.
  EXPECT_EQ(records.back().regime, 4);
  for (std::size_t i = k + 2; i < records.size(); ++i) EXPECT_GE(records[i].time, records[i - 1].time);
}

TEST_F(ValveEvents, AValveBeyondAShutValveNeverActs) {
  ModelHandle one(methaneLine());
  VorlValveAdd(one, 60000.0, 300.0);  // branch B, 30 km from the breach
  VorlValvesActivate(one, 1);
  const int oneCount = VorlRun(one);

  ModelHandle two(methaneLine());
  VorlValveAdd(two, 60000.0, 300.0);
  VorlValveAdd(two, 90000.0, 600.0);  // farther out, isolated once the first has shut
  VorlValvesActivate(two, 1);
  EXPECT_EQ(VorlRun(two), oneCount);
}

TEST_F(ValveEvents, AFedBranchIsCarriedToALateClosureAndBlowsDownAgain) {
  ModelHandle model(methaneLine(20.0));
  VorlValveAdd(model, 10000.0, 50000.0);  // branch A, shuts long after its own blow-down
  VorlValvesActivate(model, 1);
  VorlRun(model);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  const auto records = branchHistory(model, 'A');
  std::size_t k = 0;
  while (k + 1 < records.size() && records[k + 1].massTrapped == 0.0) ++k;
  ASSERT_LT(k + 1, records.size());
  // Carried forward exactly to the closure time with the inflow.
  EXPECT_EQ(records[k].time, 50000.0);
  EXPECT_GT(records[k + 1].massTrapped, 0.0);
  EXPECT_EQ(records[k + 1].upstreamFlux, 0.0);  // the supply is cut off
  EXPECT_EQ(records.back().regime, 4);
  EXPECT_LT(records.back().time, 1e128);        // so the branch now finishes
}

TEST_F(ValveEvents, BranchBIsNeverCarriedForward) {
  ModelHandle model(methaneLine(20.0));
  VorlValveAdd(model, 90000.0, 1.0e6);  // branch B, after its blow-down
  VorlValvesActivate(model, 1);
  ModelHandle reference(methaneLine(20.0));
  const int referenceCount = VorlRun(reference);
  EXPECT_EQ(VorlRun(model), referenceCount);
}

TEST_F(ValveEvents, RepeatedRunsOfOneModelAgree) {
  ModelHandle model(methaneLine());
  VorlValveAdd(model, 20000.0, 500.0);
  VorlValveAdd(model, 50000.0, 200.0);
  VorlValvesActivate(model, 1);
  const int first = VorlRun(model);
  const auto firstA = branchHistory(model, 'A');
  EXPECT_EQ(VorlRun(model), first);
  EXPECT_EQ(branchHistory(model, 'A').back().mass, firstA.back().mass);

  VorlValvesDelete(model);
  ModelHandle reference(methaneLine());
  EXPECT_EQ(VorlRun(model), VorlRun(reference));
}

}  // namespace
