#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorl {

// Property codes understood by KIV::kivMusPrp. Values are SI unless noted.
enum PropertyCode : int {
  kPropMolarMass = 4,                  // kg/kmol (x1, x2 ignored)
  kPropLnSaturationPressure = -36,     // ln(psat / Pa) at temperature x1 (K)
  kPropSaturationTemperature = -18,    // K at pressure x2 (Pa)
  kPropIdealGasCp = 101,               // J/(kg K), ideal gas, 300 K value
  kPropHeatCapacityRatio = 102,        // cp/cv ideal gas at 300 K
  kPropLatentHeatAtBoiling = 103,      // J/kg at the normal boiling point
  kPropLiquidDensityAtBoiling = 104,   // kg/m3 at the normal boiling point
  kPropSurfaceTensionAtBoiling = 105,  // N/m at the normal boiling point
  kPropCriticalTemperature = 106,      // K
  kPropCriticalPressure = 107,         // Pa
  kPropNormalBoilingPoint = 108,       // K (0 where the material has none at 1 atm, CO2)
  kPropTriplePointTemperature = 109    // K
};

// One pure gas of the built-in table. The number is the CAS registry number
// written as an integer without hyphens (methane 74-82-8 -> 74828).
struct Material {
  int number;
  const char* name;
  const char* cas;
  const char* aliases;  // other accepted names, '|' between them: "butane|normal butane|C4H10"
  double molarMass;               // kg/kmol
  double criticalTemperature;     // K
  double criticalPressure;        // Pa
  double acentricFactor;          // -log10(psat / pc) - 1 at T = 0.7 Tc (Pitzer)
  double normalBoilingPoint;      // K, 0 when there is no liquid at 1 atm
  double triplePointTemperature;  // K
  double idealGasCp;              // J/(kg K) at 300 K
  double heatCapacityRatio;       // cp/cv at 300 K
  double latentHeatAtBoiling;     // J/kg
  double liquidDensityAtBoiling;  // kg/m3
  double surfaceTensionAtBoiling; // N/m
  // Vapour-pressure ancillary of the reference equation of state:
  // ln(p/pr) = (Tr/T) * sum n_i (1 - T/Tr)^t_i, with its own reducing values.
  double ancillaryTr;
  double ancillaryPr;
  int ancillaryTerms;
  double ancillaryN[8];
  double ancillaryT[8];
};

// The table, in this fixed order: methane, ethane, propane, n-butane,
// isobutane, ethylene, propylene, nitrogen, oxygen, hydrogen, carbon dioxide,
// carbon monoxide, hydrogen sulphide, ammonia, chlorine, air.
std::size_t materialCount() noexcept;
// The material at an index of that order; an index past the end gives an
// all-zero placeholder with number 0 (never a material of the table).
const Material& materialAt(std::size_t index) noexcept;
// Lookup by material number; null when unknown.
const Material* findMaterial(int number) noexcept;
// Lookup by a text: the English name or an alias, case-insensitive, blanks,
// hyphens and underscores ignored ("n-butane", "Butane", "hydrogen sulfide",
// "co2"); or the number, plain or in CAS form with hyphens ("74828",
// "74-82-8"); blanks around the text ignored. Null when unknown.
const Material* findMaterialByName(std::string_view key) noexcept;

// Whether two texts are one material name: equal but for case, blanks,
// hyphens and underscores ("n-butane", "N Butane").
bool sameMaterialName(std::string_view a, std::string_view b) noexcept;
// Whether `key` is `name` or one of the '|'-separated `aliases`, by
// sameMaterialName: a material's names, or a named gas's.
bool namesOneOf(std::string_view key, std::string_view name, std::string_view aliases) noexcept;

// Property `code` (see PropertyCode) of a material; 0 for an unknown code.
double materialProperty(const Material& material, int code, double x1, double x2) noexcept;

// Saturation pressure (Pa) of the condensed phase at a temperature (K).
// 1e128 at or above the critical temperature (no condensation possible),
// 0 for a temperature that is not a finite positive number. For carbon
// dioxide below its triple point the condensed phase is solid and the
// sublimation pressure is returned.
double saturationPressure(const Material& material, double temperature) noexcept;
// Inverse of saturationPressure (K); 0 at or above the critical pressure and
// for a pressure that is not a finite positive number.
double saturationTemperature(const Material& material, double pressure) noexcept;

// The shared property-library object of all models.
// The fractions of a composition kivMusPrp takes, pure component first.
constexpr int kCompositionSize = 16;
// One pure component: the first fraction 1, the others 0.
inline constexpr double kPureComposition[kCompositionSize] = {1.0};

class KIV {
 public:
  explicit KIV(const char* productId);
  virtual ~KIV();

  const std::string& productId() const noexcept;

  // Property `code` of material number `material` (see PropertyCode). The
  // composition (kCompositionSize fractions, pure component first) and the flag are
  // accepted and ignored: only pure gases are modelled. Unknown material or
  // code gives 0; the result is always finite.
  double kivMusPrp(int material, int code, double x1, double x2,
                   const double* composition, int flag) const noexcept;

 private:
  std::string productId_;
};

}  // namespace vorl
