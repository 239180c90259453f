#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "companion/property_library.h"

namespace vorl {

// Mole fractions of a composition must sum to 1 within this; they are then
// divided by their sum.
constexpr double kCompositionSumTolerance = 1e-6;

// One component of a gas mixture: a material of the property library and its
// mole fraction.
struct MixtureComponent {
  const Material* material = nullptr;
  double fraction = 0.0;
};

// Binary interaction coefficient k_ij of the Peng-Robinson one-fluid mixing
// rules for two materials by number: symmetric, 0 for a material with itself
// and for a pair the sources give no value for (docs/materials.md).
double interactionCoefficient(int numberA, int numberB) noexcept;
// The source of a pair's coefficient ("ChemSep DECHEMA PR", "thermopack PR
// Default"), or "" when it has none.
const char* interactionSource(int numberA, int numberB) noexcept;

// Where a mixture's dew point came from.
enum class DewPointBasis : int {
  kNone = 0,           // nothing condenses at this pressure (or temperature)
  kPengRobinson = 1,   // equal fugacities of the Peng-Robinson mixture
  kWilsonEstimate = 2  // the fugacity iteration failed (near the critical region): Wilson's K-values
};

struct DewPoint {
  double value = 0.0;  // K for a dew temperature, Pa for a dew pressure
  DewPointBasis basis = DewPointBasis::kNone;
};

// A gas given by mole fractions of the property library's materials. A
// mixture of one component is that material: every property below is then
// the material's own value, bit for bit.
class GasMixture {
 public:
  // Checks and normalises a composition of `count` components: material
  // numbers and mole fractions. Components of fraction 0 are left out.
  // Raises, naming the component: 470 no component (count 0, or every
  // fraction 0 - reported as a sum), 471 a number not in the library, 472 a
  // fraction below 0 or not a number, 473 fractions whose sum is not within
  // 1e-6 of 1, 474 a material given twice; 5 for null arrays.
  GasMixture(const int* numbers, const double* fractions, int count, const char* tag);

  std::size_t size() const noexcept { return components_.size(); }
  const MixtureComponent& component(std::size_t index) const { return components_.at(index); }
  const std::vector<MixtureComponent>& components() const noexcept { return components_; }
  bool isPure() const noexcept { return components_.size() == 1; }

  double molarMass() const noexcept;          // kg/kmol, mole-fraction mean
  double massFraction(std::size_t index) const;
  double idealGasCp() const noexcept;         // J/(kg K) at 300 K, mass-fraction mean of the ideal gases
  double heatCapacityRatio() const noexcept;  // cp / (cp - R/M)
  // Pseudo-critical constants: mole-fraction means (Kay's rule). They
  // describe the mixture; its real gas takes the components' own constants.
  double criticalTemperature() const noexcept;
  double criticalPressure() const noexcept;
  double acentricFactor() const noexcept;
  // The liquid that condenses, taken as the components' liquids at their
  // normal boiling points mixed by mass (an approximation: the first liquid
  // is richer in the heavier components). Latent heat J/kg, density kg/m3
  // (volumes added), surface tension N/m (mole-fraction mean).
  double latentHeat() const noexcept;
  double liquidDensity() const noexcept;
  double surfaceTension() const noexcept;
  // Mole-fraction means of the normal boiling and triple points (K).
  double normalBoilingPoint() const noexcept;
  double triplePointTemperature() const noexcept;

  // The dew temperature (K) at a pressure (Pa) and the dew pressure (Pa) at a
  // temperature (K) of the Peng-Robinson mixture with the interaction
  // coefficients above. A pure material gives its saturation curve.
  // Nothing condenses: value 0 for the temperature, 1e128 for the pressure.
  DewPoint dewTemperature(double pressure) const;
  DewPoint dewPressure(double temperature) const;

  // The property of a KIV property code for the mixture, as KIV::kivMusPrp
  // answers for a material: molar mass, the saturation codes (the dew
  // curve), cp, cp/cv, the liquid's properties, the pseudo-critical constants.
  double property(int code, double x1, double x2) const;

 private:
  std::vector<MixtureComponent> components_;
};

// Whether a composition (components of the property library with their mole
// fractions, summing to 1) is a natural gas, as screening rules written for
// natural-gas lines take it: methane at least kNaturalGasLeastMethane by mole,
// and besides it nothing but the light alkanes of pipeline gas (ethane,
// propane, the butanes), nitrogen and carbon dioxide. Hydrogen, or any other
// material, makes it no natural gas. Pure methane is one.
constexpr double kNaturalGasLeastMethane = 0.70;
bool isNaturalGas(const std::vector<MixtureComponent>& components) noexcept;

// A standard composition of the library, usable by name.
struct NamedGas {
  const char* name;
  const char* aliases;      // '|' between them
  const char* description;  // what it is and where its numbers come from
  std::vector<int> numbers;
  std::vector<double> fractions;
};

std::size_t namedGasCount() noexcept;
const NamedGas& namedGasAt(std::size_t index);
// By name or alias, compared as material names are (case, blanks, hyphens
// and underscores ignored); null when none.
const NamedGas* findNamedGas(std::string_view text) noexcept;

}  // namespace vorl
