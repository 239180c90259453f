// A branch's stored history: the container, the state at any time, the event-time scans.
#include <gtest/gtest.h>

#include <limits>

#include "core/process_settings.h"
#include "core/vorl_error.h"
#include "branch/interpolation.h"
#include "model/flow_sequence.h"
#include "results/branch_history.h"
#include "support/branch_fixture.h"

namespace {

using vorl::GB;
using vorl::GBSQ;

class FlowSequence : public ::testing::Test {
 protected:
  vorl::test::BranchFixture fixture;

  // Steady-branch states at the given times, of one phase, choked or not.
  GBSQ sequenceOf(std::initializer_list<double> times, int phase = 3, bool choked = false) {
    GBSQ sequence;
    for (double t : times) sequence.append(fixture.state(t, phase, choked));
    return sequence;
  }
};

TEST_F(FlowSequence, IndexOutsideTheStoredElementsRaisesCode4) {
  GBSQ sequence = sequenceOf({0.0, 1.0});
  for (int bad : {-1, 2, 1000}) {
    try {
      (void)sequence[bad];
      ADD_FAILURE() << bad;
    } catch (const vorl::VORLERROR& e) {
      EXPECT_TRUE(e.eError() == VORL_E_INDEX && e.tag() == "GBSQ[]") << bad;
    }
  }
  EXPECT_THROW(vorl::stateAt(GBSQ(), 1.0, 0.0), vorl::VORLERROR);
}

TEST_F(FlowSequence, LookupAtBeforeAndBeyondTheStoredTimes) {
  GBSQ sequence = sequenceOf({2.0, 5.0, 5.0, 10.0});
  // At a stored time: that element, the last of equal times, marked.
  int index = -1;
  GB found = vorl::stateAt(sequence, 5.0, 0.0, &index);
  EXPECT_TRUE(index == 2 && found.time == 5.0 && found.interpolated);
  // Before the first: the first as stored.
  found = vorl::stateAt(sequence, 1.0, 0.0);
  EXPECT_TRUE(found.time == 2.0 && !found.interpolated);
  // Beyond the last: the branch has finished there.
  found = vorl::stateAt(sequence, 50.0, 0.0);
  EXPECT_TRUE(found.time == 50.0 && found.phase == vorl::Phase::kFinished && found.interpolated);
  EXPECT_EQ(found.upstream.p, sequence[3].upstream.p);
}

TEST_F(FlowSequence, LookupBetweenElementsInterpolatesInTimeAndAnInfiniteTimeLiesAfterAll) {
  GBSQ sequence = sequenceOf({0.0}, 4);
  GB second = fixture.state(10.0, 4);
  second.massPerUnitArea = sequence[0].massPerUnitArea - 30.0;
  sequence.append(second);
  GB endless = fixture.state(1e128, 4);
  endless.fluxDensityInitial = 2.0;  // a fed branch that never finishes
  sequence.append(endless);

  GB found = vorl::stateAt(sequence, 2.5, 0.0);
  EXPECT_TRUE(found.time == 2.5 && found.interpolated);
  EXPECT_DOUBLE_EQ(found.massPerUnitArea, sequence[0].massPerUnitArea - 7.5);
  int index = -1;
  found = vorl::stateAt(sequence, 1e6, 0.0, &index);
  EXPECT_TRUE(index == 1 && found.time == 1e6);
  // Toward a state of undefined time the inflow goes on at the supply's rate.
  EXPECT_EQ(found.massInflowPerUnitArea, 2.0 * (1e6 - 10.0));
}

TEST_F(FlowSequence, ReportedSizeStopsAtTheFirstInfiniteTimeWhenTruncating) {
  GBSQ sequence = sequenceOf({0.0, 5.0, 1e128});
  EXPECT_TRUE(sequence.lastIsInfinite());
  const bool before = vorl::truncateAtInfinite;
  vorl::truncateAtInfinite = false;
  EXPECT_EQ(sequence.reportedSize(), 3);
  vorl::truncateAtInfinite = true;
  EXPECT_EQ(sequence.reportedSize(), 2);
  EXPECT_EQ(sequenceOf({1e128, 2e128}).reportedSize(), 0);
  vorl::truncateAtInfinite = before;
}

TEST_F(FlowSequence, EventTimes) {
  // Dechoking: the first unchoked state after the first; 0 for a lone state.
  EXPECT_EQ(vorl::timeToDechoke(sequenceOf({0.0}, -1, true)), 0.0);
  EXPECT_EQ(vorl::timeToDechoke(sequenceOf({0.0, 1.0, 2.0}, 1, true)), 1e128);
  GBSQ dechoking = sequenceOf({0.0}, -1);  // skipped: before the breach
  dechoking.append(fixture.state(0.0, 1, true));
  dechoking.append(fixture.state(7.0, 1, false));
  EXPECT_EQ(vorl::timeToDechoke(dechoking), 7.0);

  // Past phase one, and the start of phase four.
  GBSQ phases;
  double t = 0.0;
  for (int phase : {-1, 1, 1, 2, 3, 3, 4}) phases.append(fixture.state(t++, phase));
  EXPECT_EQ(vorl::timeToDisturbEntireFlow(phases), 3.0);
  EXPECT_EQ(vorl::timeToDepressurise(phases), 6.0);
  EXPECT_EQ(vorl::timeToDepressurise(sequenceOf({0.0, 1.0}, 1)), 1e128);

  // Flow reversal needs outflow at the far end before the blow-down.
  EXPECT_EQ(vorl::timeToFlowReversal(sequenceOf({0.0}, 3)), 1e128);
  GBSQ reversing;
  GB away = fixture.state(1.0, 2);
  away.upstream.G = -3.0;
  reversing.append(away);
  reversing.append(fixture.state(4.0, 3));
  EXPECT_EQ(vorl::timeToFlowReversal(reversing), 4.0);
}

TEST_F(FlowSequence, AppendKeepsTheTimeOrderSoThatTheLookupBisects) {
  // Repeated times and an infinite end: the record the lookup finds is the
  // one a scan back from the end finds, for times before, between, on and
  // after the records.
  GBSQ history;
  for (double t : {0.0, 0.0, 1.0, 2.0, 2.0, 2.0, 5.0, 9.0, 1e128}) history.append(fixture.state(t, 3));
  const auto scanBack = [](const GBSQ& s, double t) {
    int i = s.size() - 1;
    while (s[i].time > t && i > 0) --i;
    return i;
  };
  const double probes[] = {-1.0, 0.0, 0.5, 1.0, 2.0, 3.0, 5.0, 8.9, 9.0, 10.0, 1e128, 2e128,
                           std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()};
  for (double t : probes) {
    int found = -2;
    vorl::stateAt(history, t, 0.0, &found);
    EXPECT_EQ(found, scanBack(history, t)) << t;
  }
  // A record earlier than the last, or at a time that is not a number, is
  // refused and nothing is stored; the same time again is not earlier.
  for (double t : {3.0, std::numeric_limits<double>::quiet_NaN()}) {
    try {
      history.append(fixture.state(t, 3));
      ADD_FAILURE() << t;
    } catch (const vorl::VORLERROR& e) {
      EXPECT_EQ(e.eError(), VORL_E_RECORD_OUT_OF_ORDER);
    }
  }
  EXPECT_EQ(history.size(), 9);
  history.append(fixture.state(1e128, 3));
  EXPECT_EQ(history.size(), 10);
}

}  // namespace
