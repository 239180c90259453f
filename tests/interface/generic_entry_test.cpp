// The one-call entry: a whole case from arrays, its failure rows, and the
// process-wide counting mode it switches on.
#include <gtest/gtest.h>

#include "core/process_settings.h"
#include "support/generic_call.h"
#include "support/run_line.h"

namespace {

using namespace vorl::test;

// The one-call entry switches the counting mode on for the whole process:
// each test puts it back.
class GenericEntry : public LogClearedTest {
 protected:
  void TearDown() override { vorl::truncateAtInfinite = truncationBefore_; }
  const bool truncationBefore_ = vorl::truncateAtInfinite;
};

// The values the entry writes are held bit for bit by the golden records; here its refusals and bounds.

// The one-call set-up on a handle (what the tool runs a case with) runs the
// case of the one-call entry.
TEST_F(GenericEntry, ItsSetUpOnAHandleRunsTheSameCase) {
  GenericCall call(1000);
  call.inputs[4] = 20.0;
  call();
  ModelHandle model(VorlModelCreateZel(kMethane));
  VorlGenericInputsSet(model, call.flags.data(), call.inputs.data(), nullptr, nullptr, &call.timeDivision,
                       &call.maxSteps, &call.valves);
  VorlRun(model);
  ASSERT_EQ(call.recordsA, VorlBranchAFlowSequenceSize(model));
  for (int i = 0; i < call.recordsA; ++i) {
    EXPECT_EQ(call.argument(22)[i], VorlBranchAMassExpelled(model, i)) << i;
  }
  EXPECT_EQ(VorlPipeOutputMaxSteps(model), call.maxSteps);
  VorlGenericInputsSet(model, call.flags.data(), nullptr, nullptr, nullptr, &call.timeDivision, &call.maxSteps,
                       &call.valves);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlCheckInput"));
}

TEST_F(GenericEntry, NoArrayIsWrittenBeyondTheMaximumSteps) {
  // With 3, a grid thinned to its least of four entries still fits only three.
  for (int steps : {3, 50}) {
    GenericCall call(steps);
    call();
    EXPECT_EQ(call.recordsA, steps);
    EXPECT_EQ(call.recordsB, steps);
    EXPECT_EQ(call.outputSteps, steps);
    EXPECT_TRUE(call.untouchedFrom(steps)) << steps;
  }
}

// An unfed 2 km line empties in few records: each group of arrays is written
// up to its own count and not beyond, whatever the host put there.
TEST_F(GenericEntry, EachGroupIsWrittenUpToItsOwnCount) {
  GenericCall call(2000);
  call.inputs[3] = 2000.0;  // length
  call.inputs[4] = 0.0;     // inflow
  call.inputs[6] = 500.0;   // breach
  call();
  ASSERT_GT(call.recordsA, 2);
  ASSERT_LT(call.recordsA, call.maxSteps);
  ASSERT_LT(call.outputSteps, call.maxSteps);
  EXPECT_TRUE(call.untouchedFrom(call.recordsA, 0, 14));
  EXPECT_TRUE(call.untouchedFrom(call.recordsB, 15, 30));
  EXPECT_TRUE(call.untouchedFrom(call.outputSteps, 31, 39));
  EXPECT_FALSE(call.untouchedFrom(call.recordsA - 1, 0, 14));
}

TEST_F(GenericEntry, EveryFailureWritesOnlyZeroCounts) {
  const struct {
    void (*spoil)(GenericCall&);
    int code;
    const char* tag;
  } rows[] = {
      {[](GenericCall& c) { c.material = 999; }, VORL_E_UNKNOWN_MATERIAL, "VORLCTOR"},
      {[](GenericCall& c) { c.inputs[0] = 199.0; }, VORL_E_RANGE_AMBIENT_TEMPERATURE_LOW, "VorlCheckInput"},
      // 2 kg/s through a 1 cm bore leaves the far end above the speed of sound.
      {[](GenericCall& c) {
         c.inputs[3] = 10.0;  // length
         c.inputs[4] = 2.0;   // inflow
         c.inputs[6] = 5.0;   // breach
         c.inputs[8] = 0.01;  // bore
       },
       VORL_E_INFLOW_CHOKED, "GBctor"},
      // The run fails: 2000 kg/s through 0.5 m over 100 km exceeds the 70 bar.
      {[](GenericCall& c) { c.inputs[4] = 2000.0; }, VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBctor"},
      // The run refuses an inflow too small to resolve (it used to fail half-way
      // and report the records stored until then).
      {[](GenericCall& c) { c.inputs[4] = 1e-12; }, VORL_E_INVALID_TOTAL_INFLOW, "VorlRun"},
  };
  for (const auto& row : rows) {
    GenericCall call(100);
    row.spoil(call);
    call();
    EXPECT_TRUE(reported(row.code, row.tag));
    EXPECT_TRUE(call.onlyCountsWritten()) << row.code;
  }
  // A null pointer anywhere (but the valve arrays, unread without valves) is
  // reported before anything is read or written.
  for (int position = 0; position < 59; ++position) {
    if (position == 4 || position == 5) continue;
    GenericCall call(10);
    call.nullArgument = position;
    call();
    EXPECT_EQ(lastReport().code, VORL_E_MISSING_DATA) << position;
    EXPECT_TRUE(call.onlyCountsWritten()) << position;
  }
}

TEST_F(GenericEntry, ABreachAtTheFarEndLeavesBranchBUntouched) {
  GenericCall call(200);
  call.inputs[6] = call.inputs[3];
  call();
  EXPECT_GT(call.recordsA, 2);
  EXPECT_EQ(call.recordsB, 0);
  EXPECT_TRUE(call.untouchedFrom(0, 15, 30));
}

TEST_F(GenericEntry, CountingModeStaysOnForEveryLaterModel) {
  GenericCall call(10);
  call();
  EXPECT_TRUE(vorl::truncateAtInfinite);
  const RunLine line(20.0);
  const int counted = VorlBranchAFlowSequenceSize(line);
  // The last stored record of a fed branch has infinite time and is not counted.
  EXPECT_EQ(VorlBranchATimeIsInfinite(line, counted), 1);
  EXPECT_EQ(VorlBranchATimeIsInfinite(line, counted - 1), 0);
}

}  // namespace
