// The one-call entry: a whole case from arrays, its failure rows, and the
// process-wide counting mode it switches on.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "model/process_settings.h"
#include "support/release_cases.h"

namespace {

using vorl::test::lastReport;
using vorl::test::methaneLine;
using vorl::test::ModelHandle;

constexpr double kUntouched = -7.25;

// Every argument of one call, with arrays of maxSteps entries filled with a marker.
struct GenericCall {
  std::array<int, 2> flags{0, 0};
  std::array<double, 16> inputs{288.15, 101325.0, 0.7, 100000.0, 0.0, 7.0e6, 30000.0, 1.0,
                                0.5,    5e-5,     28.966, 12.5, 1000.0, 1e-6, 0.01, 288.15};
  int material = vorl::test::kMethane;
  std::vector<double> valveFirst, valveSecond;
  int timeDivision = 100;
  int maxSteps;
  double scalars[8];  // fanning, A times (3), B times (4)
  int recordsA = -1, recordsB = -1, outputSteps = -1;
  std::vector<std::vector<double>> arrays;  // the 46 arrays in argument order

  explicit GenericCall(int steps) : maxSteps(steps), arrays(46, std::vector<double>(steps + 8, kUntouched)) {
    for (double& s : scalars) s = kUntouched;
  }

  double* a(int k) { return arrays[static_cast<std::size_t>(k)].data(); }
  // Arrays by argument position: 13..27 branch A, 33..48 branch B, 50..58 pipe.
  double* argument(int position) {
    if (position >= 13 && position <= 27) return a(position - 13);
    if (position >= 33 && position <= 48) return a(15 + position - 33);
    return a(31 + position - 50);
  }

  void operator()() {
    const int valves = static_cast<int>(valveFirst.size());
    VorlGenericZel(flags.data(), inputs.data(), &material, &valves, valveFirst.data(), valveSecond.data(),
                   &timeDivision, &maxSteps, &scalars[0], &scalars[1], &scalars[2], &scalars[3], &recordsA,
                   argument(13), argument(14), argument(15), argument(16), argument(17), argument(18),
                   argument(19), argument(20), argument(21), argument(22), argument(23), argument(24),
                   argument(25), argument(26), argument(27), &scalars[4], &scalars[5], &scalars[6], &scalars[7],
                   &recordsB, argument(33), argument(34), argument(35), argument(36), argument(37),
                   argument(38), argument(39), argument(40), argument(41), argument(42), argument(43),
                   argument(44), argument(45), argument(46), argument(47), argument(48), &outputSteps,
                   argument(50), argument(51), argument(52), argument(53), argument(54), argument(55),
                   argument(56), argument(57), argument(58));
  }

  bool allArraysUntouched() const {
    for (const auto& column : arrays)
      for (double v : column)
        if (v != kUntouched) return false;
    return true;
  }
  bool arrayUntouchedFrom(int position, int from) {
    const double* column = argument(position);
    for (int i = from; i < maxSteps + 8; ++i)
      if (column[i] != kUntouched) return false;
    return true;
  }
};

class GenericEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    VorlErrorLogClear();
    truncationBefore_ = vorl::truncateAtInfinite;
  }
  void TearDown() override { vorl::truncateAtInfinite = truncationBefore_; }
  bool truncationBefore_ = false;
};

TEST_F(GenericEntry, AFullCaseMatchesTheHandleInterface) {
  GenericCall call(1000);
  call();
  EXPECT_EQ(VorlErrorLogCount(), 0);

  ModelHandle model(methaneLine());
  VorlAmbientPressureSet(model, 101325.0);
  VorlRun(model);
  ASSERT_EQ(call.recordsA, VorlBranchAFlowSequenceSize(model));
  ASSERT_EQ(call.recordsB, VorlBranchBFlowSequenceSize(model));
  EXPECT_EQ(call.scalars[0], VorlFanning(model));
  EXPECT_EQ(call.scalars[1], VorlBranchATimeToDechoke(model));
  EXPECT_EQ(call.scalars[6], VorlBranchBTimeToFlowReversal(model));
  EXPECT_EQ(call.scalars[7], VorlBranchBTimeToDepressurise(model));
  for (int i = 0; i < call.recordsA; ++i) {
    EXPECT_EQ(call.argument(13)[i], VorlBranchATime(model, i));
    EXPECT_EQ(call.argument(22)[i], VorlBranchAMassExpelled(model, i));
  }
  for (int i = 0; i < call.recordsB; ++i) {
    EXPECT_EQ(call.argument(39)[i], VorlBranchBExitPressure(model, i));
    EXPECT_EQ(call.argument(44)[i], VorlBranchBLengthToPressurePeak(model, i));
  }
  EXPECT_TRUE(call.arrayUntouchedFrom(13, call.recordsA));

  // The pipe table: the run's own times from 0, masses that balance.
  ASSERT_GT(call.outputSteps, 2);
  EXPECT_LE(call.outputSteps, 100);  // thinned to the time division
  EXPECT_EQ(call.argument(50)[0], 0.0);
  for (int i = 0; i < call.outputSteps; ++i) {
    EXPECT_NEAR(call.argument(56)[i] + call.argument(57)[i], call.argument(56)[0], 1e-6 * call.argument(56)[0]);
  }
  // The pipe post-flash: temperature (second output) and velocity (first).
  VorlPipeTimeSetToStart(model);
  double v, t, l, d;
  VorlPipePostFlash(model, &v, &t, &l, &d);
  EXPECT_EQ(call.argument(52)[0], v);
  EXPECT_EQ(call.argument(51)[0], t);
}

TEST_F(GenericEntry, RecordsAreCappedAtTheMaximumSteps) {
  GenericCall call(50);
  call();
  EXPECT_EQ(call.recordsA, 50);
  EXPECT_EQ(call.recordsB, 50);
  EXPECT_TRUE(call.arrayUntouchedFrom(13, 50));
  EXPECT_TRUE(call.arrayUntouchedFrom(48, 50));
  EXPECT_LE(call.outputSteps, 50);
}

TEST_F(GenericEntry, NoArrayIsWrittenBeyondATinyMaximum) {
  // A grid thinned below four entries still holds four; only three fit.
  GenericCall call(3);
  call();
  EXPECT_EQ(call.recordsA, 3);
  EXPECT_EQ(call.outputSteps, 3);
  for (int position : {50, 51, 52, 55, 58}) EXPECT_TRUE(call.arrayUntouchedFrom(position, 3)) << position;
}

TEST_F(GenericEntry, AnUnknownMaterialWritesOnlyTheRecordCounts) {
  GenericCall call(100);
  call.material = 999;
  call();
  EXPECT_EQ(lastReport().code, 15);
  EXPECT_EQ(call.recordsA, 0);
  EXPECT_EQ(call.recordsB, 0);
  EXPECT_EQ(call.outputSteps, -1);
  EXPECT_EQ(call.scalars[0], kUntouched);
  EXPECT_TRUE(call.allArraysUntouched());
}

TEST_F(GenericEntry, AnInputOutOfRangeWritesOnlyTheRecordCounts) {
  GenericCall call(100);
  call.inputs[0] = 199.0;
  call();
  EXPECT_EQ(lastReport().code, 301);
  EXPECT_EQ(lastReport().tag, "VorlCheckInput");
  EXPECT_EQ(call.recordsA, 0);
  EXPECT_TRUE(call.allArraysUntouched());
}

TEST_F(GenericEntry, AFailureWhileSettingInputsWritesOnlyTheRecordCounts) {
  GenericCall call(100);
  // 2 kg/s through a 1 cm bore leaves the far end above the speed of sound.
  call.inputs[8] = 0.01;
  call.inputs[3] = 10.0;
  call.inputs[6] = 5.0;
  call.inputs[4] = 2.0;
  call();
  EXPECT_EQ(lastReport().code, 207);
  EXPECT_EQ(call.recordsA, 0);
  EXPECT_EQ(call.recordsB, 0);
  EXPECT_TRUE(call.allArraysUntouched());
}

TEST_F(GenericEntry, ABreachAtTheFarEndLeavesBranchBUntouched) {
  GenericCall call(200);
  call.inputs[6] = call.inputs[3];
  call();
  EXPECT_GT(call.recordsA, 2);
  EXPECT_EQ(call.recordsB, 0);
  for (int position = 33; position <= 48; ++position) EXPECT_TRUE(call.arrayUntouchedFrom(position, 0));
}

TEST_F(GenericEntry, CountingModeStaysOnForEveryLaterModel) {
  GenericCall call(10);
  call();
  EXPECT_TRUE(vorl::truncateAtInfinite);
  ModelHandle model(methaneLine(20.0));
  VorlRun(model);
  const int reported = VorlBranchAFlowSequenceSize(model);
  // The last stored record of a fed branch has infinite time and is not counted.
  EXPECT_EQ(VorlBranchATimeIsInfinite(model, reported), 1);
  EXPECT_EQ(VorlBranchATimeIsInfinite(model, reported - 1), 0);
}

TEST_F(GenericEntry, NullArgumentsAreReportedNotDereferenced) {
  int recordsA = -1, recordsB = -1;
  VorlGenericZel(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, &recordsA, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 &recordsB, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(lastReport().code, 5);
  EXPECT_EQ(recordsA, 0);
  EXPECT_EQ(recordsB, 0);
}

}  // namespace
