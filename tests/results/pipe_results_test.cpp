// Pipe-level results: the time setting and the queries that combine the two
// branches at that time.
#include <gtest/gtest.h>

#include <limits>

#include "support/run_line.h"

namespace {

using namespace vorl::test;
using PipeResults = LogClearedTest;

constexpr double kBoreArea = 0.19634954084936207;  // pi 0.5^2 / 4

TEST_F(PipeResults, NothingBeforeARunOrATimeSettingAndEachQuerySaysSo) {
  ModelHandle model(methaneLine());
  EXPECT_EQ(VorlPipeTimeSet(model, 10.0, 0.0), 0.0);
  EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "BAFH"));
  VorlErrorLogClear();
  EXPECT_EQ(VorlPipeTimeMax(model), 0.0);
  EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "BAFH"));
  EXPECT_EQ(VorlBranchATimeToDechoke(model), 0.0);
  EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "BAFH"));

  // Run, but no time set: every query that combines the kept states refuses.
  const RunLine unset;
  using Query = double (*)(VorlHandle);
  const Query queries[] = {VorlPipeMass, VorlPipeMassInPipe, VorlPipeMassExpelled, VorlPipeMassTrapped,
                           VorlPipeMassPerUnitArea, VorlPipeMassInitial, VorlPipeExitFlux, VorlPipeExitVelocity,
                           VorlPipeOrificeFluxDensity, VorlPipeOrificeVelocity};
  for (Query query : queries) {
    VorlErrorLogClear();
    EXPECT_EQ(query(unset), 0.0);
    EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "vlt"));
  }
  VorlErrorLogClear();
  EXPECT_EQ(VorlPipeBranchAverage(unset, 1.0, 2.0), 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(unset), 0);
  EXPECT_EQ(VorlErrorLogCount(), 2);
  // The orifice area needs no time.
  VorlErrorLogClear();
  EXPECT_EQ(VorlPipeOrificeArea(unset), 2.0 * kBoreArea);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(PipeResults, ATimeOrToleranceThatIsNegativeOrNotFiniteIsRefused) {
  const RunLine line;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double time, tolerance;
    int code;
  } refused[] = {{nan, 0.0, VORL_E_INVALID_PIPE_TIME},
                 {-1.0, 0.0, VORL_E_INVALID_PIPE_TIME},
                 {std::numeric_limits<double>::infinity(), 0.0, VORL_E_INVALID_PIPE_TIME},
                 {600.0, nan, VORL_E_INVALID_LOOKUP_TOLERANCE},
                 {600.0, -0.5, VORL_E_INVALID_LOOKUP_TOLERANCE}};
  VorlPipeTimeSet(line, 600.0, 0.0);
  const double kept = VorlPipeMass(line);
  for (const auto& r : refused) {
    VorlErrorLogClear();
    EXPECT_EQ(VorlPipeTimeSet(line, r.time, r.tolerance), 0.0);
    EXPECT_TRUE(reported(r.code, "vlt")) << r.time << " " << r.tolerance;
    // The states of the last setting stay.
    EXPECT_EQ(VorlPipeMass(line), kept);
  }
}

// A setting that fails once it has begun (a time too small for the branch
// states to be evolved to) leaves no state: no query answers from one branch
// at the new time and the other at none.
TEST_F(PipeResults, ASettingThatFailsOnTheWayLeavesNone) {
  const RunLine line(20.0);
  ASSERT_GT(VorlPipeTimeSet(line, 100.0, 0.0), 0.0);
  VorlErrorLogClear();
  EXPECT_EQ(VorlPipeTimeSet(line, 1e-30, 0.0), 0.0);
  EXPECT_NE(VorlLastCode(), 0);
  for (double (*query)(VorlHandle) : {VorlPipeExitFlux, VorlPipeMassExpelled}) {
    VorlErrorLogClear();
    EXPECT_EQ(query(line), 0.0);
    EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "vlt"));
  }
  EXPECT_GT(VorlPipeTimeSet(line, 100.0, 0.0), 0.0);
  EXPECT_GT(VorlPipeExitFlux(line), 0.0);
}

TEST_F(PipeResults, DoubleBranchCombinesBothBranchesAndBoundsItsTimes) {
  const RunLine line;
  VorlPipeTimeSet(line, VorlBranchATime(line, 20), 0.0);
  EXPECT_DOUBLE_EQ(VorlPipeOrificeArea(line), 2.0 * kBoreArea);
  EXPECT_GT(VorlPipeMass(line), 0.0);
  // Mass balance of the pipe: initial mass less expelled mass is what it holds.
  EXPECT_NEAR(VorlPipeMassInitial(line) - VorlPipeMassExpelled(line), VorlPipeMassInPipe(line),
              1e-9 * VorlPipeMassInitial(line));
  // The outflow-weighted mean of the branches' values lies between them.
  const double average = VorlPipeBranchAverage(line, 1.0, 0.0);
  EXPECT_TRUE(average > 0.0 && average < 1.0) << average;

  EXPECT_EQ(VorlPipeTimeSet(line, -5.0, 0.0), 0.0);
  // Both branches have finished long before: the time given is kept.
  EXPECT_EQ(VorlPipeTimeSet(line, 1.0e7, 0.0), 1.0e7);
  EXPECT_EQ(VorlPipeExitFlux(line), 0.0);
  EXPECT_EQ(VorlPipeTimeMax(line), VorlBranchBTime(line, VorlBranchBFlowSequenceSize(line) - 1));
}

TEST_F(PipeResults, AFedPipeStartsSteadyAndItsExpelledMassBecomesInfiniteAtItsEnd) {
  const RunLine line(20.0);
  VorlPipeTimeSetToStart(line);
  EXPECT_DOUBLE_EQ(VorlPipeMass(line), VorlBranchAMass(line, 0) + VorlBranchBMass(line, 0));
  EXPECT_DOUBLE_EQ(VorlPipeExitFlux(line), 0.0);  // A delivers 20 toward, B 20 away from the breach
  EXPECT_EQ(VorlPipeMassExpelled(line), 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(line), 0);

  const double tmax = VorlPipeTimeMax(line);
  EXPECT_LT(tmax, 1e128);
  VorlPipeTimeSet(line, tmax / 2.0, 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(line), 0);
  VorlPipeTimeSet(line, 2.0e128, 0.0);
  EXPECT_EQ(VorlPipeMassExpelledIsInfinite(line), 1);

  // The expelled mass counts what the supply fed in: a lone branch's is the pipe's.
  const RunLine fedEnd(20.0, 100000.0);
  VorlPipeTimeSet(fedEnd, VorlBranchATime(fedEnd, 10), 0.0);
  EXPECT_DOUBLE_EQ(VorlPipeMassExpelled(fedEnd), VorlBranchAMassExpelled(fedEnd, 10));
}

TEST_F(PipeResults, ClosedOrificeGivesZeroNotADivisionByZero) {
  const RunLine line;
  VorlPipeTimeSet(line, 100.0, 0.0);
  VorlOrificeApertureSet(line, 0.0);
  EXPECT_EQ(VorlPipeOrificeFluxDensity(line), 0.0);
  EXPECT_EQ(VorlPipeOrificeVelocity(line), 0.0);
  EXPECT_EQ(VorlPipeOrificeArea(line), 0.0);
}

TEST_F(PipeResults, EachModelKeepsItsOwnTimeSetting) {
  const RunLine early, late;
  VorlPipeTimeSet(early, 60.0, 0.0);
  const double earlyMass = VorlPipeMass(early);
  VorlPipeTimeSet(late, 3600.0, 0.0);
  EXPECT_EQ(VorlPipeMass(early), earlyMass);
  EXPECT_LT(VorlPipeMass(late), earlyMass);
}

}  // namespace
