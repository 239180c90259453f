// The model object through the C interface: defaults, breach rules and
// layout, the steady-flow rebuild, creation failures and the shared property
// object.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/process_settings.h"
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

TEST_F(ModelTest, NewModelHasItsDefaults) {
  ASSERT_NE(model_.get(), nullptr);
  EXPECT_EQ(VorlPipeLength(model_), 100.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 100.0);
  EXPECT_EQ(VorlIsSingleBranchA(model_), 1);
  EXPECT_EQ(VorlIsSingleBranchB(model_), 0);
  EXPECT_EQ(VorlIsDoubleBranch(model_), 0);

  const vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model_.get());
  EXPECT_EQ(m.ambient().temperature, 288.15);
  EXPECT_EQ(m.ambient().pressure, 100000.0);
  EXPECT_EQ(m.ambient().relativeHumidity, 0.7);
  EXPECT_EQ(m.ambient().molecularWeight, 28.966);
  EXPECT_EQ(m.pipeInterior().Diameter(), 0.154);
  EXPECT_EQ(m.pipeSet().upstreamPressure, 5000000.0);
  EXPECT_EQ(m.pipeSet().orificeAperture, 1.0);
  EXPECT_EQ(m.timeDivision(), 100);
  EXPECT_EQ(m.gasTemperature(), 288.15);
  ASSERT_NE(m.wholePipe(), nullptr);
  EXPECT_EQ(m.wholePipe()->branch, 3);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(ModelTest, BreachFollowsTheFarEndUntilItIsSet) {
  VorlPipeLengthSet(model_, 5000.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 5000.0);

  VorlPipeLengthSet(model_, 1000.0);
  VorlPipeBreachLocationSet(model_, 300.0);
  VorlPipeLengthSet(model_, 200.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 200.0);
  VorlPipeLengthSet(model_, 500.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 200.0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(ModelTest, BreachOutsideThePipeIsClampedWithWarning1001) {
  VorlPipeLengthSet(model_, 1000.0);
  VorlPipeBreachLocationSet(model_, -5.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 0.0);
  EXPECT_EQ(lastReport().code, 1001);
  EXPECT_EQ(lastReport().tag, "BLSet");
  EXPECT_EQ(VorlIsSingleBranchB(model_), 1);

  VorlPipeBreachLocationSet(model_, 2000.0);
  EXPECT_EQ(VorlPipeBreachLocation(model_), 1000.0);
  EXPECT_EQ(VorlIsSingleBranchA(model_), 1);

  VorlPipeBreachLocationSet(model_, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(VorlPipeBreachLocation(model_), 0.0);
  EXPECT_EQ(VorlErrorLogCount(), 3);
}

TEST_F(ModelTest, LayoutBoundsAreStrictFractionsOfTheLength) {
  VorlPipeLengthSet(model_, 1000.0);
  const struct {
    double breach;
    VorlBool a, b, both;
  } cases[] = {
      {0.005, 0, 1, 0},     // below 1e-5 L = 0.01: at the upstream end
      {0.01, 0, 0, 1},      // exactly at the bound: inside
      {500.0, 0, 0, 1},
      {999.99, 0, 0, 1},    // exactly (1 - 1e-5) L: inside
      {999.995, 1, 0, 0},   // beyond it: at the far end
  };
  for (const auto& c : cases) {
    VorlPipeBreachLocationSet(model_, c.breach);
    EXPECT_EQ(VorlIsSingleBranchA(model_), c.a) << c.breach;
    EXPECT_EQ(VorlIsSingleBranchB(model_), c.b) << c.breach;
    EXPECT_EQ(VorlIsDoubleBranch(model_), c.both) << c.breach;
  }
}

TEST_F(ModelTest, NoLayoutForAPipeWithoutLength) {
  VorlPipeLengthSet(model_, 0.0);
  EXPECT_EQ(VorlIsSingleBranchA(model_) + VorlIsSingleBranchB(model_) + VorlIsDoubleBranch(model_), 0);
}

TEST_F(ModelTest, ZeroDiameterKeepsTheValueAndLeavesNoSteadyFlow) {
  const vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model_.get());
  VorlPipeDiameterSet(model_, 0.0);
  EXPECT_EQ(lastReport().code, 13);
  EXPECT_EQ(lastReport().tag, "vlBeta");
  EXPECT_EQ(m.pipeInterior().Diameter(), 0.0);
  EXPECT_EQ(m.wholePipe(), nullptr);

  VorlPipeDiameterSet(model_, 0.5);
  EXPECT_NE(m.wholePipe(), nullptr);
}

TEST_F(ModelTest, LengthChangeRebuildsTheSteadyFlow) {
  const vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model_.get());
  VorlPipeLengthSet(model_, 100000.0);
  ASSERT_NE(m.wholePipe(), nullptr);
  EXPECT_EQ(m.wholePipe()->lengthInitial, 100000.0);
}

TEST_F(ModelTest, AmbientTemperatureLeavesTheGasTemperature) {
  const vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model_.get());
  VorlAmbientTemperatureSet(model_, 300.0);
  EXPECT_EQ(m.ambient().temperature, 300.0);
  EXPECT_EQ(m.gas()->temperature(), 288.15);
  EXPECT_EQ(m.gasTemperature(), 288.15);

  VorlGasTemperatureSet(model_, 250.0);
  EXPECT_EQ(m.gas()->temperature(), 250.0);
  EXPECT_EQ(m.gasTemperature(), 250.0);
  EXPECT_EQ(m.wholePipe()->upstream.T, 250.0);
}

TEST_F(ModelTest, FrictionFactorFollowsBoreAndRoughness) {
  VorlPipeDiameterSet(model_, 0.5);
  VorlPipeRoughnessSet(model_, 5e-5);
  EXPECT_NEAR(VorlFanning(model_), 0.0029950, 5e-7);
  VorlPipeDiameterSet(model_, 0.154);
  VorlPipeRoughnessSet(model_, 4.5e-5);
  EXPECT_NEAR(VorlFanning(model_), 0.0037134, 5e-7);
}

TEST_F(ModelTest, ExpansionSettersStoreTheirValues) {
  VorlAtmosExpanMethodSet(model_, 1);
  VorlAtmosExpanWeNumSet(model_, 13.0);
  VorlAtmosExpanMaxVelSet(model_, 800.0);
  VorlAtmosExpanMinDropSet(model_, 2e-6);
  VorlAtmosExpanMaxDropSet(model_, 0.02);
  VorlAtmosExpanHoleSizeSet(model_, 0.3, 0.5);
  VorlAtmosExpanPhaseFlagSet(model_, 1);
  const vorl::ATMOSEXPANSION& e = reinterpret_cast<vorl::VORL*>(model_.get())->atmosExpansion();
  EXPECT_EQ(e.method(), 1);
  EXPECT_EQ(e.weberNumber(), 13.0);
  EXPECT_EQ(e.GetMaximumVelocity(), 800.0);
  EXPECT_EQ(e.minDropSize(), 2e-6);
  EXPECT_EQ(e.maxDropSize(), 0.02);
  EXPECT_EQ(e.pipeDiameter(), 0.3);
  EXPECT_EQ(e.aperture(), 0.5);
  EXPECT_EQ(e.phaseFlag(), 1);
  EXPECT_NEAR(e.molarMass(), 16.04, 0.01);
}

TEST(ModelCreation, FailuresLeaveANullHandleAndAReport) {
  const int sharedBefore = vorl::VORL::sharedPropertyUsers();
  VorlErrorLogClear();
  EXPECT_EQ(VorlModelCreateSimple(0.0), nullptr);
  EXPECT_EQ(lastReport().code, 13);
  EXPECT_EQ(lastReport().tag, "IGCTOR");
  EXPECT_EQ(VorlModelCreateSimple(-2.0), nullptr);
  EXPECT_EQ(lastReport().tag, "IGCTOR");
  EXPECT_EQ(VorlModelCreateZel(999), nullptr);
  EXPECT_EQ(lastReport().code, 15);
  EXPECT_EQ(lastReport().tag, "VORLCTOR");
  EXPECT_EQ(lastReport().message, "VORL 15 VORLCTOR: material 999 is not in the property library");
  EXPECT_EQ(vorl::VORL::sharedPropertyUsers(), sharedBefore);
}

TEST(ModelCreation, SimpleVariantHasNoSaturationProperties) {
  ModelHandle model(VorlModelCreateSimple(16.043));
  const vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model.get());
  EXPECT_EQ(m.gasId(), 0);
  EXPECT_EQ(m.SaturationPressure(150.0), 0.0);
  EXPECT_EQ(m.SaturationTemperature(101325.0), 0.0);
}

TEST(ModelCreation, LibraryVariantAsksThePropertyLibrary) {
  ModelHandle model(VorlModelCreateZel(kMethane));
  const vorl::VORL& m = *reinterpret_cast<vorl::VORL*>(model.get());
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

TEST(ProcessSwitches, ChokeModelSwitchReachesEveryModel) {
  ModelHandle a(VorlModelCreateSimple(16.043));
  ModelHandle b(VorlModelCreateSimple(16.043));
  VorlChokeModelAllow(0);
  EXPECT_FALSE(vorl::chokeModelAllowed);
  VorlChokeModelAllow(static_cast<VorlBool>(-1));  // spreadsheet true
  EXPECT_TRUE(vorl::chokeModelAllowed);
}

}  // namespace
