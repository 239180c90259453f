#include "companion/atmos_expansion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "companion/property_library.h"
#include "core/model_error.h"

namespace vorl {
namespace {

constexpr int kMethane = 74828, kPropane = 74986, kButane = 106978, kNitrogen = 7727379, kNoMaterial = 0;
constexpr double kR = 8314.34, kPa = 101325.0;  // J/(kmol K), Pa
const AMBIENT kSeaLevelAir{288.15, kPa, 0.7, 28.966};  // 15 C, 70 % humidity

const KIV& library() {
  static const KIV kiv("VORL");
  return kiv;
}

double property(int material, int code, double x2 = 0.0) {
  return library().kivMusPrp(material, code, 0.0, x2, nullptr, 0);
}

ATMOSEXPDATA expand(const ATMOSEXPANSION& expansion, double pe, double te, double ue, int material) {
  ATMOSEXPDATA result;
  expansion.atmexCalc(kSeaLevelAir, &library(), pe, te, ue, material, result);
  return result;
}

ATMOSEXPANSION withMethod(int method, double molarMass) {
  ATMOSEXPANSION expansion;
  expansion.ExpMethodSet(method);
  expansion.MolarMassSet(molarMass);
  return expansion;
}

void expectFlash(const ATMOSEXPDATA& r, double velocity, double temperature, double liquid, double drop) {
  EXPECT_EQ(r.velocity, velocity);
  EXPECT_EQ(r.temperature, temperature);
  EXPECT_EQ(r.liquidFraction, liquid);
  EXPECT_EQ(r.dropSize, drop);
}

TEST(AtmosExpansion, WorkedVectorOfConservationAndIsentropic) {
  // Methane from 70 bar and 288.15 K through a choked adiabatic exit into 1 atm.
  const double pe = 38.166e5, te = 250.27, ue = 411.06;
  auto r = expand(withMethod(0, 16.0428), pe, te, ue, kMethane);
  EXPECT_NEAR(r.velocity, 718.2, 0.005 * 718.2);
  EXPECT_NEAR(r.temperature, 172.5, 0.005 * 172.5);
  EXPECT_EQ(r.dropSize, 0.0);
  EXPECT_NEAR(r.density, 1.133, 0.005 * 1.133);
  EXPECT_NEAR(std::sqrt(r.areaRatio), 3.855, 0.005 * 3.855);  // expanded over exit diameter

  // As a vapour the isentropic jet would cool to 107.7 K, below methane's boiling
  // point: it ends two-phase at the saturation temperature.
  r = expand(withMethod(1, 16.0428), pe, te, ue, kMethane);
  EXPECT_NEAR(r.vapourTemperature, 107.7, 0.005 * 107.7);
  EXPECT_NEAR(r.velocity, 897.2, 0.005 * 897.2);
  EXPECT_NEAR(r.liquidFraction, 0.0177, 0.0005);  // by hand from the reference data
  // Condensing x L / Ts takes up the exit vapour's entropy above saturated vapour
  // at (Ts, pa); energy closes with the latent heat.
  const double ts = property(kMethane, kPropSaturationTemperature, kPa), cp = property(kMethane, kPropIdealGasCp);
  const double latent = property(kMethane, kPropLatentHeatAtBoiling), exitEnergy = cp * (te - ts) + ue * ue / 2.0;
  EXPECT_NEAR(cp * std::log(te / ts) - kR / 16.0428 * std::log(pe / kPa), -r.liquidFraction * latent / ts, 1e-9 * cp);
  EXPECT_NEAR(r.velocity * r.velocity / 2.0 - r.liquidFraction * latent, exitEnergy, 1e-6 * exitEnergy);
}

TEST(AtmosExpansion, ConservationKeepsEnergyAndMomentumOfASinglePhaseJet) {
  const struct { int material; double molarMass, pe, te, ue; } cases[] = {
      {kMethane, 16.0428, 50e5, 288.15, 380.0}, {kNitrogen, 28.01348, 20e5, 300.0, 300.0},
      {kNoMaterial, 20.0, 10e5, 250.0, 350.0}, {kMethane, 16.0428, 1.5e5, 280.0, 200.0}};
  for (const auto& c : cases) {
    const auto r = expand(withMethod(0, c.molarMass), c.pe, c.te, c.ue, c.material);
    ASSERT_GT(r.temperature, 0.0) << c.material;
    const double cp = c.material != kNoMaterial ? property(c.material, kPropIdealGasCp) : 1.3 / 0.3 * kR / c.molarMass;
    const double exitDensity = c.pe * c.molarMass / (kR * c.te), massFlux = exitDensity * c.ue;
    EXPECT_NEAR(cp * r.temperature + r.velocity * r.velocity / 2.0, cp * c.te + c.ue * c.ue / 2.0, 1e-9 * cp * c.te);
    EXPECT_NEAR(r.density, kPa * c.molarMass / (kR * r.temperature), 1e-9 * r.density);
    EXPECT_NEAR(massFlux * (r.velocity - c.ue), c.pe - kPa, 1e-6 * c.pe);  // the pressure excess accelerates it
  }
}

TEST(AtmosExpansion, IsothermalAndIdealGasIsentropicMethods) {
  // Momentum with the temperature held: propane at 240 K forms no liquid.
  auto r = expand(withMethod(2, 44.09562), 3e5, 240.0, 230.0, kPropane);
  EXPECT_EQ(r.temperature, 240.0);
  EXPECT_EQ(r.dropSize, 0.0);
  // A gas without material data: cp/cv 1.3, T follows the pressure ratio to the power 0.3 / 1.3.
  r = expand(withMethod(1, 20.0), 8e5, 280.0, 300.0, kNoMaterial);
  const double tf = 280.0 * std::pow(kPa / 8e5, 0.3 / 1.3);
  EXPECT_NEAR(r.temperature, tf, 1e-9 * tf);
  EXPECT_NEAR(r.velocity, std::sqrt(300.0 * 300.0 + 2.0 * 1.3 / 0.3 * kR / 20.0 * (280.0 - tf)), 1e-9 * r.velocity);
  // An exit at ambient pressure has nothing to expand.
  for (int method : {0, 1, 2}) {
    r = expand(withMethod(method, 16.0428), kPa, 280.0, 150.0, kMethane);
    EXPECT_NEAR(r.velocity, 150.0, 1e-9) << method;
    EXPECT_NEAR(r.temperature, 280.0, 1e-9) << method;
  }
}

// Propane leaving at 240 K, 3 bar, 230 m/s: the momentum expansion cools it
// to about 217 K, below its 231 K boiling point.
class PropaneCondensation : public ::testing::Test {
 protected:
  static constexpr double kPe = 3e5, kTe = 240.0, kUe = 230.0;
  const double ts = property(kPropane, kPropSaturationTemperature, kPa);
  const double velocity = kUe + (kPe - kPa) / (kPe * 44.09562 / (kR * kTe) * kUe);  // momentum
  // Liquid of the energy balance, enthalpy counted from saturated vapour at ts.
  const double liquid = -(property(kPropane, kPropIdealGasCp) * (kTe - ts) + (kUe * kUe - velocity * velocity) / 2.0) /
                        property(kPropane, kPropLatentHeatAtBoiling);
  // Critical Weber number break-up in humid air of 1.2196 kg/m3 (water vapour at 1705 Pa).
  const double weberDrop = 12.5 * property(kPropane, kPropSurfaceTensionAtBoiling) / (1.2196 * velocity * velocity);
  ATMOSEXPANSION expansion = withMethod(0, 44.09562);
  ATMOSEXPDATA run(int material = kPropane) const { return expand(expansion, kPe, kTe, kUe, material); }
};

TEST_F(PropaneCondensation, EndsTwoPhaseWithTheLiquidOfTheEnergyBalance) {
  const auto r = run();
  EXPECT_NEAR(r.vapourTemperature, 217.0, 0.5);
  EXPECT_NEAR(r.velocity, velocity, 1e-9 * r.velocity);
  EXPECT_NEAR(r.liquidFraction, liquid, 1e-9);
  EXPECT_TRUE(r.twoPhase);
  EXPECT_EQ(r.temperature, ts);  // at the saturation temperature of the ambient pressure
  EXPECT_NEAR(r.liquidFraction, 0.054, 0.002);  // by hand: 23.5 kJ/kg of 432 kJ/kg
  // Homogeneous mixture: vapour at the saturation temperature plus liquid.
  const double vapourVolume = kR * ts / (kPa * 44.09562);
  const double liquidVolume = 1.0 / property(kPropane, kPropLiquidDensityAtBoiling);
  EXPECT_NEAR(1.0 / r.density, (1.0 - liquid) * vapourVolume + liquid * liquidVolume, 1e-9 / r.density);
}

TEST_F(PropaneCondensation, DropSizeFollowsTheWeberNumberWithinItsClamps) {
  // About 1.24 micrometres lies inside the default 1 micrometre to 1 cm.
  EXPECT_NEAR(weberDrop, 1.24e-6, 0.02e-6);
  EXPECT_NEAR(run().dropSize, weberDrop, 1e-3 * weberDrop);
  const struct { double minSize, maxSize, pipe, aperture, drop, tolerance; } cases[] = {
      {1e-9, 1.0, 0.5, 1.0, weberDrop, 1e-3 * weberDrop},  // bounds wide open
      {1e-5, 1.0, 0.5, 1.0, 1e-5, 0.0},                    // raised to the minimum
      {1e-9, 1e-7, 0.5, 1.0, 1e-7, 0.0},                   // cut to the maximum
      {1e-9, 1.0, 1e-6, 0.25, 5e-7, 1e-21},                // no wider than an orifice 0.5 micrometre across
      {0.02, 0.01, 0.5, 1.0, 0.01, 0.0}};                  // crossed bounds: the maximum wins
  for (const auto& c : cases) {
    expansion.MinDropSizeSet(c.minSize);
    expansion.MaxDropSizeSet(c.maxSize);
    expansion.HoleDiameterSet(c.pipe, c.aperture);
    EXPECT_NEAR(run().dropSize, c.drop, c.tolerance) << c.drop;
  }
}

TEST_F(PropaneCondensation, WhatNeverCondensesAndAnyPhaseFlagIsAVapourExit) {
  // A gas without material data stays vapour where propane condenses.
  EXPECT_FALSE(run(kNoMaterial).twoPhase);
  EXPECT_EQ(run(kNoMaterial).dropSize, 0.0);
  const auto vapour = run();
  for (int flag : {0, 2, -1}) {
    expansion.InitialPhaseFlagSet(flag);
    expectFlash(run(), vapour.velocity, vapour.temperature, vapour.liquidFraction, vapour.dropSize);
  }
  expansion.ExpMethodSet(2);
  EXPECT_EQ(run().temperature, kTe);
}

// Nitrogen from 177 bar at 328 K into 1.2 bar: the jet ends at the saturation temperature without liquid.
TEST(AtmosExpansionLimits, AJetThatJustReachesSaturationEndsThereWithoutLiquid) {
  const AMBIENT air{288.15, 120000.0, 0.7, 28.966};
  ATMOSEXPDATA r;
  withMethod(1, 28.01348).atmexCalc(air, &library(), 17718473.919350423, 328.0, 1.0, kNitrogen, r);
  EXPECT_TRUE(r.twoPhase);
  EXPECT_EQ(r.liquidFraction, 0.0);
  EXPECT_EQ(r.temperature, property(kNitrogen, kPropSaturationTemperature, 120000.0));
  EXPECT_NEAR(r.vapourTemperature, r.temperature, 1e-3);
}

TEST(AtmosExpansionLimits, NoFlowAndUndefinedVelocityExpandNothing) {
  const ATMOSEXPANSION expansion = withMethod(0, 16.0428);
  for (double still : {0.0, -5.0, std::nan("")}) {
    expectFlash(expand(expansion, 20e5, 260.0, still, kMethane), 0.0, 260.0, 0.0, 0.0);
  }
  expectFlash(expand(expansion, 0.0, 260.0, 0.0, kMethane), 0.0, 260.0, 0.0, 0.0);  // as a failed query hands it on
  expectFlash(expand(expansion, 20e5, 260.0, 1e128, kMethane), 1e128, 260.0, 0.0, 0.0);
  EXPECT_EQ(expand(expansion, 20e5, 260.0, 9.1e127, kMethane).velocity, 1e128);
}

TEST(AtmosExpansionLimits, VelocityStaysBelowTheVacuumCeilingAndTemperatureAboveZero) {
  // A slow jet at high pressure: the momentum balance alone would give tens of km/s.
  const double ceiling = std::sqrt(1.0 + 2.0 * property(kMethane, kPropIdealGasCp) * 288.15);
  for (int method : {0, 1, 2}) {
    const auto r = expand(withMethod(method, 16.0428), 100e5, 288.15, 1.0, kMethane);
    EXPECT_LE(r.velocity, ceiling) << method;
    EXPECT_GT(r.velocity, 0.5 * ceiling) << method;
    EXPECT_GT(r.vapourTemperature, 0.0) << method;
  }
  const auto simple = expand(withMethod(0, 16.0428), 100e5, 288.15, 1.0, kNoMaterial);
  EXPECT_GT(simple.temperature, 0.0);
  EXPECT_LT(simple.velocity, std::sqrt(1.0 + 2.0 * 1.3 / 0.3 * kR / 16.0428 * 288.15));
  // n-butane carries less latent heat than its vapour's enthalpy above 0 K: toward
  // vacuum it would condense more than all of it. Liquid stops at 1, energy sets u.
  const auto r = expand(withMethod(0, 58.1222), 50e5, 300.0, 1.0, kButane);
  EXPECT_EQ(r.liquidFraction, 1.0);
  const double cp = property(kButane, kPropIdealGasCp), latent = property(kButane, kPropLatentHeatAtBoiling);
  EXPECT_NEAR(r.velocity * r.velocity / 2.0,
              0.5 + cp * (300.0 - property(kButane, kPropSaturationTemperature, kPa)) + latent, 1e-6 * latent);
  EXPECT_LE(r.velocity, std::sqrt(1.0 + 2.0 * cp * 300.0));
}

TEST(AtmosExpansionLimits, RefusesWhatItCannotExpand) {
  const struct { int method; double molarMass, te; int material, code; } cases[] = {
      {3, 16.0428, 280.0, kMethane, 365}, {-1, 16.0428, 280.0, kMethane, 365}, {0, 16.0428, 0.0, kMethane, 13},
      {0, 0.0, 280.0, kNoMaterial, 5}, {0, 0.0, 280.0, kMethane, 0}};  // a library material needs no molar mass
  for (const auto& c : cases) {
    int code = 0;
    try {
      expand(withMethod(c.method, c.molarMass), 20e5, c.te, 300.0, c.material);
    } catch (const MODELERROR& error) {
      code = error.eError();
      EXPECT_EQ(error.tag(), "atmexCalc");
    }
    EXPECT_EQ(code, c.code) << c.method << " " << c.te << " " << c.material;
  }
}

}  // namespace
}  // namespace vorl
