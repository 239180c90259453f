#include "companion/gas_mixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "core/constants.h"
#include "core/peng_robinson.h"
#include "core/vorl_error.h"

namespace vorl {
namespace {

// ---- Binary interaction coefficients of the Peng-Robinson mixing rules ----
// Sources (docs/materials.md has the files, commits and licences):
// ChemSep's "DECHEMA Peng-Robinson Parameters" (pr.ipd, Artistic-2.0), and
// where it has no value the thermopack PR set "Default" (PR_kij.json,
// Apache-2.0). Methane-oxygen has no value in either: 0.
enum Source : int { kChemSep, kThermopack };

struct InteractionPair {
  int a;
  int b;
  double k;
  Source source;
};

constexpr InteractionPair kInteractions[] = {
    {74828, 74840, -0.0059, kChemSep},       // methane - ethane
    {74828, 74986, 0.0119, kChemSep},        // methane - propane
    {74828, 106978, 0.0185, kChemSep},       // methane - n-butane
    {74828, 75285, 0.0256, kChemSep},        // methane - isobutane
    {74828, 74851, 0.0244, kChemSep},        // methane - ethylene
    {74828, 115071, 0.033, kChemSep},        // methane - propylene
    {74828, 7727379, 0.0289, kChemSep},      // methane - nitrogen
    {74828, 1333740, -0.0044, kChemSep},     // methane - hydrogen
    {74828, 124389, 0.0978, kChemSep},       // methane - carbon dioxide
    {74828, 630080, 0.03, kChemSep},         // methane - carbon monoxide
    {74828, 7783064, 0.093, kThermopack},    // methane - hydrogen sulphide
    {74840, 74986, 0.0011, kChemSep},        // ethane - propane
    {74840, 106978, 0.0089, kChemSep},       // ethane - n-butane
    {74840, 75285, -0.0067, kChemSep},       // ethane - isobutane
    {74840, 74851, 0.0078, kChemSep},        // ethane - ethylene
    {74840, 115071, 0.0089, kChemSep},       // ethane - propylene
    {74840, 7727379, 0.0533, kChemSep},      // ethane - nitrogen
    {74840, 1333740, -0.0781, kChemSep},     // ethane - hydrogen
    {74840, 124389, 0.13, kChemSep},         // ethane - carbon dioxide
    {74840, 630080, -0.0226, kChemSep},      // ethane - carbon monoxide
    {74840, 7783064, 0.0952, kChemSep},      // ethane - hydrogen sulphide
    {74986, 106978, 0.0033, kChemSep},       // propane - n-butane
    {74986, 75285, -0.0078, kChemSep},       // propane - isobutane
    {74986, 115071, 0.0078, kChemSep},       // propane - propylene
    {74986, 7727379, 0.0878, kChemSep},      // propane - nitrogen
    {74986, 1333740, -0.1311, kChemSep},     // propane - hydrogen
    {74986, 124389, 0.1315, kChemSep},       // propane - carbon dioxide
    {74986, 630080, 0.0259, kChemSep},       // propane - carbon monoxide
    {74986, 7783064, 0.0878, kChemSep},      // propane - hydrogen sulphide
    {106978, 75285, -0.0004, kChemSep},      // n-butane - isobutane
    {106978, 74851, 0.0922, kChemSep},       // n-butane - ethylene
    {106978, 7727379, 0.0711, kChemSep},     // n-butane - nitrogen
    {106978, 1333740, -0.397, kChemSep},     // n-butane - hydrogen
    {106978, 124389, 0.1352, kChemSep},      // n-butane - carbon dioxide
    {106978, 7783064, 0.06, kThermopack},    // n-butane - hydrogen sulphide
    {75285, 115071, -0.0144, kChemSep},      // isobutane - propylene
    {75285, 7727379, 0.1033, kChemSep},      // isobutane - nitrogen
    {75285, 124389, 0.13, kChemSep},         // isobutane - carbon dioxide
    {75285, 7783064, 0.0474, kChemSep},      // isobutane - hydrogen sulphide
    {74851, 7727379, 0.0856, kChemSep},      // ethylene - nitrogen
    {74851, 1333740, 0.0633, kChemSep},      // ethylene - hydrogen
    {74851, 124389, 0.0541, kChemSep},       // ethylene - carbon dioxide
    {115071, 7727379, 0.09, kChemSep},       // propylene - nitrogen
    {115071, 1333740, -0.1037, kChemSep},    // propylene - hydrogen
    {115071, 124389, 0.0933, kChemSep},      // propylene - carbon dioxide
    {7727379, 7782447, -0.0159, kChemSep},   // nitrogen - oxygen
    {7727379, 1333740, 0.0711, kChemSep},    // nitrogen - hydrogen
    {7727379, 124389, -0.0122, kChemSep},    // nitrogen - carbon dioxide
    {7727379, 630080, 0.03, kChemSep},       // nitrogen - carbon monoxide
    {7727379, 7783064, 0.1652, kChemSep},    // nitrogen - hydrogen sulphide
    {7727379, 7664417, 0.2193, kChemSep},    // nitrogen - ammonia
    {7782447, 124389, 0.102, kThermopack},   // oxygen - carbon dioxide
    {1333740, 124389, -0.1622, kChemSep},    // hydrogen - carbon dioxide
    {1333740, 630080, 0.0919, kChemSep},     // hydrogen - carbon monoxide
    {124389, 630080, -0.066, kThermopack},   // carbon dioxide - carbon monoxide
    {124389, 7783064, 0.0967, kChemSep},     // carbon dioxide - hydrogen sulphide
    {124389, 7664417, 0.0, kThermopack},     // carbon dioxide - ammonia
    {630080, 7783064, 0.0544, kChemSep},     // carbon monoxide - hydrogen sulphide
};

const InteractionPair* findPair(int a, int b) noexcept {
  for (const InteractionPair& pair : kInteractions) {
    if ((pair.a == a && pair.b == b) || (pair.a == b && pair.b == a)) return &pair;
  }
  return nullptr;
}

// ---- Named gases ----
// The AGA Report No. 8 test gases of NIST's verification workbook
// (TESTDATA/Tables.xls, sheet "Tables", B8:H17), with the pentanes and
// hexane, which the library does not have, lumped into n-butane. Methane
// first; the others are what a natural gas may hold besides it (isNaturalGas).
const std::vector<int> kNaturalGasComponents = {74828, 7727379, 124389, 74840, 74986, 75285, 106978};

struct BaseGas {
  const char* name;
  const char* aliases;
  const char* description;
  std::array<double, 7> fractions;  // in the order of kNaturalGasComponents
};

constexpr BaseGas kBaseGases[] = {
    {"Gulf Coast gas", "gulf coast|AGA8 Gulf Coast",
     "natural gas: AGA8 Gulf Coast test gas (NIST AGA8 Tables.xls), C5+ (0.1461 %) lumped into n-butane",
     {0.965222, 0.002595, 0.005956, 0.018186, 0.004596, 0.000977, 0.001007 + 0.001461}},
    {"Amarillo gas", "amarillo|AGA8 Amarillo",
     "natural gas: AGA8 Amarillo test gas (NIST AGA8 Tables.xls), C5+ (0.1157 %) lumped into n-butane",
     {0.906724, 0.031284, 0.004676, 0.045279, 0.00828, 0.001037, 0.001563 + 0.001157}},
    {"Ekofisk gas", "ekofisk|AGA8 Ekofisk",
     "natural gas: AGA8 Ekofisk test gas (NIST AGA8 Tables.xls), C5+ (0.0989 %) lumped into n-butane",
     {0.859063, 0.010068, 0.014954, 0.084919, 0.023015, 0.003486, 0.003506 + 0.000989}},
    {"high-N2 gas", "high nitrogen gas|AGA8 High N2",
     "natural gas: AGA8 High N2 test gas (NIST AGA8 Tables.xls)",
     {0.81441, 0.13465, 0.00985, 0.033, 0.00605, 0.001, 0.00104}},
    {"high-CO2 gas", "high carbon dioxide gas|AGA8 High CO2",
     "natural gas: AGA8 High CO2 test gas (NIST AGA8 Tables.xls)",
     {0.81212, 0.05702, 0.07585, 0.04303, 0.00895, 0.00151, 0.00152}},
};

// Hydrogen blends: Gulf Coast gas with hydrogen added to the given mole
// fraction, the natural gas's own fractions scaled down in proportion.
struct HydrogenBlend {
  const char* name;
  const char* aliases;
  double hydrogen;
};

constexpr HydrogenBlend kHydrogenBlends[] = {
    {"hydrogen blend 2", "H2NG2|2% hydrogen", 0.02},
    {"hydrogen blend 5", "H2NG5|5% hydrogen", 0.05},
    {"hydrogen blend 10", "H2NG10|10% hydrogen", 0.10},
    {"hydrogen blend 20", "H2NG20|20% hydrogen", 0.20},
};

constexpr int kHydrogen = 1333740;

std::vector<NamedGas> makeNamedGases() {
  std::vector<NamedGas> gases;
  for (const BaseGas& base : kBaseGases) {
    gases.push_back({base.name, base.aliases, base.description, kNaturalGasComponents,
                     std::vector<double>(base.fractions.begin(), base.fractions.end())});
  }
  const BaseGas& gulfCoast = kBaseGases[0];
  for (const HydrogenBlend& blend : kHydrogenBlends) {
    NamedGas gas{blend.name, blend.aliases, "", kNaturalGasComponents, {}};
    for (const double x : gulfCoast.fractions) gas.fractions.push_back((1.0 - blend.hydrogen) * x);
    gas.numbers.push_back(kHydrogen);
    gas.fractions.push_back(blend.hydrogen);
    gases.push_back(std::move(gas));
  }
  gases[5].description = "Gulf Coast gas with 2 % hydrogen by mole (its other fractions scaled by 0.98)";
  gases[6].description = "Gulf Coast gas with 5 % hydrogen by mole (its other fractions scaled by 0.95)";
  gases[7].description = "Gulf Coast gas with 10 % hydrogen by mole (its other fractions scaled by 0.90)";
  gases[8].description = "Gulf Coast gas with 20 % hydrogen by mole (its other fractions scaled by 0.80)";
  return gases;
}

const std::vector<NamedGas>& namedGases() {
  static const std::vector<NamedGas> gases = makeNamedGases();
  return gases;
}

// ---- The Peng-Robinson mixture's phase equilibrium ----

constexpr double kSqrt2 = 1.4142135623730951;
// The fugacity iteration: largest passes, and the change of ln K that ends it.
constexpr int kMaxFugacityPasses = 200;
constexpr double kFugacityTolerance = 1e-10;
// K-values this close to 1 throughout mean the liquid has become the vapour
// (the trivial solution near the critical region): no dew point there.
constexpr double kTrivialLnK = 1e-4;
// The dew temperature's bisection: passes, and the bracket width that ends it (K).
constexpr int kMaxBisections = 200;
constexpr double kDewTemperatureTolerance = 1e-9;
constexpr double kLowestDewTemperature = 1.0;     // K
constexpr double kHighestDewTemperature = 1000.0;  // K
// Wilson's K-value correlation: K = pc/p exp(5.373 (1 + w) (1 - Tc/T)).
constexpr double kWilsonSlope = 5.373;
// ln of "above any pressure": no dew pressure at this temperature.
constexpr double kNoDewPressure = kInfinite;

double wilsonLnK(const Material& m, double temperature, double pressure) noexcept {
  return std::log(m.criticalPressure / pressure) +
         kWilsonSlope * (1.0 + m.acentricFactor) * (1.0 - m.criticalTemperature / temperature);
}

// Real roots of z^3 + c2 z^2 + c1 z + c0 = 0, the largest and the smallest.
struct CubicRoots {
  double smallest;
  double largest;
};

CubicRoots cubicRoots(double c2, double c1, double c0) noexcept {
  const double q = (c2 * c2 - 3.0 * c1) / 9.0;
  const double r = (2.0 * c2 * c2 * c2 - 9.0 * c2 * c1 + 27.0 * c0) / 54.0;
  if (r * r < q * q * q) {
    const double theta = std::acos(r / std::sqrt(q * q * q));
    const double scale = -2.0 * std::sqrt(q);
    const double pi = std::acos(-1.0);
    const double z1 = scale * std::cos(theta / 3.0) - c2 / 3.0;
    const double z2 = scale * std::cos((theta + 2.0 * pi) / 3.0) - c2 / 3.0;
    const double z3 = scale * std::cos((theta - 2.0 * pi) / 3.0) - c2 / 3.0;
    return {std::min({z1, z2, z3}), std::max({z1, z2, z3})};
  }
  const double s = -std::copysign(std::cbrt(std::fabs(r) + std::sqrt(r * r - q * q * q)), r);
  const double z = s + (s != 0.0 ? q / s : 0.0) - c2 / 3.0;
  return {z, z};
}

// The mixture's components at one temperature: their fractions in the feed,
// pure parameters and interaction coefficients.
class PhaseModel {
 public:
  PhaseModel(const std::vector<MixtureComponent>& components, double temperature) : temperature_(temperature) {
    const std::size_t n = components.size();
    for (const MixtureComponent& c : components) {
      feed_.push_back(c.fraction);
      pure_.push_back(pengrobinson::pureParameters(kUniversalGasConstant, temperature,
                                                   c.material->criticalTemperature, c.material->criticalPressure,
                                                   c.material->acentricFactor));
    }
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) {
        interaction_.push_back(interactionCoefficient(components[i].material->number, components[j].material->number));
      }
    }
  }

  const std::vector<double>& feed() const noexcept { return feed_; }

  // ln of the fugacity coefficients of a phase of composition x at p, on
  // the vapour-like (largest) or liquid-like (smallest) root.
  std::vector<double> lnFugacityCoefficients(const std::vector<double>& x, double pressure, bool vapour) const {
    const std::size_t n = x.size();
    const pengrobinson::Parameters mix = pengrobinson::mixtureParameters(x.data(), pure_.data(), interaction_.data(), n);
    const double rt = kUniversalGasConstant * temperature_;
    const double a = mix.a * pressure / (rt * rt);
    const double b = mix.b * pressure / rt;
    const CubicRoots roots = cubicRoots(-(1.0 - b), a - 3.0 * b * b - 2.0 * b, -(a * b - b * b - b * b * b));
    const double z = std::max(vapour ? roots.largest : roots.smallest, b * (1.0 + 1e-12));
    const double logTerm = std::log((z + (1.0 + kSqrt2) * b) / (z + (1.0 - kSqrt2) * b));
    std::vector<double> lnPhi(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double share = pengrobinson::attractionShare(i, x.data(), pure_.data(), interaction_.data(), n);
      const double bRatio = pure_[i].b / mix.b;
      lnPhi[i] = bRatio * (z - 1.0) - std::log(z - b) - a / (2.0 * kSqrt2 * b) * (2.0 * share / mix.a - bRatio) * logTerm;
    }
    return lnPhi;
  }

 private:
  double temperature_;
  std::vector<double> feed_;
  std::vector<pengrobinson::Parameters> pure_;
  std::vector<double> interaction_;
};

// The dew condition at (T, p): ln sum(y_i / K_i) with the K-values of the
// incipient liquid in equilibrium with the feed as vapour; above 0 the feed
// condenses. `lnK` carries the K-values in (a start) and out. NaN when the
// iteration falls onto the trivial solution or does not settle.
double dewResidual(const PhaseModel& model, double pressure, std::vector<double>& lnK) {
  const std::vector<double>& y = model.feed();
  const std::size_t n = y.size();
  const std::vector<double> lnPhiV = model.lnFugacityCoefficients(y, pressure, true);
  std::vector<double> x(n);
  for (int pass = 0; pass < kMaxFugacityPasses; ++pass) {
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) sum += y[i] * std::exp(-lnK[i]);
    for (std::size_t i = 0; i < n; ++i) x[i] = y[i] * std::exp(-lnK[i]) / sum;
    const std::vector<double> lnPhiL = model.lnFugacityCoefficients(x, pressure, false);
    double change = 0.0;
    double largest = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      const double next = lnPhiL[i] - lnPhiV[i];
      change = std::max(change, std::fabs(next - lnK[i]));
      largest = std::max(largest, std::fabs(next));
      lnK[i] = next;
    }
    if (!std::isfinite(change) || largest < kTrivialLnK) return std::nan("");
    if (change < kFugacityTolerance) {
      double dew = 0.0;
      for (std::size_t i = 0; i < n; ++i) dew += y[i] * std::exp(-lnK[i]);
      return std::log(dew);
    }
  }
  return std::nan("");
}

// ln sum(y_i / K_i) by Wilson's K-values: falls as the temperature rises.
double wilsonResidual(const std::vector<MixtureComponent>& components, double temperature, double pressure) {
  double sum = 0.0;
  for (const MixtureComponent& c : components) sum += c.fraction * std::exp(-wilsonLnK(*c.material, temperature, pressure));
  return std::log(sum);
}

template <class Residual>
double bisect(Residual residual, double low, double high) {
  for (int pass = 0; pass < kMaxBisections && high - low > kDewTemperatureTolerance; ++pass) {
    const double middle = 0.5 * (low + high);
    (residual(middle) > 0.0 ? low : high) = middle;
  }
  return 0.5 * (low + high);
}

double wilsonDewTemperature(const std::vector<MixtureComponent>& components, double pressure) {
  return bisect([&](double t) { return wilsonResidual(components, t, pressure); }, kLowestDewTemperature,
                kHighestDewTemperature);
}

std::vector<double> wilsonStart(const std::vector<MixtureComponent>& components, double temperature, double pressure) {
  std::vector<double> lnK;
  for (const MixtureComponent& c : components) lnK.push_back(wilsonLnK(*c.material, temperature, pressure));
  return lnK;
}

// The Peng-Robinson dew residual at a temperature, from Wilson's K-values.
double prDewResidual(const std::vector<MixtureComponent>& components, double temperature, double pressure) {
  std::vector<double> lnK = wilsonStart(components, temperature, pressure);
  return dewResidual(PhaseModel(components, temperature), pressure, lnK);
}

template <class Value>
double massMean(const GasMixture& mixture, Value value) {
  double sum = 0.0;
  for (std::size_t i = 0; i < mixture.size(); ++i) sum += mixture.massFraction(i) * value(*mixture.component(i).material);
  return sum;
}

template <class Value>
double moleMean(const std::vector<MixtureComponent>& components, Value value) {
  double sum = 0.0;
  for (const MixtureComponent& c : components) sum += c.fraction * value(*c.material);
  return sum;
}

std::string componentText(int position, int number) {
  return "component " + std::to_string(position + 1) + " (material " + std::to_string(number) + ")";
}

}  // namespace

double interactionCoefficient(int numberA, int numberB) noexcept {
  const InteractionPair* pair = findPair(numberA, numberB);
  return pair != nullptr ? pair->k : 0.0;
}

const char* interactionSource(int numberA, int numberB) noexcept {
  const InteractionPair* pair = findPair(numberA, numberB);
  if (pair == nullptr) return "";
  return pair->source == kChemSep ? "ChemSep DECHEMA PR" : "thermopack PR Default";
}

GasMixture::GasMixture(const int* numbers, const double* fractions, int count, const char* tag) {
  if (count > 0 && (numbers == nullptr || fractions == nullptr)) {
    throw VORLERROR(VORL_E_MISSING_DATA, tag, "the composition's numbers or fractions are null");
  }
  if (count <= 0) throw VORLERROR(VORL_E_COMPOSITION_EMPTY, tag, "the composition has no component");
  double sum = 0.0;
  for (int i = 0; i < count; ++i) {
    const Material* material = findMaterial(numbers[i]);
    if (material == nullptr) {
      throw VORLERROR(VORL_E_COMPOSITION_UNKNOWN, tag, componentText(i, numbers[i]) + " is not in the property library");
    }
    if (!(fractions[i] >= 0.0) || !std::isfinite(fractions[i])) {
      throw VORLERROR(VORL_E_COMPOSITION_FRACTION, tag,
                      componentText(i, numbers[i]) + " (" + material->name + ") has mole fraction " +
                          numberText(fractions[i]) + ": a fraction is 0 or more");
    }
    for (int j = 0; j < i; ++j) {
      if (numbers[j] == numbers[i]) {
        throw VORLERROR(VORL_E_COMPOSITION_REPEATED, tag,
                        componentText(i, numbers[i]) + " (" + material->name + ") is also " +
                            componentText(j, numbers[j]));
      }
    }
    sum += fractions[i];
    if (fractions[i] > 0.0) components_.push_back({material, fractions[i]});
  }
  if (!(std::fabs(sum - 1.0) <= kCompositionSumTolerance)) {
    throw VORLERROR(VORL_E_COMPOSITION_SUM, tag,
                    "the mole fractions of the " + std::to_string(count) + " components sum to " + numberText(sum) +
                        ", not to 1 within 1e-6");
  }
  for (MixtureComponent& c : components_) c.fraction /= sum;
}

double GasMixture::molarMass() const noexcept {
  if (isPure()) return components_[0].material->molarMass;
  return moleMean(components_, [](const Material& m) { return m.molarMass; });
}

double GasMixture::massFraction(std::size_t index) const {
  const MixtureComponent& c = components_.at(index);
  return isPure() ? 1.0 : c.fraction * c.material->molarMass / molarMass();
}

double GasMixture::idealGasCp() const noexcept {
  return massMean(*this, [](const Material& m) { return m.idealGasCp; });
}

double GasMixture::heatCapacityRatio() const noexcept {
  if (isPure()) return components_[0].material->heatCapacityRatio;
  const double cp = idealGasCp();
  return cp / (cp - kUniversalGasConstant / molarMass());
}

double GasMixture::criticalTemperature() const noexcept {
  return moleMean(components_, [](const Material& m) { return m.criticalTemperature; });
}

double GasMixture::criticalPressure() const noexcept {
  return moleMean(components_, [](const Material& m) { return m.criticalPressure; });
}

double GasMixture::acentricFactor() const noexcept {
  return moleMean(components_, [](const Material& m) { return m.acentricFactor; });
}

double GasMixture::latentHeat() const noexcept {
  return massMean(*this, [](const Material& m) { return m.latentHeatAtBoiling; });
}

double GasMixture::liquidDensity() const noexcept {
  if (isPure()) return components_[0].material->liquidDensityAtBoiling;
  const double volume = massMean(*this, [](const Material& m) {
    return m.liquidDensityAtBoiling > 0.0 ? 1.0 / m.liquidDensityAtBoiling : 0.0;
  });
  return volume > 0.0 ? 1.0 / volume : 0.0;
}

double GasMixture::surfaceTension() const noexcept {
  return moleMean(components_, [](const Material& m) { return m.surfaceTensionAtBoiling; });
}

double GasMixture::normalBoilingPoint() const noexcept {
  return moleMean(components_, [](const Material& m) { return m.normalBoilingPoint; });
}

double GasMixture::triplePointTemperature() const noexcept {
  return moleMean(components_, [](const Material& m) { return m.triplePointTemperature; });
}

DewPoint GasMixture::dewTemperature(double pressure) const {
  if (isPure()) {
    const double t = saturationTemperature(*components_[0].material, pressure);
    return {t, t > 0.0 ? DewPointBasis::kPengRobinson : DewPointBasis::kNone};
  }
  if (!(pressure > 0.0) || !std::isfinite(pressure)) return {};
  const double estimate = wilsonDewTemperature(components_, pressure);
  // The fugacity residual's sign change, bracketed from Wilson's estimate.
  // A residual that fails (the trivial solution, where the incipient liquid
  // would be the vapour itself) counts as vapour.
  const auto residual = [&](double t) {
    const double r = prDewResidual(components_, t, pressure);
    return std::isnan(r) ? -1.0 : r;
  };
  constexpr double kBracketStep = 1.05;
  constexpr int kMaxBracketSteps = 60;
  double low = estimate, high = estimate;
  int steps = 0;
  if (residual(estimate) > 0.0) {
    do {
      low = high;
      high *= kBracketStep;
    } while (residual(high) > 0.0 && ++steps < kMaxBracketSteps);
  } else {
    do {
      high = low;
      low /= kBracketStep;
    } while (!(residual(low) > 0.0) && ++steps < kMaxBracketSteps);
  }
  if (!(residual(low) > 0.0) || residual(high) > 0.0) return {estimate, DewPointBasis::kWilsonEstimate};
  const double t = bisect(residual, low, high);
  return {t, DewPointBasis::kPengRobinson};
}

DewPoint GasMixture::dewPressure(double temperature) const {
  if (isPure()) {
    const double p = saturationPressure(*components_[0].material, temperature);
    return {p, p < kInfiniteThreshold ? DewPointBasis::kPengRobinson : DewPointBasis::kNone};
  }
  if (!(temperature > 0.0) || !std::isfinite(temperature)) return {0.0, DewPointBasis::kNone};
  // Successive substitution p <- p / sum(y/K): sum(y/K) grows in proportion
  // to the pressure while the liquid stays far from the vapour.
  double inverse = 0.0;
  for (const MixtureComponent& c : components_) inverse += c.fraction * std::exp(-wilsonLnK(*c.material, temperature, 1.0));
  double pressure = 1.0 / inverse;
  const PhaseModel model(components_, temperature);
  std::vector<double> lnK = wilsonStart(components_, temperature, pressure);
  constexpr int kMaxPasses = 200;
  constexpr double kPressureTolerance = 1e-10;
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    const double r = dewResidual(model, pressure, lnK);
    if (std::isnan(r)) return {kNoDewPressure, DewPointBasis::kNone};
    const double next = pressure * std::exp(-r);
    if (std::fabs(next - pressure) <= kPressureTolerance * pressure) return {next, DewPointBasis::kPengRobinson};
    pressure = next;
  }
  return {kNoDewPressure, DewPointBasis::kNone};
}

double GasMixture::property(int code, double x1, double x2) const {
  if (isPure()) return materialProperty(*components_[0].material, code, x1, x2);
  switch (code) {
    case kPropMolarMass: return molarMass();
    case kPropLnSaturationPressure: {
      const double p = dewPressure(x1).value;
      return p > 0.0 ? std::log(p) : -kInfinite;
    }
    case kPropSaturationTemperature: return dewTemperature(x2).value;
    case kPropIdealGasCp: return idealGasCp();
    case kPropHeatCapacityRatio: return heatCapacityRatio();
    case kPropLatentHeatAtBoiling: return latentHeat();
    case kPropLiquidDensityAtBoiling: return liquidDensity();
    case kPropSurfaceTensionAtBoiling: return surfaceTension();
    case kPropCriticalTemperature: return criticalTemperature();
    case kPropCriticalPressure: return criticalPressure();
    case kPropNormalBoilingPoint: return normalBoilingPoint();
    case kPropTriplePointTemperature: return triplePointTemperature();
    default: return 0.0;
  }
}

std::size_t namedGasCount() noexcept { return namedGases().size(); }

const NamedGas& namedGasAt(std::size_t index) { return namedGases().at(index); }

const NamedGas* findNamedGas(std::string_view text) noexcept {
  for (const NamedGas& gas : namedGases()) {
    if (namesOneOf(text, gas.name, gas.aliases)) return &gas;
  }
  return nullptr;
}

bool isNaturalGas(const std::vector<MixtureComponent>& components) noexcept {
  double methane = 0.0;
  for (const MixtureComponent& component : components) {
    if (component.material == nullptr || !(component.fraction >= 0.0)) return false;
    const int number = component.material->number;
    if (number == kNaturalGasComponents.front()) {
      methane += component.fraction;
    } else if (component.fraction > 0.0 && std::find(kNaturalGasComponents.begin(), kNaturalGasComponents.end(),
                                                     number) == kNaturalGasComponents.end()) {
      return false;
    }
  }
  return methane >= kNaturalGasLeastMethane;
}

}  // namespace vorl
