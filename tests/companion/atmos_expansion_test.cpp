#include "companion/atmos_expansion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "companion/model_error.h"
#include "companion/property_library.h"

namespace vorl {
namespace {

constexpr int kMethane = 74828;
constexpr int kPropane = 74986;
constexpr int kButane = 106978;
constexpr int kNitrogen = 7727379;
constexpr int kNoMaterial = 0;
constexpr double kR = 8314.34;  // J/(kmol K)

const KIV& library() {
  static const KIV kiv("VORL");
  return kiv;
}

double property(int material, int code, double x2 = 0.0) {
  return library().kivMusPrp(material, code, 0.0, x2, nullptr, 0);
}

// Sea-level air at 15 C, 70 % humidity.
AMBIENT seaLevelAir() {
  AMBIENT air;
  air.temperature = 288.15;
  air.pressure = 101325.0;
  air.relativeHumidity = 0.7;
  air.molecularWeight = 28.966;
  return air;
}

ATMOSEXPDATA expand(const ATMOSEXPANSION& expansion, double pressure, double temperature,
                    double velocity, int material, const AMBIENT& air = seaLevelAir()) {
  ATMOSEXPDATA result;
  expansion.atmexCalc(air, &library(), pressure, temperature, velocity, material, result);
  return result;
}

ATMOSEXPANSION withMethod(int method, double molarMass) {
  ATMOSEXPANSION expansion;
  expansion.ExpMethodSet(method);
  expansion.MolarMassSet(molarMass);
  return expansion;
}

// The worked vector: methane from 70 bar and 288.15 K through a choked
// adiabatic exit (Te 250.27 K, pe 38.166 bar, ue 411.06 m/s) into 1 atm.
constexpr double kVectorPressure = 38.166e5;
constexpr double kVectorTemperature = 250.27;
constexpr double kVectorVelocity = 411.06;

TEST(AtmosExpansionWorkedVector, ConservationMatchesTheReference) {
  const auto r = expand(withMethod(0, 16.0428), kVectorPressure, kVectorTemperature, kVectorVelocity, kMethane);
  EXPECT_NEAR(r.d0, 718.2, 0.005 * 718.2);
  EXPECT_NEAR(r.d1, 172.5, 0.005 * 172.5);
  EXPECT_EQ(r.d2, 0.0);
  EXPECT_NEAR(r.density, 1.133, 0.005 * 1.133);
  EXPECT_NEAR(std::sqrt(r.areaRatio), 3.855, 0.005 * 3.855);  // expanded over exit diameter
}

TEST(AtmosExpansionWorkedVector, IsentropicReachesTheReferenceAndCondensesMethane) {
  const auto r = expand(withMethod(1, 16.0428), kVectorPressure, kVectorTemperature, kVectorVelocity, kMethane);
  // As a vapour the jet would cool to 107.7 K, below methane's boiling point:
  // it ends two-phase at the saturation temperature.
  EXPECT_NEAR(r.vapourTemperature, 107.7, 0.005 * 107.7);
  EXPECT_NEAR(r.d0, 897.2, 0.005 * 897.2);
  ASSERT_LT(r.d1, 0.0);

  // Entropy balance: the exit vapour's entropy above saturated vapour at
  // (Ts, pa) is taken up by condensing x L / Ts.
  const double ts = property(kMethane, kPropSaturationTemperature, 101325.0);
  const double cp = property(kMethane, kPropIdealGasCp);
  const double latent = property(kMethane, kPropLatentHeatAtBoiling);
  const double gasConstant = kR / 16.0428;
  const double entropyExcess =
      cp * std::log(kVectorTemperature / ts) - gasConstant * std::log(kVectorPressure / 101325.0);
  const double liquid = -entropyExcess * ts / latent;
  EXPECT_NEAR(-r.d1, liquid, 1e-9);
  EXPECT_NEAR(-r.d1, 0.0177, 0.0005);  // by hand from the reference data
  // Energy closes the balance with the liquid's latent heat.
  const double exitEnergy = cp * (kVectorTemperature - ts) + kVectorVelocity * kVectorVelocity / 2.0;
  EXPECT_NEAR(r.d0 * r.d0 / 2.0 - liquid * latent, exitEnergy, 1e-6 * exitEnergy);
}

TEST(AtmosExpansionConservation, KeepsEnergyMassAndMomentumOfASinglePhaseJet) {
  struct Case {
    int material;
    double molarMass, pressure, temperature, velocity;
  };
  const Case cases[] = {{kMethane, 16.0428, 50e5, 288.15, 380.0},
                        {kNitrogen, 28.01348, 20e5, 300.0, 300.0},
                        {kNoMaterial, 20.0, 10e5, 250.0, 350.0},
                        {kMethane, 16.0428, 1.5e5, 280.0, 200.0}};
  const double pa = 101325.0;
  for (const Case& c : cases) {
    const auto r = expand(withMethod(0, c.molarMass), c.pressure, c.temperature, c.velocity, c.material);
    ASSERT_GT(r.d1, 0.0) << c.material;
    const double cp = c.material != kNoMaterial ? property(c.material, kPropIdealGasCp)
                                                : 1.3 / 0.3 * kR / c.molarMass;
    const double exitDensity = c.pressure * c.molarMass / (kR * c.temperature);
    EXPECT_NEAR(cp * r.d1 + r.d0 * r.d0 / 2.0, cp * c.temperature + c.velocity * c.velocity / 2.0,
                1e-9 * cp * c.temperature);
    // Mass flux through the expanded area equals that of the exit.
    EXPECT_NEAR(r.density * r.d0 * r.areaRatio, exitDensity * c.velocity, 1e-9 * exitDensity * c.velocity);
    EXPECT_NEAR(r.density, pa * c.molarMass / (kR * r.d1), 1e-9 * r.density);
    // Momentum: mass flux times the velocity gain equals the pressure excess.
    EXPECT_NEAR(exitDensity * c.velocity * (r.d0 - c.velocity), c.pressure - pa, 1e-6 * c.pressure);
  }
}

TEST(AtmosExpansionMethods, IsothermalMomentumKeepsTheGasTemperatureAndFormsNoLiquid) {
  // Propane at 240 K would condense in the other methods (see below).
  const auto r = expand(withMethod(2, 44.09562), 3e5, 240.0, 230.0, kPropane);
  EXPECT_EQ(r.d1, 240.0);
  EXPECT_EQ(r.d2, 0.0);
  const double exitDensity = 3e5 * 44.09562 / (kR * 240.0);
  EXPECT_NEAR(r.d0, 230.0 + (3e5 - 101325.0) / (exitDensity * 230.0), 1e-9 * r.d0);
}

TEST(AtmosExpansionMethods, IsentropicIdealGasFollowsThePressureRatio) {
  // Simple variant: cp/cv 1.3, cp = 1.3/0.3 R/M.
  const double molarMass = 20.0, te = 280.0, pe = 8e5, ue = 300.0;
  const auto r = expand(withMethod(1, molarMass), pe, te, ue, kNoMaterial);
  const double tf = te * std::pow(101325.0 / pe, 0.3 / 1.3);
  const double cp = 1.3 / 0.3 * kR / molarMass;
  EXPECT_NEAR(r.d1, tf, 1e-9 * tf);
  EXPECT_NEAR(r.d0, std::sqrt(ue * ue + 2.0 * cp * (te - tf)), 1e-9 * r.d0);
}

TEST(AtmosExpansionMethods, AnExitAtAmbientPressureHasNothingToExpand) {
  for (int method : {0, 1, 2}) {
    const auto r = expand(withMethod(method, 16.0428), 101325.0, 280.0, 150.0, kMethane);
    EXPECT_NEAR(r.d0, 150.0, 1e-9) << method;
    EXPECT_NEAR(r.d1, 280.0, 1e-9) << method;
  }
}

// Propane leaving at 240 K, 3 bar, 230 m/s: the momentum expansion cools it
// to about 217 K, below its 231 K boiling point.
class PropaneCondensation : public ::testing::Test {
 protected:
  static constexpr double kPe = 3e5, kTe = 240.0, kUe = 230.0;
  // Momentum velocity, and the liquid fraction from the energy balance.
  double velocity() const {
    const double exitDensity = kPe * 44.09562 / (kR * kTe);
    return kUe + (kPe - 101325.0) / (exitDensity * kUe);
  }
  double liquidFraction() const {
    const double ts = property(kPropane, kPropSaturationTemperature, 101325.0);
    const double cp = property(kPropane, kPropIdealGasCp);
    const double uf = velocity();
    const double finalEnthalpy = cp * (kTe - ts) + (kUe * kUe - uf * uf) / 2.0;  // from saturated vapour
    return -finalEnthalpy / property(kPropane, kPropLatentHeatAtBoiling);
  }
  // Critical Weber number break-up in humid air of 1.2196 kg/m3 (15 C,
  // 70 %: water vapour at 1705 Pa).
  double weberDrop() const {
    return 12.5 * property(kPropane, kPropSurfaceTensionAtBoiling) / (1.2196 * velocity() * velocity());
  }
  ATMOSEXPANSION expansion = withMethod(0, 44.09562);
};

TEST_F(PropaneCondensation, EndsTwoPhaseWithTheLiquidOfTheEnergyBalance) {
  const auto r = expand(expansion, kPe, kTe, kUe, kPropane);
  EXPECT_NEAR(r.vapourTemperature, 217.0, 0.5);
  EXPECT_NEAR(r.d0, velocity(), 1e-9 * r.d0);
  EXPECT_NEAR(-r.d1, liquidFraction(), 1e-9);
  EXPECT_NEAR(-r.d1, 0.054, 0.002);  // by hand: 23.5 kJ/kg of 432 kJ/kg
  // Homogeneous mixture: vapour at the saturation temperature plus liquid.
  const double ts = property(kPropane, kPropSaturationTemperature, 101325.0);
  const double vapourDensity = 101325.0 * 44.09562 / (kR * ts);
  const double x = liquidFraction();
  EXPECT_NEAR(1.0 / r.density, (1.0 - x) / vapourDensity + x / property(kPropane, kPropLiquidDensityAtBoiling),
              1e-9 / r.density);
}

TEST_F(PropaneCondensation, DropSizeFollowsTheWeberNumberWithinItsClamps) {
  // Bounds wide open: the break-up size itself, a little above a micrometre.
  expansion.MinDropSizeSet(1e-9);
  expansion.MaxDropSizeSet(1.0);
  EXPECT_NEAR(expand(expansion, kPe, kTe, kUe, kPropane).d2, weberDrop(), 1e-3 * weberDrop());

  expansion.MinDropSizeSet(1e-5);  // raised to the minimum
  EXPECT_EQ(expand(expansion, kPe, kTe, kUe, kPropane).d2, 1e-5);

  expansion.MinDropSizeSet(1e-9);
  expansion.MaxDropSizeSet(1e-7);  // cut to the maximum
  EXPECT_EQ(expand(expansion, kPe, kTe, kUe, kPropane).d2, 1e-7);

  expansion.MaxDropSizeSet(1.0);
  expansion.HoleDiameterSet(1e-6, 0.25);  // orifice 0.5 micrometre across
  EXPECT_DOUBLE_EQ(expand(expansion, kPe, kTe, kUe, kPropane).d2, 5e-7);

  expansion.HoleDiameterSet(0.5, 1.0);
  expansion.MinDropSizeSet(0.02);  // crossed bounds: the maximum wins
  expansion.MaxDropSizeSet(0.01);
  EXPECT_EQ(expand(expansion, kPe, kTe, kUe, kPropane).d2, 0.01);
}

TEST_F(PropaneCondensation, DefaultSettingsLeaveThisBreakUpSizeAsItIs) {
  const ATMOSEXPANSION defaults;
  EXPECT_EQ(defaults.method(), 0);
  EXPECT_EQ(defaults.phaseFlag(), 1);
  EXPECT_EQ(defaults.weberNumber(), 12.5);
  EXPECT_EQ(defaults.minDropSize(), 1e-6);
  EXPECT_EQ(defaults.maxDropSize(), 0.01);
  EXPECT_EQ(defaults.GetMaximumVelocity(), 1000.0);
  // About 1.24 micrometres: inside the default 1 micrometre to 1 cm.
  EXPECT_NEAR(expand(expansion, kPe, kTe, kUe, kPropane).d2, weberDrop(), 1e-3 * weberDrop());
  EXPECT_NEAR(weberDrop(), 1.24e-6, 0.02e-6);
}

TEST_F(PropaneCondensation, ASimpleGasOrTheIsothermalMethodNeverCondenses) {
  const auto simple = expand(expansion, kPe, kTe, kUe, kNoMaterial);
  const double cp = 1.3 / 0.3 * kR / 44.09562;
  EXPECT_NEAR(simple.d1, kTe + (kUe * kUe - simple.d0 * simple.d0) / (2.0 * cp), 1e-9);
  EXPECT_GT(simple.d1, 0.0);
  EXPECT_EQ(simple.d2, 0.0);

  expansion.ExpMethodSet(2);
  EXPECT_EQ(expand(expansion, kPe, kTe, kUe, kPropane).d1, kTe);
}

TEST_F(PropaneCondensation, AnyPhaseFlagIsTakenAsAVapourExit) {
  const auto vapour = expand(expansion, kPe, kTe, kUe, kPropane);
  for (int flag : {0, 2, -1}) {
    expansion.InitialPhaseFlagSet(flag);
    const auto r = expand(expansion, kPe, kTe, kUe, kPropane);
    EXPECT_EQ(r.d0, vapour.d0) << flag;
    EXPECT_EQ(r.d1, vapour.d1) << flag;
    EXPECT_EQ(r.d2, vapour.d2) << flag;
  }
}

TEST(AtmosExpansionLimits, NoFlowAndUndefinedVelocityExpandNothing) {
  const ATMOSEXPANSION expansion = withMethod(0, 16.0428);
  for (double still : {0.0, -5.0, std::nan("")}) {
    const auto r = expand(expansion, 20e5, 260.0, still, kMethane);
    EXPECT_EQ(r.d0, 0.0) << still;
    EXPECT_EQ(r.d1, 260.0) << still;
    EXPECT_EQ(r.d2, 0.0) << still;
  }
  // Also with an exit pressure of 0, as a failed query hands it on.
  EXPECT_EQ(expand(expansion, 0.0, 260.0, 0.0, kMethane).d1, 260.0);

  const auto undefined = expand(expansion, 20e5, 260.0, 1e128, kMethane);
  EXPECT_EQ(undefined.d0, 1e128);
  EXPECT_EQ(undefined.d1, 260.0);
  EXPECT_EQ(undefined.d2, 0.0);
  EXPECT_EQ(expand(expansion, 20e5, 260.0, 9.1e127, kMethane).d0, 1e128);
}

TEST(AtmosExpansionLimits, VelocityStaysBelowTheVacuumCeilingAndTemperatureAboveZero) {
  // A slow jet at high pressure: the momentum balance alone would give tens of km/s.
  for (int method : {0, 1, 2}) {
    const auto r = expand(withMethod(method, 16.0428), 100e5, 288.15, 1.0, kMethane);
    const double ceiling = std::sqrt(1.0 + 2.0 * property(kMethane, kPropIdealGasCp) * 288.15);
    EXPECT_LE(r.d0, ceiling) << method;
    EXPECT_GT(r.d0, 0.5 * ceiling) << method;
    EXPECT_GT(r.vapourTemperature, 0.0) << method;
  }
  const auto simple = expand(withMethod(0, 16.0428), 100e5, 288.15, 1.0, kNoMaterial);
  EXPECT_GT(simple.d1, 0.0);
  EXPECT_LT(simple.d0, std::sqrt(1.0 + 2.0 * 1.3 / 0.3 * kR / 16.0428 * 288.15));
}

TEST(AtmosExpansionLimits, LiquidFractionStopsAtOneAndEnergySetsTheVelocity) {
  // n-butane carries less latent heat than its vapour's enthalpy above 0 K:
  // expanding toward vacuum would condense more than all of it.
  const auto r = expand(withMethod(0, 58.1222), 50e5, 300.0, 1.0, kButane);
  EXPECT_EQ(r.d1, -1.0);
  const double ts = property(kButane, kPropSaturationTemperature, 101325.0);
  const double cp = property(kButane, kPropIdealGasCp);
  const double latent = property(kButane, kPropLatentHeatAtBoiling);
  EXPECT_NEAR(r.d0 * r.d0 / 2.0, 0.5 + cp * (300.0 - ts) + latent, 1e-6 * latent);
  EXPECT_LE(r.d0, std::sqrt(1.0 + 2.0 * cp * 300.0));
}

TEST(AtmosExpansionLimits, RefusesWhatItCannotExpand) {
  const auto codeOf = [](const ATMOSEXPANSION& expansion, double temperature, int material) {
    try {
      expand(expansion, 20e5, temperature, 300.0, material);
    } catch (const MODELERROR& error) {
      return error.eError();
    }
    return 0;
  };
  EXPECT_EQ(codeOf(withMethod(3, 16.0428), 280.0, kMethane), 13);
  EXPECT_EQ(codeOf(withMethod(-1, 16.0428), 280.0, kMethane), 13);
  EXPECT_EQ(codeOf(withMethod(0, 16.0428), 0.0, kMethane), 13);
  EXPECT_EQ(codeOf(withMethod(0, 0.0), 280.0, kNoMaterial), 5);
  // A material of the library needs no molar mass of its own.
  EXPECT_EQ(codeOf(withMethod(0, 0.0), 280.0, kMethane), 0);
}

}  // namespace
}  // namespace vorl
