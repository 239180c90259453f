#include "companion/valve_set.h"

#include <gtest/gtest.h>

namespace vorl {
namespace {

// A 100 km pipe breached at 30 km: valves at 10 km and 25 km lie on branch A,
// at 30 km (the breach itself) on A, at 60 km and 90 km on branch B.
class ValveSet : public ::testing::Test {
 protected:
  void SetUp() override {
    set.valves = {VALVE(10000.0, 300.0), VALVE(25000.0, 600.0), VALVE(60000.0, 300.0), VALVE(90000.0, 120.0),
                  VALVE(30000.0, 900.0)};
    set.valvesBranchInfoSet(100000.0, 30000.0);
  }
  VALVESET set;
};

TEST_F(ValveSet, EventsAreTheEarliestClosuresReachedOrToCome) {
  // The earliest closure reached by t, and the earliest at or after t.
  EXPECT_EQ(set.valveEvent(BranchId::kA, 299.0), nullptr);
  EXPECT_EQ(set.valveEvent(BranchId::kA, 300.0), &set.valves[0]);
  EXPECT_EQ(set.valveEvent(BranchId::kA, 10000.0), &set.valves[0]);
  EXPECT_EQ(set.valveEvent(BranchId::kB, 500.0), &set.valves[3]);
  EXPECT_EQ(set.valveEventNext(BranchId::kA, 0.0), &set.valves[0]);
  EXPECT_EQ(set.valveEventNext(BranchId::kA, 300.0), &set.valves[0]);
  EXPECT_EQ(set.valveEventNext(BranchId::kA, 301.0), &set.valves[1]);
  EXPECT_EQ(set.valveEventNext(BranchId::kA, 901.0), nullptr);
  // Ties go to the valve added first.
  set.valves = {VALVE(10.0, 50.0), VALVE(20.0, 50.0)};
  set.valvesBranchInfoSet(100.0, 90.0);
  EXPECT_EQ(set.valveEvent(BranchId::kA, 60.0), &set.valves[0]);
  EXPECT_EQ(set.valveEventNext(BranchId::kA, 0.0), &set.valves[0]);
}

TEST_F(ValveSet, ClosingAValveIsolatesTheValvesBeyondItUntilPlacedAgain) {
  // The valve 5 km from the breach shuts first: the one 20 km away is cut off
  // from the breach for good, though its own closure time has not come.
  set.valveClose(set.valves[1]);
  EXPECT_FALSE(set.valves[1].valveIsOpen());
  EXPECT_FALSE(set.valves[0].valveIsOpen());
  EXPECT_TRUE(set.valves[4].valveIsOpen());  // nearer the breach
  EXPECT_TRUE(set.valves[2].valveIsOpen());  // other branch
  EXPECT_TRUE(set.valvesRemainToShut(BranchId::kA));
  set.valveClose(set.valves[4]);
  EXPECT_FALSE(set.valvesRemainToShut(BranchId::kA));
  EXPECT_TRUE(set.valvesRemainToShut(BranchId::kB));
  // Placing for a new run reopens every valve.
  set.valvesBranchInfoSet(100000.0, 30000.0);
  for (const VALVE& valve : set.valves) EXPECT_TRUE(valve.valveIsOpen());
}

TEST_F(ValveSet, ASkippedValveIsSetAsideAloneAndTheNextOneDueComesUp) {
  // Valve 3 (branch B, 120 s) can never act: skipping it leaves valve 2,
  // farther out but due later, open and next.
  set.valveSkip(set.valves[3]);
  EXPECT_FALSE(set.valves[3].valveIsOpen());
  EXPECT_TRUE(set.valves[2].valveIsOpen());
  EXPECT_EQ(set.valveEvent(BranchId::kB, 500.0), &set.valves[2]);
  EXPECT_EQ(set.valveEventNext(BranchId::kB, 0.0), &set.valves[2]);
  set.valveSkip(set.valves[2]);
  EXPECT_FALSE(set.valvesRemainToShut(BranchId::kB));
  EXPECT_EQ(set.valveEvent(BranchId::kB, 1e9), nullptr);
}

TEST_F(ValveSet, ManyValvesAnswerLikeAScanOfThemAll) {
  // 2000 valves with repeated closure times and distances: every answer is
  // the one a scan over all valves gives, as valves shut one by one.
  set.valves.clear();
  for (int i = 0; i < 2000; ++i) set.valves.emplace_back((i * 7919) % 30000, (i * 104729) % 500);
  set.valvesBranchInfoSet(100000.0, 30000.0);
  // The open valve closing earliest among those due by t (due) or due at or after t.
  const auto scan = [&](double t, bool due) {
    const VALVE* best = nullptr;
    for (const VALVE& v : set.valves) {
      const bool inTime = due ? v.valveClosureTime() <= t : v.valveClosureTime() >= t;
      if (v.valveIsOpen() && inTime && (best == nullptr || v.valveClosureTime() < best->valveClosureTime())) best = &v;
    }
    return best;
  };
  for (int round = 0; round < 300 && set.valvesRemainToShut(BranchId::kA); ++round) {
    const double t = (round * 37) % 520;
    ASSERT_EQ(set.valveEvent(BranchId::kA, t), scan(t, true)) << round;
    ASSERT_EQ(set.valveEventNext(BranchId::kA, t), scan(t, false)) << round;
    VALVE* due = set.valveEvent(BranchId::kA, 1e9);
    ASSERT_NE(due, nullptr);
    // Shutting one shuts all farther from the breach; skipping only itself.
    const double distance = due->valveDistanceFromBreach();
    if (round % 3 == 0) {
      set.valveSkip(*due);
    } else {
      set.valveClose(*due);
      for (const VALVE& v : set.valves) ASSERT_FALSE(v.valveIsOpen() && v.valveDistanceFromBreach() > distance);
    }
    int open = 0;
    for (const VALVE& v : set.valves) open += v.valveIsOpen();
    ASSERT_EQ(set.valvesRemainToShut(BranchId::kA), open > 0);
  }
}

}  // namespace
}  // namespace vorl
