// Pipe-level results: the time setting and the queries that combine the two
// branches at that time.
#include <gtest/gtest.h>

#include "support/release_cases.h"

namespace {

using vorl::test::lastReport;
using vorl::test::methaneLine;
using vorl::test::ModelHandle;

constexpr double kBoreArea = 0.19634954084936207;  // pi 0.5^2 / 4

class PipeResults : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
};

TEST_F(PipeResults, NothingBeforeARunOrATimeSetting) {
  ModelHandle model(methaneLine());
  EXPECT_EQ(VorlPipeTimeSet(model, 10.0, 0.0), 0.0);
  EXPECT_EQ(lastReport().code, 3);
  EXPECT_EQ(lastReport().tag, "BAFH");
  VorlRun(model);
  ModelHandle fresh(methaneLine());
  VorlRun(fresh);
  VorlErrorLogClear();
  EXPECT_EQ(VorlPipeMass(fresh), 0.0);
  EXPECT_EQ(VorlPipeExitVelocity(fresh), 0.0);
  EXPECT_EQ(VorlPipeMassInitial(fresh), 0.0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(PipeResults, SingleBranchFluxAndTheMeanThatAlwaysDividesByTwo) {
  ModelHandle model(methaneLine(0.0, 100000.0));
  VorlOrificeApertureSet(model, 0.5);
  VorlRun(model);
  const double t = VorlBranchATime(model, 10);
  EXPECT_EQ(VorlPipeTimeSet(model, t, 0.0), t);
  const double G = VorlBranchAExitFluxDensity(model, 10);
  EXPECT_DOUBLE_EQ(VorlPipeExitFlux(model), G * kBoreArea);
  EXPECT_DOUBLE_EQ(VorlPipeOrificeFluxDensity(model), G / 2.0 / 0.5);
  EXPECT_DOUBLE_EQ(VorlPipeOrificeArea(model), kBoreArea * 0.5);
  EXPECT_DOUBLE_EQ(VorlPipeBranchAverage(model, 3.0, 99.0), 3.0);
  EXPECT_DOUBLE_EQ(VorlPipeExitVelocity(model), VorlBranchAExitVelocity(model, 10));
}

TEST_F(PipeResults, DoubleBranchCombinesBothBranches) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  const double t = VorlBranchATime(model, 20);
  VorlPipeTimeSet(model, t, 0.0);
  EXPECT_DOUBLE_EQ(VorlPipeOrificeArea(model), 2.0 * kBoreArea);
  EXPECT_GT(VorlPipeMass(model), 0.0);
  // Mass balance of the pipe: initial mass less expelled mass is what it holds.
  EXPECT_NEAR(VorlPipeMassInitial(model) - VorlPipeMassExpelled(model), VorlPipeMassInPipe(model),
              1e-9 * VorlPipeMassInitial(model));
  // The velocity is the outflow-weighted mean of the branches'.
  const double average = VorlPipeBranchAverage(model, 1.0, 0.0);
  EXPECT_GT(average, 0.0);
  EXPECT_LT(average, 1.0);
}

TEST_F(PipeResults, TimesBeforeTheStartAndAfterTheEnd) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  EXPECT_EQ(VorlPipeTimeSet(model, -5.0, 0.0), 0.0);
  // Both branches have finished long before: the time given is kept.
  EXPECT_EQ(VorlPipeTimeSet(model, 1.0e7, 0.0), 1.0e7);
  EXPECT_EQ(VorlPipeExitFlux(model), 0.0);
  const double tmax = VorlPipeTimeMax(model);
  EXPECT_EQ(tmax, VorlBranchBTime(model, VorlBranchBFlowSequenceSize(model) - 1));
}

TEST_F(PipeResults, TimeSetToStartKeepsTheSteadyFlow) {
  ModelHandle model(methaneLine(20.0));
  VorlRun(model);
  VorlPipeTimeSetToStart(model);
  EXPECT_DOUBLE_EQ(VorlPipeMass(model), VorlBranchAMass(model, 0) + VorlBranchBMass(model, 0));
  EXPECT_DOUBLE_EQ(VorlPipeExitFlux(model), (20.0 - 20.0));  // A delivers 20 toward, B 20 away from the breach
  EXPECT_EQ(VorlPipeMassExpelled(model), 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(model), 0);
}

TEST_F(PipeResults, ExpelledMassOfAFedBranchBecomesInfiniteAtItsEnd) {
  ModelHandle model(methaneLine(20.0));
  VorlRun(model);
  const double tmax = VorlPipeTimeMax(model);
  EXPECT_LT(tmax, 1e128);
  VorlPipeTimeSet(model, tmax / 2.0, 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(model), 0);
  VorlPipeTimeSet(model, 2.0e128, 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(model), 1);
}

TEST_F(PipeResults, ClosedOrificeGivesZeroNotADivisionByZero) {
  ModelHandle model(methaneLine());
  VorlRun(model);
  VorlPipeTimeSet(model, 100.0, 0.0);
  VorlOrificeApertureSet(model, 0.0);
  EXPECT_EQ(VorlPipeOrificeFluxDensity(model), 0.0);
  EXPECT_EQ(VorlPipeOrificeVelocity(model), 0.0);
  EXPECT_EQ(VorlPipeOrificeArea(model), 0.0);
}

TEST_F(PipeResults, EachModelKeepsItsOwnTimeSetting) {
  ModelHandle early(methaneLine());
  ModelHandle late(methaneLine());
  VorlRun(early);
  VorlRun(late);
  VorlPipeTimeSet(early, 60.0, 0.0);
  const double earlyMass = VorlPipeMass(early);
  VorlPipeTimeSet(late, 3600.0, 0.0);
  EXPECT_EQ(VorlPipeMass(early), earlyMass);
  EXPECT_LT(VorlPipeMass(late), earlyMass);
}

}  // namespace
