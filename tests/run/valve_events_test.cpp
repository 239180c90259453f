// Isolation valves shutting during a run: the stored history at the closure,
// the cut state, trapped mass, and the valves that can never act.
#include <gtest/gtest.h>

#include <utility>

#include "support/run_line.h"

namespace {

using namespace vorl::test;

class ValveEvents : public LogClearedTest {
 protected:
  // The methane line with these valves (position, closure time), activated or not.
  static VorlHandle valved(double inflow, std::initializer_list<std::pair<double, double>> valves, bool active = true) {
    VorlHandle model = methaneLine(inflow);
    for (const auto& [position, closure] : valves) VorlValveAdd(model, position, closure);
    VorlValvesActivate(model, active);
    return model;
  }
};

TEST_F(ValveEvents, ValvesThatCannotActChangeNothing) {
  // Not activated; on branch B after its blow-down, as B is never carried forward.
  ModelHandle inactive(valved(0.0, {{20000.0, 100.0}}, false));
  EXPECT_EQ(VorlRun(inactive), RunLine().count);
  ModelHandle lateOnB(valved(20.0, {{90000.0, 1.0e6}}));
  EXPECT_EQ(VorlRun(lateOnB), RunLine(20.0).count);
  // Beyond the open length: past either end of the pipe, or farther out on
  // branch B than one that shuts first.
  for (double position : {120000.0, -20000.0}) {
    ModelHandle outside(valved(0.0, {{position, 300.0}}));
    EXPECT_EQ(VorlRun(outside), RunLine().count) << position;
  }
  ModelHandle one(valved(0.0, {{60000.0, 300.0}})), two(valved(0.0, {{60000.0, 300.0}, {90000.0, 600.0}}));
  EXPECT_EQ(VorlRun(two), VorlRun(one));
  // One that can never act (80 km out on the 30 km of branch A) and shuts
  // first does not hide one that shuts later: the history is that of the
  // later valve alone, which did shut.
  ModelHandle both(valved(0.0, {{-50000.0, 10.0}, {20000.0, 100.0}})), nearOnly(valved(0.0, {{20000.0, 100.0}}));
  ASSERT_EQ(VorlRun(both), VorlRun(nearOnly));
  const BranchRecord last = branchHistory(both, 'A').back();
  EXPECT_EQ(last.mass, branchHistory(nearOnly, 'A').back().mass);
  EXPECT_GT(last.massTrapped, 0.0);
}

TEST_F(ValveEvents, AValveOnBranchAShutsAtItsClosureAndTheCutKeepsTheMass) {
  // 10 km from the breach, shutting 500 s after it, inside a step; 20 km out
  // on a fed branch, long after its blow-down, so that it is carried there.
  const struct {
    double inflow, position, closure;
  } cases[] = {{0.0, 20000.0, 500.0}, {20.0, 10000.0, 50000.0}};
  for (const auto& c : cases) {
    ModelHandle model(valved(c.inflow, {{c.position, c.closure}}));
    const int count = VorlRun(model);
    EXPECT_EQ(VorlErrorLogCount(), 0);
    const RunLine reference(c.inflow);
    const auto records = branchHistory(model, 'A');
    std::size_t k = 0;  // the last record before the cut
    while (k + 1 < records.size() && records[k + 1].massTrapped == 0.0) ++k;
    ASSERT_LT(k + 1, records.size()) << "no valve shut";
    // The state at the closure (re-evolved to within 5 % of its step, or
    // carried there exactly), then the cut state at the same time.
    const double window = c.inflow > 0.0 ? 0.0 : 0.05 * (records[k].time - records[k - 1].time) + 1e-9;
    EXPECT_NEAR(records[k].time, c.closure, window);
    const BranchRecord& cut = records[k + 1];
    EXPECT_EQ(cut.time, records[k].time);
    EXPECT_TRUE(cut.massTrapped > 0.0 && cut.regime == 3 && cut.upstreamFlux == 0.0) << c.closure;
    EXPECT_EQ(cut.lengthDisturbed, 30000.0 - c.position);
    // The cut conserves mass: what is trapped left the open part.
    EXPECT_NEAR(cut.mass + cut.massTrapped, records[k].mass, 1e-6 * records[k].mass);
    EXPECT_NEAR(cut.massExpelled, records[k].massExpelled, 1e-6 * records[k].massExpelled);
    // Before the closure the history is the valve-free one; branch B is unaffected.
    EXPECT_EQ(records[5].upstreamPressure, branchHistory(reference, 'A')[5].upstreamPressure);
    EXPECT_EQ(VorlBranchBFlowSequenceSize(model), VorlBranchBFlowSequenceSize(reference));
    EXPECT_NE(count, reference.count);
    // After the cut the branch blows down as a closed branch and finishes.
    EXPECT_TRUE(records.back().regime == 4 && records.back().time < 1e128) << c.closure;
    for (std::size_t i = k + 2; i < records.size(); ++i) EXPECT_GE(records[i].time, records[i - 1].time);
  }
}

TEST_F(ValveEvents, RepeatedRunsOfOneModelAgree) {
  ModelHandle model(valved(0.0, {{20000.0, 500.0}, {50000.0, 200.0}}));
  const int first = VorlRun(model);
  const double firstMass = branchHistory(model, 'A').back().mass;
  EXPECT_EQ(VorlRun(model), first);
  EXPECT_EQ(branchHistory(model, 'A').back().mass, firstMass);

  VorlValvesDelete(model);
  EXPECT_EQ(VorlRun(model), RunLine().count);
}

}  // namespace
