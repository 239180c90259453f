#include "companion/property_library.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vorl {
namespace {

constexpr double kAtmosphere = 101325.0;
const double kLnNoCondensation = std::log(1e128);

// Normal boiling points (K) of the reference equations of state
// (coolprop16.json); carbon dioxide has none.
struct BoilingPoint {
  int number;
  double temperature;
};
constexpr BoilingPoint kBoilingPoints[] = {
    {74828, 111.667},  {74840, 184.565},   {74986, 231.034},    {106978, 272.658},
    {75285, 261.403},  {74851, 169.378},   {115071, 225.529},   {7727379, 77.355},
    {7782447, 90.188}, {1333740, 20.369},  {630080, 81.638},    {7783064, 212.855},
    {7664417, 239.836}, {7782505, 239.198}, {132259100, 78.903},
};

const KIV& library() {
  static const KIV kiv("VORL");
  return kiv;
}

double property(int material, int code, double x1 = 0.0, double x2 = 0.0) {
  return library().kivMusPrp(material, code, x1, x2, nullptr, 0);
}

TEST(MaterialTable, HoldsTheSixteenGasesNumberedByCas) {
  ASSERT_EQ(materialCount(), 16u);
  EXPECT_STREQ(materialAt(0).name, "methane");
  EXPECT_STREQ(materialAt(15).name, "air");
  for (std::size_t i = 0; i < materialCount(); ++i) {
    std::string digits;
    for (const char* c = materialAt(i).cas; *c; ++c) {
      if (*c != '-') digits += *c;
    }
    EXPECT_EQ(std::stoi(digits), materialAt(i).number) << materialAt(i).name;
  }
  EXPECT_EQ(materialAt(16).number, 0);
}

TEST(MaterialTable, MolarMassesMatchTheReferenceData) {
  EXPECT_DOUBLE_EQ(property(74828, kPropMolarMass), 16.0428);
  EXPECT_DOUBLE_EQ(property(74986, kPropMolarMass), 44.09562);
  EXPECT_DOUBLE_EQ(property(7727379, kPropMolarMass), 28.01348);
  EXPECT_DOUBLE_EQ(property(1333740, kPropMolarMass), 2.01588);
  EXPECT_DOUBLE_EQ(property(124389, kPropMolarMass), 44.0098);
  EXPECT_DOUBLE_EQ(property(7782505, kPropMolarMass), 70.906);
  EXPECT_DOUBLE_EQ(property(132259100, kPropMolarMass), 28.9586);
}

TEST(MaterialLookup, FindsByNumberNameAliasAndCas) {
  EXPECT_STREQ(findMaterial(74828)->name, "methane");
  EXPECT_STREQ(findMaterial(132259100)->name, "air");
  EXPECT_EQ(findMaterial(12345), nullptr);

  const auto nameOf = [](const char* key) {
    const Material* m = findMaterialByName(key);
    return m ? std::string(m->name) : std::string("<none>");
  };
  EXPECT_EQ(nameOf("METHANE"), "methane");
  EXPECT_EQ(nameOf("n-butane"), "n-butane");
  EXPECT_EQ(nameOf("Butane"), "n-butane");
  EXPECT_EQ(nameOf("isobutane"), "isobutane");
  EXPECT_EQ(nameOf("Hydrogen Sulfide"), "hydrogen sulphide");
  EXPECT_EQ(nameOf("hydrogen sulphide"), "hydrogen sulphide");
  EXPECT_EQ(nameOf("CO2"), "carbon dioxide");
  EXPECT_EQ(nameOf("co"), "carbon monoxide");
  EXPECT_EQ(nameOf("74-82-8"), "methane");
  EXPECT_EQ(nameOf("132259-10-0"), "air");
  EXPECT_EQ(nameOf("xenon"), "<none>");
  EXPECT_EQ(nameOf("74-82-9"), "<none>");
  EXPECT_EQ(nameOf(""), "<none>");
}

TEST(PropertySaturation, BoilingPointsMatchTheReferenceAtOneAtmosphere) {
  for (const BoilingPoint& b : kBoilingPoints) {
    const double psat = std::exp(property(b.number, kPropLnSaturationPressure, b.temperature));
    EXPECT_NEAR(psat / kAtmosphere, 1.0, 0.005) << b.number;
    const double tsat = property(b.number, kPropSaturationTemperature, 0.0, kAtmosphere);
    EXPECT_NEAR(tsat / b.temperature, 1.0, 0.005) << b.number;
  }
}

TEST(PropertySaturation, PressureAndTemperatureInvertEachOther) {
  for (std::size_t i = 0; i < materialCount(); ++i) {
    const Material& m = materialAt(i);
    // From half the triple point (extrapolated, or solid CO2) to near Tc.
    for (double fraction = 0.0; fraction <= 1.0; fraction += 0.125) {
      const double t = 0.5 * m.triplePointTemperature +
                       fraction * (0.999 * m.criticalTemperature - 0.5 * m.triplePointTemperature);
      const double p = saturationPressure(m, t);
      ASSERT_GT(p, 0.0) << m.name << " " << t;
      EXPECT_NEAR(saturationTemperature(m, p) / t, 1.0, 1e-11) << m.name << " " << t;
    }
    const double pNearCritical = m.criticalPressure * (1.0 - 1e-9);
    EXPECT_NEAR(saturationPressure(m, saturationTemperature(m, pNearCritical)) / pNearCritical, 1.0,
                1e-11)
        << m.name;
  }
}

TEST(PropertySaturation, NoCondensationAtOrAboveTheCriticalPoint) {
  for (std::size_t i = 0; i < materialCount(); ++i) {
    const Material& m = materialAt(i);
    for (const double t : {m.criticalTemperature, 1.5 * m.criticalTemperature, 1e6}) {
      EXPECT_DOUBLE_EQ(property(m.number, kPropLnSaturationPressure, t), kLnNoCondensation) << m.name;
    }
    for (const double p : {m.criticalPressure, 2.0 * m.criticalPressure, 1e300}) {
      EXPECT_EQ(property(m.number, kPropSaturationTemperature, 0.0, p), 0.0) << m.name;
    }
  }
}

TEST(PropertySaturation, MeaninglessInputsGiveNoSaturation) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const double x : {nan, inf, -inf, 0.0, -50.0}) {
    EXPECT_EQ(property(74828, kPropLnSaturationPressure, x), -1e128);
    EXPECT_EQ(property(74828, kPropSaturationTemperature, 0.0, x), 0.0);
  }
  // Far below the triple point the curve is extrapolated and stays finite.
  const double tiny = property(74828, kPropSaturationTemperature, 0.0, 1e-300);
  EXPECT_GT(tiny, 0.0);
  EXPECT_LT(tiny, 10.0);
  EXPECT_TRUE(std::isfinite(property(74828, kPropLnSaturationPressure, 1e-300)));
}

TEST(PropertySaturation, CarbonDioxideSublimesAtOneAtmosphere) {
  const int co2 = 124389;
  EXPECT_EQ(property(co2, kPropNormalBoilingPoint), 0.0);
  EXPECT_NEAR(property(co2, kPropSaturationTemperature, 0.0, kAtmosphere), 194.7, 0.1);
  // Liquid-vapour line above the triple point: 233.03 K at 1 MPa (Span & Wagner).
  EXPECT_NEAR(property(co2, kPropSaturationTemperature, 0.0, 1e6), 233.03, 0.05);
  // Solid and liquid lines meet at the triple point, 0.51795 MPa.
  const Material& m = *findMaterial(co2);
  EXPECT_NEAR(saturationPressure(m, 216.592 - 1e-9) / 0.51795e6, 1.0, 1e-4);
  EXPECT_NEAR(saturationPressure(m, 216.592 + 1e-9) / 0.51795e6, 1.0, 1e-4);
}

TEST(PropertyConstants, ComeFromTheReferenceDataInSiUnits) {
  const int methane = 74828;
  EXPECT_NEAR(property(methane, kPropIdealGasCp), 2230.13, 0.01);
  EXPECT_NEAR(property(methane, kPropHeatCapacityRatio), 1.30275, 1e-5);
  EXPECT_NEAR(property(methane, kPropLatentHeatAtBoiling), 510.509e3, 1.0);
  EXPECT_NEAR(property(methane, kPropLiquidDensityAtBoiling), 422.333, 1e-3);
  EXPECT_NEAR(property(methane, kPropSurfaceTensionAtBoiling), 12.9205e-3, 1e-7);
  EXPECT_DOUBLE_EQ(property(methane, kPropCriticalTemperature), 190.564);
  EXPECT_DOUBLE_EQ(property(methane, kPropCriticalPressure), 4.5992e6);
  EXPECT_NEAR(property(methane, kPropNormalBoilingPoint), 111.667, 1e-3);
  EXPECT_DOUBLE_EQ(property(methane, kPropTriplePointTemperature), 90.6941);
  // Gaps of the main table, filled from CoolProp or ChemSep, else zero.
  EXPECT_NEAR(property(132259100, kPropLatentHeatAtBoiling), 202494.3, 0.1);
  EXPECT_EQ(property(132259100, kPropSurfaceTensionAtBoiling), 0.0);
  EXPECT_NEAR(property(124389, kPropLatentHeatAtBoiling), 346953.4, 0.1);
  EXPECT_NEAR(property(124389, kPropLiquidDensityAtBoiling), 1180.67, 0.01);
}

TEST(PropertyLibrary, UnknownMaterialOrCodeGivesZero) {
  const double composition[16] = {1.0};
  for (const int code : {4, -36, -18, 101, 102, 103, 104, 105, 106, 107, 108, 109, 0, 110, 7}) {
    EXPECT_EQ(library().kivMusPrp(999, code, 200.0, kAtmosphere, composition, 1), 0.0) << code;
  }
  EXPECT_EQ(property(74828, 0), 0.0);
  EXPECT_EQ(property(74828, 110), 0.0);
  EXPECT_EQ(library().productId(), "VORL");
}

}  // namespace
}  // namespace vorl
