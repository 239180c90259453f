#include "companion/property_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorl {
namespace {

constexpr double kAtmosphere = 101325.0;
constexpr int kMethane = 74828, kCarbonDioxide = 124389, kAir = 132259100;

const KIV& library() {
  static const KIV kiv("VORL");
  return kiv;
}

double property(int material, int code, double x1 = 0.0, double x2 = 0.0) {
  return library().kivMusPrp(material, code, x1, x2, nullptr, 0);
}

// Acentric factors as sourced, and by Pitzer's omega = -log10(psat(0.7 Tc) / pc) - 1 on the library's own curve
// (within 0.001; not air, a mixture's bubble line, nor carbon dioxide, solid at 0.7 Tc).
TEST(MaterialTable, AcentricFactorsAreTheSourcesAndFitTheVapourPressureCurve) {
  const std::pair<int, double> source[] = {
      {kMethane, 0.01142}, {74986, 0.1521}, {1333740, -0.219}, {kCarbonDioxide, 0.22394}, {7664417, 0.2556905229865023}};
  for (const auto& [number, omega] : source) EXPECT_EQ(findMaterial(number)->acentricFactor, omega) << number;
  for (std::size_t i = 0; i < materialCount(); ++i) {
    const Material& m = materialAt(i);
    if (m.number == kAir || m.number == kCarbonDioxide) continue;
    const double pitzer = -std::log10(saturationPressure(m, 0.7 * m.criticalTemperature) / m.criticalPressure) - 1.0;
    EXPECT_NEAR(pitzer, m.acentricFactor, 0.001) << m.name;
  }
}

TEST(PropertySaturation, BoilingPointsMatchTheReferenceAtOneAtmosphere) {
  // Normal boiling points (K) of the reference equations of state (coolprop16.json); CO2 has none.
  const std::pair<int, double> boilingPoints[] = {
      {74828, 111.667},   {74840, 184.565},   {74986, 231.034},  {106978, 272.658},   {75285, 261.403},
      {74851, 169.378},   {115071, 225.529},  {7727379, 77.355}, {7782447, 90.188},   {1333740, 20.369},
      {630080, 81.638},   {7783064, 212.855}, {7664417, 239.836}, {7782505, 239.198}, {132259100, 78.903}};
  for (const auto& [number, temperature] : boilingPoints) {
    const double psat = std::exp(property(number, kPropLnSaturationPressure, temperature));
    EXPECT_NEAR(psat / kAtmosphere, 1.0, 0.005) << number;
    EXPECT_NEAR(property(number, kPropSaturationTemperature, 0.0, kAtmosphere) / temperature, 1.0, 0.005) << number;
  }
}

TEST(PropertySaturation, PressureAndTemperatureInvertEachOtherAndNothingCondensesAboveTheCriticalPoint) {
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
    const double nearCritical = m.criticalPressure * (1.0 - 1e-9);
    EXPECT_NEAR(saturationPressure(m, saturationTemperature(m, nearCritical)) / nearCritical, 1.0, 1e-11) << m.name;
    for (const double t : {m.criticalTemperature, 1.5 * m.criticalTemperature, 1e6}) {
      EXPECT_DOUBLE_EQ(property(m.number, kPropLnSaturationPressure, t), std::log(1e128)) << m.name;
    }
    for (const double p : {m.criticalPressure, 2.0 * m.criticalPressure, 1e300}) {
      EXPECT_EQ(property(m.number, kPropSaturationTemperature, 0.0, p), 0.0) << m.name;
    }
  }
}

TEST(PropertySaturation, MeaninglessInputsGiveNoSaturation) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const double x : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 0.0, -50.0}) {
    EXPECT_EQ(property(kMethane, kPropLnSaturationPressure, x), -1e128);
    EXPECT_EQ(property(kMethane, kPropSaturationTemperature, 0.0, x), 0.0);
  }
  // Far below the triple point the curve is extrapolated and stays finite.
  const double tiny = property(kMethane, kPropSaturationTemperature, 0.0, 1e-300);
  EXPECT_GT(tiny, 0.0);
  EXPECT_LT(tiny, 10.0);
  EXPECT_TRUE(std::isfinite(property(kMethane, kPropLnSaturationPressure, 1e-300)));
}

TEST(PropertySaturation, CarbonDioxideSublimesAtOneAtmosphere) {
  EXPECT_EQ(property(kCarbonDioxide, kPropNormalBoilingPoint), 0.0);
  EXPECT_NEAR(property(kCarbonDioxide, kPropSaturationTemperature, 0.0, kAtmosphere), 194.7, 0.1);
  // Liquid-vapour line above the triple point: 233.03 K at 1 MPa (Span & Wagner).
  EXPECT_NEAR(property(kCarbonDioxide, kPropSaturationTemperature, 0.0, 1e6), 233.03, 0.05);
  // Solid and liquid lines meet at the triple point, 0.51795 MPa.
  const Material& m = *findMaterial(kCarbonDioxide);
  EXPECT_NEAR(saturationPressure(m, 216.592 - 1e-9) / 0.51795e6, 1.0, 1e-4);
  EXPECT_NEAR(saturationPressure(m, 216.592 + 1e-9) / 0.51795e6, 1.0, 1e-4);
}

TEST(PropertyLibrary, UnknownMaterialOrCodeGivesZero) {
  const double composition[16] = {1.0};
  for (const int code : {4, -36, -18, 101, 102, 103, 104, 105, 106, 107, 108, 109, 0, 110, 7}) {
    EXPECT_EQ(library().kivMusPrp(999, code, 200.0, kAtmosphere, composition, 1), 0.0) << code;
  }
  EXPECT_EQ(property(kMethane, 0), 0.0);
  EXPECT_EQ(property(kMethane, 110), 0.0);
  EXPECT_EQ(library().productId(), "VORL");
}

}  // namespace
}  // namespace vorl
