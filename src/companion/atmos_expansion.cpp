#include "companion/atmos_expansion.h"

#include <cmath>
#include <limits>
#include <string>

#include "companion/property_library.h"
#include "core/constants.h"
#include "core/vorl_error.h"

namespace vorl {
namespace {

// A gas without material data is a generic ideal gas: cp/cv 1.3 lies between
// the values of methane (1.30) and of the heavier hydrocarbons and CO2.
constexpr double kSimpleGasHeatCapacityRatio = 1.3;

// The ideal-gas energy balance reaches 0 K exactly at the expansion-to-vacuum
// velocity. A single-phase jet is kept at or above this fraction of its exit
// temperature, its velocity lowered to match: the model has no meaning that
// close to absolute zero, and the temperature must stay positive.
constexpr double kFinalTemperatureFloor = 0.01;

constexpr double kWaterMolarMass = 18.01528;  // kg/kmol
constexpr double kCelsiusZero = 273.15;       // K

// Saturation pressure of water over liquid water (Pa): Buck (1981), in the
// coefficients of his 1996 revision; t in degrees Celsius. Relative humidity
// is quoted over water also below 0 C, so the liquid branch serves throughout.
double waterSaturationPressure(double temperature) noexcept {
  const double t = temperature - kCelsiusZero;
  return 611.21 * std::exp((18.678 - t / 234.5) * (t / (257.14 + t)));
}

// Density of the ambient air (kg/m3), an ideal-gas mixture of dry air and the
// water vapour of its humidity: vapour mole fraction = relative humidity times
// water's saturation pressure over the ambient pressure.
double humidAirDensity(const AMBIENT& air) noexcept {
  double vapour = air.relativeHumidity * waterSaturationPressure(air.temperature) / air.pressure;
  if (!(vapour > 0.0)) vapour = 0.0;
  if (vapour > 1.0) vapour = 1.0;
  const double molarMass = vapour * kWaterMolarMass + (1.0 - vapour) * air.molecularWeight;
  return air.pressure * molarMass / (kUniversalGasConstant * air.temperature);
}

// What the expansion needs to know of the released gas.
struct JetGas {
  double molarMass = 0.0;     // kg/kmol
  double gasConstant = 0.0;   // J/(kg K)
  double cp = 0.0;            // J/(kg K), ideal gas
  double gamma = 0.0;         // cp/cv
  bool condensable = false;
  // Of a condensable gas, at ambient pressure:
  double saturationTemperature = 0.0;  // K
  // Latent heat and surface tension are the library's values at the normal
  // boiling point, used at the saturation temperature of the ambient
  // pressure: exact at 1 atm, a fair approximation over the 0.5 to 1.2 bar of
  // possible ambient pressures.
  double latentHeat = 0.0;      // J/kg
  double liquidDensity = 0.0;   // kg/m3
  double surfaceTension = 0.0;  // N/m
};

// A mixture's jet: its ideal-gas cp and cp/cv, its dew point at ambient
// pressure, and the liquid of its components mixed by mass.
JetGas jetGasOfMixture(const GasMixture& mixture, double dewTemperature) {
  JetGas gas;
  gas.molarMass = mixture.molarMass();
  gas.gasConstant = kUniversalGasConstant / gas.molarMass;
  gas.cp = mixture.idealGasCp();
  gas.gamma = mixture.heatCapacityRatio();
  gas.saturationTemperature = dewTemperature;
  gas.latentHeat = mixture.latentHeat();
  gas.liquidDensity = mixture.liquidDensity();
  gas.surfaceTension = mixture.surfaceTension();
  gas.condensable = gas.saturationTemperature > 0.0 && gas.latentHeat > 0.0;
  return gas;
}

JetGas jetGasOf(const KIV* properties, int material, double molarMassSet, double saturationTemperature) {
  const auto property = [&](int code, double x1, double x2) {
    return properties->kivMusPrp(material, code, x1, x2, kPureComposition, 0);
  };
  JetGas gas;
  const double libraryMolarMass = properties != nullptr ? property(kPropMolarMass, 0.0, 0.0) : 0.0;
  if (libraryMolarMass > 0.0) {
    gas.molarMass = libraryMolarMass;
    gas.gasConstant = kUniversalGasConstant / gas.molarMass;
    gas.cp = property(kPropIdealGasCp, 0.0, 0.0);
    gas.gamma = property(kPropHeatCapacityRatio, 0.0, 0.0);
    gas.saturationTemperature = saturationTemperature;
    gas.latentHeat = property(kPropLatentHeatAtBoiling, 0.0, 0.0);
    gas.liquidDensity = property(kPropLiquidDensityAtBoiling, 0.0, 0.0);
    gas.surfaceTension = property(kPropSurfaceTensionAtBoiling, 0.0, 0.0);
    // No saturation temperature: the ambient pressure is above the critical
    // pressure, and nothing can condense.
    gas.condensable = gas.saturationTemperature > 0.0 && gas.latentHeat > 0.0;
    return gas;
  }
  if (!(molarMassSet > 0.0)) {
    throw VORLERROR(VORL_E_MISSING_DATA, "atmexCalc",
                    "the expansion has no molar mass for material " + std::to_string(material));
  }
  gas.molarMass = molarMassSet;
  gas.gasConstant = kUniversalGasConstant / gas.molarMass;
  gas.gamma = kSimpleGasHeatCapacityRatio;
  gas.cp = gas.gamma / (gas.gamma - 1.0) * gas.gasConstant;
  return gas;
}

double square(double x) noexcept { return x * x; }

// Refuses what no expansion takes: a method the model does not know, an exit
// temperature not above 0.
void checkExpansion(int method, double temperature) {
  if (method != ATMOSEXPANSION::kConservation && method != ATMOSEXPANSION::kIsentropic &&
      method != ATMOSEXPANSION::kMomentumIsothermal) {
    throw VORLERROR(VORL_E_INVALID_EXPANSION_METHOD, "atmexCalc",
                    "expansion method " + std::to_string(method) + " is not 0, 1 or 2");
  }
  if (!(temperature > 0.0) || !std::isfinite(temperature)) {
    throw VORLERROR(VORL_E_NOT_POSITIVE, "atmexCalc",
                    "exit temperature " + numberText(temperature) + " K is not above 0");
  }
}

// The jet at the exit and the air it expands into.
struct JetExit {
  double pa;       // Pa, ambient
  double pe;       // Pa: a jet that leaves at or below ambient pressure has no pressure to shed
  double te;       // K
  double ue;       // m/s
  double rhoE;     // kg/m3
  double ceiling;  // m/s: all of the exit enthalpy turned into motion (expansion to vacuum) bounds every expansion
};

JetExit jetExitOf(const AMBIENT& ambient, const JetGas& gas, double pressure, double temperature, double velocity) {
  JetExit e{};
  e.pa = ambient.pressure;
  e.pe = pressure > e.pa ? pressure : e.pa;
  e.te = temperature;
  e.ue = velocity;
  e.rhoE = e.pe * gas.molarMass / (kUniversalGasConstant * e.te);
  e.ceiling = std::sqrt(square(e.ue) + 2.0 * gas.cp * e.te);
  return e;
}

struct JetEnd {
  double velocity;     // m/s
  double temperature;  // K
};

// The path of the jet as an ideal vapour.
JetEnd vapourEnd(int method, const JetGas& gas, const JetExit& e) {
  if (method == ATMOSEXPANSION::kIsentropic) {
    const double tf = e.te * std::pow(e.pa / e.pe, (gas.gamma - 1.0) / gas.gamma);
    return {std::sqrt(square(e.ue) + 2.0 * gas.cp * (e.te - tf)), tf};
  }
  // Momentum across the expansion zone: the pressure excess at the exit
  // accelerates the jet (Yuceil & Otugen 2002; Birch et al. 1987).
  const double uf = std::fmin(e.ue + (e.pe - e.pa) / (e.rhoE * e.ue), e.ceiling);
  // Energy: h + u^2/2 kept, or the temperature held (method 2).
  const double tf =
      method == ATMOSEXPANSION::kConservation ? e.te + (square(e.ue) - square(uf)) / (2.0 * gas.cp) : e.te;
  return {uf, tf};
}

// A single-phase jet is kept at or above a fraction of its exit temperature,
// its velocity lowered to match.
JetEnd flooredVapourEnd(const JetGas& gas, const JetExit& e, const JetEnd& vapour) {
  const double temperatureFloor = kFinalTemperatureFloor * e.te;
  if (!(vapour.temperature < temperatureFloor)) return vapour;
  return {std::sqrt(square(e.ue) + 2.0 * gas.cp * (e.te - temperatureFloor)), temperatureFloor};
}

struct TwoPhaseEnd {
  double velocity;  // m/s
  double liquid;    // liquid mass fraction
};

// Homogeneous equilibrium: the jet ends as vapour and liquid at the
// saturation temperature ts of the ambient pressure. Enthalpies are counted
// from the saturated vapour at ts: the exit vapour holds cp (te - ts), and
// every kilogram of liquid formed gives up the latent heat. uf: the vapour
// path's velocity.
TwoPhaseEnd twoPhaseEnd(int method, const JetGas& gas, const JetExit& e, double uf) {
  const double ts = gas.saturationTemperature;
  const double latent = gas.latentHeat;
  const double exitEnthalpy = gas.cp * (e.te - ts);
  double liquid = 0.0;
  if (method == ATMOSEXPANSION::kIsentropic) {
    // Entropy of the exit vapour relative to saturated vapour at (ts, pa),
    // cp ln(te/ts) - R ln(pe/pa), is taken up by condensing x L / ts.
    liquid = ts * (gas.cp * std::log(ts / e.te) - gas.gasConstant * std::log(e.pa / e.pe)) / latent;
    uf = std::sqrt(std::fmax(0.0, square(e.ue) + 2.0 * (exitEnthalpy + liquid * latent)));
    if (uf > e.ceiling) {
      uf = e.ceiling;
      liquid = -(exitEnthalpy + (square(e.ue) - square(uf)) / 2.0) / latent;
    }
  } else {
    // Energy: h_f = h_e + (ue^2 - uf^2) / 2 = -x L at the momentum velocity.
    liquid = -(exitEnthalpy + (square(e.ue) - square(uf)) / 2.0) / latent;
  }
  if (liquid > 1.0) {
    // All liquid: the energy left over would subcool the liquid, which this
    // model does not follow; the velocity takes what the energy balance gives.
    liquid = 1.0;
    uf = std::sqrt(std::fmax(0.0, square(e.ue) + 2.0 * (exitEnthalpy + latent)));
  }
  return {uf, liquid};
}

// The break-up of the drops: the critical Weber number, the set sizes and the hole.
struct DropLimits {
  double weberNumber;
  double smallest;  // m
  double largest;   // m
  double hole;      // m, 0: none
};

// Drops break up until the air's dynamic pressure on them balances their
// surface tension at the critical Weber number (Hinze 1955; Pilch & Erdman
// 1987): d = We sigma / (rho_air u^2). Clamped to the set sizes (the largest
// wins should they cross), and no drop is wider than the hole.
double dropSizeOf(const AMBIENT& ambient, double surfaceTension, double velocity, const DropLimits& limits) {
  const double inertia = humidAirDensity(ambient) * square(velocity);
  double drop = inertia > 0.0 ? limits.weberNumber * surfaceTension / inertia
                              : std::numeric_limits<double>::infinity();
  if (!(drop >= limits.smallest)) drop = limits.smallest;
  if (drop > limits.largest) drop = limits.largest;
  if (limits.hole > 0.0 && drop > limits.hole) drop = limits.hole;
  return drop;
}

}  // namespace

double ATMOSEXPANSION::orificeDiameter() const noexcept { return pipeDiameter_ * std::sqrt(aperture_); }

void ATMOSEXPANSION::atmexCalc(const AMBIENT& ambient, const KIV* properties, double pressure,
                               double temperature, double velocity, int material,
                               ATMOSEXPDATA& result) const {
  result = ATMOSEXPDATA{};
  result.temperature = temperature;
  result.vapourTemperature = temperature;
  // No flow expands nothing.
  if (!(velocity > 0.0)) return;
  // An undefined velocity stays undefined.
  if (isInfinite(velocity)) {
    result.velocity = kInfinite;
    return;
  }
  checkExpansion(method_, temperature);
  const double saturation =
      properties != nullptr || mixture_ ? saturationTemperatureAt(properties, material, ambient.pressure) : 0.0;
  const JetGas gas = mixture_ ? jetGasOfMixture(*mixture_, saturation)
                              : jetGasOf(properties, material, molarMass_, saturation);
  const JetExit exit = jetExitOf(ambient, gas, pressure, temperature, velocity);

  const JetEnd vapour = vapourEnd(method_, gas, exit);
  const JetEnd floored = flooredVapourEnd(gas, exit, vapour);
  result.vapourTemperature = floored.temperature;

  const bool twoPhase =
      gas.condensable && method_ != kMomentumIsothermal && vapour.temperature < gas.saturationTemperature;
  if (!twoPhase) {
    result.velocity = floored.velocity;
    result.temperature = floored.temperature;
    result.density = exit.pa * gas.molarMass / (kUniversalGasConstant * floored.temperature);
    result.areaRatio = exit.rhoE * exit.ue / (result.density * floored.velocity);
    return;
  }
  const TwoPhaseEnd end = twoPhaseEnd(method_, gas, exit, vapour.velocity);
  const double ts = gas.saturationTemperature;
  const double vapourDensity = exit.pa * gas.molarMass / (kUniversalGasConstant * ts);
  const double specificVolume =
      (1.0 - end.liquid) / vapourDensity + (gas.liquidDensity > 0.0 ? end.liquid / gas.liquidDensity : 0.0);

  result.velocity = end.velocity;
  result.temperature = ts;
  result.twoPhase = true;
  // An entropy balance of data whose cp, cp/cv and gas constant disagree a
  // little can give a fraction a hair below 0 just under saturation: no
  // liquid forms.
  result.liquidFraction = end.liquid > 0.0 ? end.liquid : 0.0;
  const DropLimits limits{weberNumber_, minDropSize_, maxDropSize_, orificeDiameter()};
  result.dropSize = dropSizeOf(ambient, gas.surfaceTension, end.velocity, limits);
  result.density = 1.0 / specificVolume;
  result.areaRatio = end.velocity > 0.0 ? exit.rhoE * exit.ue / (result.density * end.velocity) : kInfinite;
}

double ATMOSEXPANSION::saturationTemperatureAt(const KIV* properties, int material, double pressure) const {
  SaturationCache& cache = saturationCache_;
  if (!(cache.valid && cache.properties == properties && cache.material == material && cache.pressure == pressure)) {
    cache.temperature = mixture_ ? mixture_->dewTemperature(pressure).value
                                 : properties->kivMusPrp(material, kPropSaturationTemperature, 0.0, pressure,
                                                         kPureComposition, 0);
    cache = SaturationCache{true, properties, material, pressure, cache.temperature};
  }
  return cache.temperature;
}

}  // namespace vorl
