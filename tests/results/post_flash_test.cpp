// Post-flash queries: the outflow expanded to ambient pressure, per branch
// step and for the pipe at the time set.
#include <gtest/gtest.h>

#include "support/release_cases.h"

namespace {

using vorl::test::lastReport;
using vorl::test::loggedReports;
using vorl::test::methaneLine;
using vorl::test::ModelHandle;

struct Flash {
  double first = -1, second = -1, liquid = -1, drop = -1;
};

Flash branchA(VorlHandle model, int index) {
  Flash f;
  VorlBranchAPostFlash(model, index, &f.first, &f.second, &f.liquid, &f.drop);
  return f;
}

Flash pipe(VorlHandle model) {
  Flash f;
  VorlPipePostFlash(model, &f.first, &f.second, &f.liquid, &f.drop);
  return f;
}

class PostFlash : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
};

TEST_F(PostFlash, AMethaneJetStaysVapourAndSpeedsUp) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  const Flash f = branchA(model, 5);  // temperature first for a branch
  EXPECT_GT(f.first, 100.0);
  EXPECT_LT(f.first, 288.15);          // it cools as it expands
  EXPECT_GT(f.second, VorlBranchAOrificeVelocity(model, 5));
  EXPECT_EQ(f.liquid, 0.0);
  EXPECT_EQ(f.drop, 0.0);
}

TEST_F(PostFlash, PipeQueryGivesVelocityFirstAndOneBranchUnweighted) {
  ModelHandle model(methaneLine(0.0, 100000.0));
  VorlRun(model);
  const double t = VorlBranchATime(model, 5);
  VorlPipeTimeSet(model, t, 0.0);
  const Flash p = pipe(model);
  const Flash a = branchA(model, 5);
  EXPECT_EQ(p.first, a.second);
  EXPECT_EQ(p.second, a.first);
}

TEST_F(PostFlash, BeforeAnyTimeSettingOnlyTheFirstTwoAreZeroed) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  const Flash p = pipe(model);
  EXPECT_EQ(p.first, 0.0);
  EXPECT_EQ(p.second, 0.0);
  EXPECT_EQ(p.liquid, -1.0);
  EXPECT_EQ(p.drop, -1.0);
}

TEST_F(PostFlash, NoOutflowAtAllGivesTheGasTemperatureAndNothingElse) {
  ModelHandle model(methaneLine());
  VorlGasTemperatureSet(model, 280.0);
  VorlRun(model);
  // Long after both branches finished, nothing flows out.
  VorlPipeTimeSet(model, 1.0e7, 0.0);
  const Flash p = pipe(model);
  EXPECT_EQ(p.first, 0.0);
  EXPECT_EQ(p.second, 280.0);
  EXPECT_EQ(p.liquid, 0.0);
  EXPECT_EQ(p.drop, 0.0);
}

TEST_F(PostFlash, AFasterOutflowThanTheMaximumWarnsButIsNotCapped) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  const double u = VorlBranchAOrificeVelocity(model, 5);
  VorlAtmosExpanMaxVelSet(model, u);
  VorlErrorLogClear();
  const Flash atMaximum = branchA(model, 5);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  VorlAtmosExpanMaxVelSet(model, u / 2.0);
  const Flash above = branchA(model, 5);
  EXPECT_EQ(VorlErrorLogCount(), 1);
  EXPECT_EQ(lastReport().code, 1004);
  EXPECT_EQ(lastReport().tag, "vlAtmosExp");
  EXPECT_EQ(above.second, atMaximum.second);

  // A pipe query with both branches above the maximum warns twice.
  VorlPipeTimeSet(model, VorlBranchATime(model, 5), 0.0);
  VorlAtmosExpanMaxVelSet(model, 1.0);
  VorlErrorLogClear();
  pipe(model);
  EXPECT_EQ(VorlErrorLogCount(), 2);
}

TEST_F(PostFlash, ABadIndexIsReportedTwiceAndExpandsNoFlow) {
  ModelHandle model(methaneLine());
  VorlGasTemperatureSet(model, 280.0);
  VorlRun(model);
  VorlErrorLogClear();
  const Flash f = branchA(model, 100000);
  const auto reports = loggedReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].code, 4);
  EXPECT_EQ(reports[1].code, 4);
  EXPECT_EQ(f.second, 0.0);   // no flow, no velocity
  EXPECT_EQ(f.first, 280.0);  // at the gas temperature
}

TEST_F(PostFlash, ACondensingJetEndsAtTheSaturationTemperatureWithLiquid) {
  // Propane at 240 K, released from 10 bar: the expanded jet is colder than
  // propane's boiling point at 1 atm and ends two-phase.
  ModelHandle model(VorlModelCreateZel(vorl::test::kPropane));
  VorlGasTemperatureSet(model, 240.0);
  VorlPipeLengthSet(model, 10000.0);
  VorlPipeDiameterSet(model, 0.3);
  VorlUpstreamPressureSet(model, 1.0e6);
  VorlAmbientPressureSet(model, 101325.0);
  VorlRun(model);
  const Flash f = branchA(model, 2);
  ASSERT_GT(f.liquid, 0.0);
  EXPECT_NEAR(f.first, 231.03, 0.5);  // propane boils at 231.0 K at 1 atm
  EXPECT_GE(f.drop, 1e-6);
  EXPECT_LE(f.drop, 0.01);
}

TEST_F(PostFlash, NullOutputsAreReportedNotWritten) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  double t = -1;
  VorlBranchAPostFlash(model, 2, &t, nullptr, nullptr, nullptr);
  EXPECT_EQ(t, -1.0);
  EXPECT_EQ(lastReport().code, 5);
  VorlPipePostFlash(model, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(lastReport().code, 5);
}

}  // namespace
