// The model object through the C interface: defaults, breach rules and
// layout, the steady-flow rebuild, creation failures and the shared property
// object.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/process_settings.h"
#include "model/vorl.h"
#include "support/error_log_helpers.h"
#include "support/model_behind.h"
#include "vorl.h"

namespace {

using vorl::test::kMethane;
using vorl::test::lastReport;
using vorl::test::ModelHandle;

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  ModelHandle model_{VorlModelCreateZel(kMethane)};
  const vorl::VORL& m = vorl::test::modelBehind(model_.get());
};

TEST_F(ModelTest, NewModelHasItsDefaults) {
  const std::pair<double, double> defaults[] = {
      {VorlPipeLength(model_), 100.0}, {VorlPipeBreachLocation(model_), 100.0}, {m.ambient().temperature, 288.15},
      {m.ambient().pressure, 100000.0}, {m.ambient().relativeHumidity, 0.7}, {m.ambient().molecularWeight, 28.966},
      {m.pipeInterior().Diameter(), 0.154}, {m.pipeSet().upstreamPressure, 5e6}, {m.pipeSet().orificeAperture, 1.0},
      {static_cast<double>(m.timeDivision()), 100.0}, {m.gasTemperature(), 288.15},
      {static_cast<double>(VorlIsSingleBranchA(model_)), 1.0}};
  for (const auto& [value, expected] : defaults) EXPECT_EQ(value, expected);
  ASSERT_NE(m.wholePipe(), nullptr);
  EXPECT_EQ(m.wholePipe()->branch, 3);
  EXPECT_NEAR(m.atmosExpansion().molarMass(), 16.04, 0.01);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

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
    EXPECT_EQ(lastReport().code, 1001);
    EXPECT_EQ(lastReport().tag, "BLSet");
  }
  EXPECT_EQ(VorlErrorLogCount(), 2);
  // Not a place at all: kept, and the run refuses it.
  for (double nowhere : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    VorlErrorLogClear();
    VorlPipeBreachLocationSet(model_, nowhere);
    EXPECT_EQ(VorlErrorLogCount(), 0);
    EXPECT_EQ(VorlRun(model_), 0);
    EXPECT_EQ(lastReport().code, 360);
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

TEST_F(ModelTest, SettersRebuildTheSteadyFlow) {
  VorlPipeLengthSet(model_, 100000.0);
  ASSERT_NE(m.wholePipe(), nullptr);
  EXPECT_EQ(m.wholePipe()->lengthInitial, 100000.0);
  // A zero bore keeps the value and leaves no steady flow until the next good rebuild.
  VorlPipeDiameterSet(model_, 0.0);
  EXPECT_EQ(lastReport().code, 13);
  EXPECT_EQ(lastReport().tag, "vlBeta");
  EXPECT_EQ(m.pipeInterior().Diameter(), 0.0);
  EXPECT_EQ(m.wholePipe(), nullptr);
  VorlPipeDiameterSet(model_, 0.5);
  EXPECT_NE(m.wholePipe(), nullptr);
  // The ambient temperature leaves the gas temperature; the gas temperature reaches the flow.
  VorlAmbientTemperatureSet(model_, 300.0);
  EXPECT_EQ(m.ambient().temperature, 300.0);
  EXPECT_EQ(m.gas()->temperature(), 288.15);
  VorlGasTemperatureSet(model_, 250.0);
  EXPECT_EQ(m.gasTemperature(), 250.0);
  EXPECT_EQ(m.wholePipe()->upstream.T, 250.0);
}

TEST_F(ModelTest, FanningFactorFollowsBoreAndRoughness) {
  const struct { double diameter, roughness, fanning; } cases[] = {{0.5, 5e-5, 0.0029950}, {0.154, 4.5e-5, 0.0037134}};
  for (const auto& c : cases) {
    VorlPipeDiameterSet(model_, c.diameter);
    VorlPipeRoughnessSet(model_, c.roughness);
    EXPECT_NEAR(VorlFanning(model_), c.fanning, 5e-7) << c.diameter;
  }
}

TEST_F(ModelTest, ExpansionAndChokeSwitchesReachTheirTargets) {
  VorlAtmosExpanMethodSet(model_, 1);
  VorlAtmosExpanWeNumSet(model_, 13.0);
  VorlAtmosExpanMaxVelSet(model_, 800.0);
  VorlAtmosExpanMinDropSet(model_, 2e-6);
  VorlAtmosExpanMaxDropSet(model_, 0.02);
  VorlAtmosExpanHoleSizeSet(model_, 0.3, 0.5);
  VorlAtmosExpanPhaseFlagSet(model_, 2);
  const vorl::ATMOSEXPANSION& e = m.atmosExpansion();
  const std::pair<double, double> stored[] = {
      {static_cast<double>(e.method()), 1.0}, {e.weberNumber(), 13.0}, {e.GetMaximumVelocity(), 800.0},
      {e.minDropSize(), 2e-6}, {e.maxDropSize(), 0.02}, {e.pipeDiameter(), 0.3}, {e.aperture(), 0.5},
      {static_cast<double>(e.phaseFlag()), 2.0}};
  for (const auto& [value, expected] : stored) EXPECT_EQ(value, expected);
  // The choke switch is process-wide; a spreadsheet's true (-1) counts.
  VorlChokeModelAllow(0);
  EXPECT_FALSE(vorl::chokeModelAllowed);
  VorlChokeModelAllow(static_cast<VorlBool>(-1));
  EXPECT_TRUE(vorl::chokeModelAllowed);
}

TEST(ModelCreation, FailuresLeaveANullHandleAndAReport) {
  const int sharedBefore = vorl::VORL::sharedPropertyUsers();
  VorlErrorLogClear();
  for (double weight : {0.0, -2.0}) {
    EXPECT_EQ(VorlModelCreateSimple(weight), nullptr);
    EXPECT_EQ(lastReport().code, 13);
    EXPECT_EQ(lastReport().tag, "IGCTOR");
  }
  EXPECT_EQ(VorlModelCreateZel(999), nullptr);
  EXPECT_EQ(lastReport().code, 15);
  EXPECT_EQ(lastReport().tag, "VORLCTOR");
  EXPECT_EQ(lastReport().message, "VORL 15 VORLCTOR: material 999 is not in the property library");
  EXPECT_EQ(vorl::VORL::sharedPropertyUsers(), sharedBefore);
}

TEST(ModelCreation, OnlyTheLibraryVariantHasSaturationProperties) {
  ModelHandle simple(VorlModelCreateSimple(16.043)), methane(VorlModelCreateZel(kMethane));
  const vorl::VORL& s = vorl::test::modelBehind(simple.get());
  const vorl::VORL& m = vorl::test::modelBehind(methane.get());
  EXPECT_EQ(s.gasId(), 0);
  EXPECT_EQ(s.SaturationPressure(150.0), 0.0);
  EXPECT_EQ(s.SaturationTemperature(101325.0), 0.0);
  // Methane boils at 111.67 K at one atmosphere.
  EXPECT_NEAR(m.SaturationTemperature(101325.0), 111.67, 0.5);
  EXPECT_NEAR(m.SaturationPressure(111.67), 101325.0, 500.0);
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
