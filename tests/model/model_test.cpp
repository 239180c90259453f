// The model object through the C interface: breach rules and layout, the
// steady-flow rebuild, creation failures and the shared property object.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/vorl.h"
#include "support/error_log_helpers.h"
#include "vorl.h"

namespace {

using vorl::test::kMethane;
using vorl::test::lastReport;
using vorl::test::ModelHandle;

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  ModelHandle model_{VorlModelCreateZel(kMethane)};
};

TEST_F(ModelTest, BreachFollowsTheFarEndUntilSetAndIsClampedWithWarning1001) {
  VorlPipeLengthSet(model_, 5000.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 5000.0);
  VorlPipeLengthSet(model_, 1000.0);
  VorlPipeBreachLocationSet(model_, 300.0);
  VorlPipeLengthSet(model_, 200.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 200.0);
  VorlPipeLengthSet(model_, 1000.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 200.0);
  EXPECT_EQ(VorlErrorLogCount(), 0);

  for (double outside : {-5.0, 2000.0}) {
    VorlPipeBreachLocationSet(model_, outside);
    EXPECT_EQ(VorlPipeBreachLocation(model_), outside > 0.0 ? 1000.0 : 0.0) << outside;
    EXPECT_EQ(lastReport().code, VORL_W_BREACH_CLAMPED);
    EXPECT_EQ(lastReport().tag, "BLSet");
  }
  EXPECT_EQ(VorlErrorLogCount(), 2);
  // Not a place at all: kept, and the run refuses it.
  for (double nowhere : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    VorlErrorLogClear();
    VorlPipeBreachLocationSet(model_, nowhere);
    EXPECT_EQ(VorlErrorLogCount(), 0);
    EXPECT_EQ(VorlRun(model_), 0);
    EXPECT_EQ(lastReport().code, VORL_E_INVALID_BREACH_LOCATION);
  }
}

TEST_F(ModelTest, LayoutBoundsAreStrictFractionsOfTheLength) {
  VorlPipeLengthSet(model_, 1000.0);
  const struct { double breach; VorlBool a, b, both; } cases[] = {
      {0.005, 0, 1, 0},    // below 1e-5 L = 0.01: at the upstream end
      {0.01, 0, 0, 1},     // exactly at the bound: inside
      {999.99, 0, 0, 1},   // exactly (1 - 1e-5) L: inside
      {999.995, 1, 0, 0},  // beyond it: at the far end
  };
  for (const auto& c : cases) {
    VorlPipeBreachLocationSet(model_, c.breach);
    EXPECT_EQ(VorlIsSingleBranchA(model_), c.a) << c.breach;
    EXPECT_EQ(VorlIsSingleBranchB(model_), c.b) << c.breach;
    EXPECT_EQ(VorlIsDoubleBranch(model_), c.both) << c.breach;
  }
  VorlPipeLengthSet(model_, 0.0);  // no layout at all
  EXPECT_EQ(VorlIsSingleBranchA(model_) + VorlIsSingleBranchB(model_) + VorlIsDoubleBranch(model_), 0);
}

TEST_F(ModelTest, ASetterThatBreaksTheSteadyFlowIsReportedAndTheNextGoodOneMends) {
  VorlPipeLengthSet(model_, 100000.0);
  // A zero bore leaves no steady flow: reported by the setter and by the run.
  VorlPipeDiameterSet(model_, 0.0);
  EXPECT_EQ(lastReport().code, VORL_E_NOT_POSITIVE);
  EXPECT_EQ(lastReport().tag, "vlBeta");
  EXPECT_EQ(VorlRun(model_), 0);
  VorlPipeDiameterSet(model_, 0.5);
  VorlErrorLogClear();
  EXPECT_GT(VorlRun(model_), 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST(ModelCreation, FailuresLeaveANullHandleAndAReport) {
  const int sharedBefore = vorl::VORL::sharedPropertyUsers();
  VorlErrorLogClear();
  for (double weight : {0.0, -2.0}) {
    EXPECT_EQ(VorlModelCreateSimple(weight), nullptr);
    EXPECT_EQ(lastReport().code, VORL_E_NOT_POSITIVE);
    EXPECT_EQ(lastReport().tag, "IGCTOR");
  }
  // Below hydrogen's or beyond any gas a line carries: a mistyped weight, not a gas.
  for (double weight : {1e-300, 1.9, 1001.0, 1e308}) {
    EXPECT_EQ(VorlModelCreateSimple(weight), nullptr) << weight;
    EXPECT_EQ(lastReport().code, VORL_E_INVALID_MOLECULAR_WEIGHT) << weight;
  }
  EXPECT_EQ(VorlModelCreateZel(999), nullptr);
  EXPECT_EQ(lastReport().code, VORL_E_UNKNOWN_MATERIAL);
  EXPECT_EQ(lastReport().tag, "VORLCTOR");
  EXPECT_EQ(lastReport().message, "VORL 15 VORLCTOR: material 999 is not in the property library");
  EXPECT_EQ(vorl::VORL::sharedPropertyUsers(), sharedBefore);
}

TEST(SharedProperties, CreatedByTheFirstModelAndDeletedWithTheLast) {
  ASSERT_EQ(vorl::VORL::sharedPropertyUsers(), 0);
  ASSERT_EQ(vorl::VORL::sharedProperties(), nullptr);
  VorlHandle first = VorlModelCreateZel(kMethane);
  const vorl::KIV* shared = vorl::VORL::sharedProperties();
  ASSERT_NE(shared, nullptr);
  VorlHandle second = VorlModelCreateSimple(28.0);
  EXPECT_EQ(vorl::VORL::sharedProperties(), shared);
  EXPECT_EQ(vorl::VORL::sharedPropertyUsers(), 2);
  VorlModelDelete(&first);
  EXPECT_EQ(vorl::VORL::sharedProperties(), shared);
  VorlModelDelete(&second);
  EXPECT_EQ(vorl::VORL::sharedPropertyUsers(), 0);
  EXPECT_EQ(vorl::VORL::sharedProperties(), nullptr);
}

}  // namespace
