// The stored history of a branch: indexing, the lookup of the state at any
// time, the reported size and the event-time scans.
#include <gtest/gtest.h>

#include "interface/vorl_error.h"
#include "model/process_settings.h"
#include "results/flow_sequence.h"
#include "support/branch_fixture.h"

namespace {

using vorl::GB;
using vorl::GBSQ;

class FlowSequence : public ::testing::Test {
 protected:
  vorl::test::BranchFixture fixture;

  GBSQ sequenceOfTimes(std::initializer_list<double> times, int phase = 3) {
    GBSQ sequence;
    for (double t : times) sequence.append(fixture.state(t, phase));
    return sequence;
  }
};

TEST_F(FlowSequence, IndexOutsideTheStoredElementsRaisesCode4) {
  GBSQ sequence = sequenceOfTimes({0.0, 1.0});
  for (int bad : {-1, 2, 1000}) {
    try {
      (void)sequence[bad];
      ADD_FAILURE() << bad;
    } catch (const vorl::VORLERROR& e) {
      EXPECT_EQ(e.eError(), 4);
      EXPECT_EQ(e.tag(), "GBSQ[]");
    }
  }
  EXPECT_THROW(GBSQ().stateAt(1.0, 0.0), vorl::VORLERROR);
}

TEST_F(FlowSequence, LookupAtAStoredTimeMarksThatElement) {
  GBSQ sequence = sequenceOfTimes({0.0, 5.0, 10.0});
  int index = -1;
  const GB found = sequence.stateAt(5.0, 0.0, &index);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(found.time, 5.0);
  EXPECT_TRUE(found.interpolated);
}

TEST_F(FlowSequence, LookupStopsAtTheLastOfEqualTimes) {
  GBSQ sequence = sequenceOfTimes({0.0, 5.0, 5.0, 10.0});
  int index = -1;
  (void)sequence.stateAt(5.0, 0.0, &index);
  EXPECT_EQ(index, 2);
}

TEST_F(FlowSequence, LookupBeforeTheFirstGivesTheFirstAsStored) {
  GBSQ sequence = sequenceOfTimes({2.0, 5.0});
  const GB found = sequence.stateAt(1.0, 0.0);
  EXPECT_EQ(found.time, 2.0);
  EXPECT_FALSE(found.interpolated);
}

TEST_F(FlowSequence, LookupBeyondTheLastFinishesTheBranchThere) {
  GBSQ sequence = sequenceOfTimes({0.0, 5.0});
  const GB found = sequence.stateAt(50.0, 0.0);
  EXPECT_EQ(found.time, 50.0);
  EXPECT_EQ(found.phase, 4);
  EXPECT_TRUE(found.interpolated);
  EXPECT_EQ(found.upstream.p, sequence[1].upstream.p);
}

TEST_F(FlowSequence, LookupBetweenElementsInterpolatesInTime) {
  GBSQ sequence;
  GB first = fixture.state(0.0, 4);
  GB second = fixture.state(10.0, 4);
  second.massPerUnitArea = first.massPerUnitArea - 30.0;
  sequence.append(first);
  sequence.append(second);
  const GB found = sequence.stateAt(2.5, 0.0);
  EXPECT_EQ(found.time, 2.5);
  EXPECT_DOUBLE_EQ(found.massPerUnitArea, first.massPerUnitArea - 7.5);
  EXPECT_TRUE(found.interpolated);
}

TEST_F(FlowSequence, AnInfiniteLastTimeLiesAfterEveryFiniteTime) {
  GBSQ sequence = sequenceOfTimes({0.0, 5.0}, 4);
  GB endless = fixture.state(1e128, 4);
  endless.fluxDensityInitial = 2.0;  // a fed branch that never finishes
  sequence.append(endless);
  int index = -1;
  const GB found = sequence.stateAt(1e6, 0.0, &index);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(found.time, 1e6);
  // Toward a state of undefined time the inflow goes on at the supply's rate.
  EXPECT_EQ(found.massInflowPerUnitArea, 2.0 * (1e6 - 5.0));
}

TEST_F(FlowSequence, ReportedSizeStopsAtTheFirstInfiniteTimeWhenTruncating) {
  GBSQ sequence = sequenceOfTimes({0.0, 5.0, 1e128});
  EXPECT_TRUE(sequence.lastIsInfinite());
  const bool before = vorl::truncateAtInfinite;
  vorl::truncateAtInfinite = false;
  EXPECT_EQ(sequence.reportedSize(), 3);
  vorl::truncateAtInfinite = true;
  EXPECT_EQ(sequence.reportedSize(), 2);
  EXPECT_EQ(sequenceOfTimes({1e128, 1.0}).reportedSize(), 0);
  vorl::truncateAtInfinite = before;
}

TEST_F(FlowSequence, TimeToDechokeIsTheFirstUnchokedStateAfterTheFirst) {
  GBSQ one;
  one.append(fixture.state(0.0, -1, true));
  EXPECT_EQ(one.timeToDechoke(), 0.0);

  GBSQ choked;
  for (double t : {0.0, 1.0, 2.0}) choked.append(fixture.state(t, 1, true));
  EXPECT_EQ(choked.timeToDechoke(), 1e128);

  GBSQ dechoking;
  dechoking.append(fixture.state(0.0, -1, false));  // skipped: before the breach
  dechoking.append(fixture.state(0.0, 1, true));
  dechoking.append(fixture.state(7.0, 1, false));
  EXPECT_EQ(dechoking.timeToDechoke(), 7.0);
}

TEST_F(FlowSequence, PhaseEventTimes) {
  GBSQ sequence;
  const int phases[] = {-1, 1, 1, 2, 3, 3, 4};
  double t = 0.0;
  for (int phase : phases) sequence.append(fixture.state(t++, phase));
  EXPECT_EQ(sequence.timeToDisturbEntireFlow(), 3.0);
  EXPECT_EQ(sequence.timeToDepressurise(), 6.0);
  EXPECT_EQ(sequenceOfTimes({0.0, 1.0}, 1).timeToDepressurise(), 1e128);
}

TEST_F(FlowSequence, FlowReversalNeedsOutflowAtTheFarEndFirst) {
  GBSQ sequence;
  GB state = fixture.state(0.0, 3);
  sequence.append(state);  // blow-down with the far end never flowing away: no reversal
  EXPECT_EQ(sequence.timeToFlowReversal(), 1e128);

  GBSQ reversing;
  GB away = fixture.state(1.0, 2);
  away.upstream.G = -3.0;
  reversing.append(away);
  reversing.append(fixture.state(4.0, 3));
  EXPECT_EQ(reversing.timeToFlowReversal(), 4.0);
}

}  // namespace
