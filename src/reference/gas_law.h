#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace vorl::reference {

// Universal gas constant, J/(kmol K).
constexpr double kGasConstant = 8314.34;

// One component of a real-gas mixture: its mole fraction and constants.
struct RealGasComponent {
  double moleFraction = 0.0;
  double temperature = 0.0;  // critical, K
  double pressure = 0.0;     // critical, Pa
  double acentricFactor = 0.0;
};

// Critical constants of a material for the Peng-Robinson equation of state.
// A mixture also lists its components and their binary interaction
// coefficients k_ij (row-major, one row per component, symmetric): the gas
// then takes the one-fluid (van der Waals) mixing rules over them, and the
// three constants above are the mixture's pseudo-critical ones (mole-fraction
// means), which only describe it.
struct CriticalConstants {
  double temperature = 0.0;  // K
  double pressure = 0.0;     // Pa
  double acentricFactor = 0.0;
  std::vector<RealGasComponent> components = {};
  std::vector<double> interaction = {};
};

// The gas of an isothermal line: every property is a function of density
// alone at the fixed gas temperature. The flux, wave-speed and boundary code
// sees only this interface, so the ideal and the real gas share all of it.
class GasLaw {
 public:
  virtual ~GasLaw() = default;

  // Pressure (Pa) at a density (kg/m3).
  virtual double pressure(double density) const = 0;
  // Isothermal sound speed squared dp/drho at the gas temperature (m2/s2).
  virtual double soundSpeedSquared(double density) const = 0;
  // Density (kg/m3) at a pressure (Pa) on the gas branch; throws InvalidCase
  // (kGasPhase) where the gas branch does not reach that pressure.
  virtual double density(double pressure) const = 0;
  // Integral of dp/rho from a fixed reference to the density (J/kg): the
  // isothermal counterpart of the enthalpy, which a loss-free acceleration
  // trades against kinetic energy.
  virtual double isothermalPotential(double density) const = 0;
  // Integral of c/rho drho from one density to another (m/s): the change of
  // the acoustic part of the Riemann invariants u +- integral(c/rho drho).
  virtual double riemannIncrement(double from, double to) const = 0;
  // The density reached from `from` by the Riemann increment `increment`.
  virtual double riemannInverse(double from, double increment) const = 0;
  // Density of the sonic throat (flow speed equal to the sound speed) reached
  // by a loss-free isothermal acceleration of total head `head`
  // (u^2/2 + isothermalPotential, J/kg).
  virtual double sonicThroatDensity(double head) const = 0;
  // Pressure and sound speed of n densities at once: one call per sweep over
  // the grid instead of one per face. A sound speed that does not exist (the
  // two-phase region of a real gas) comes out as NaN.
  virtual void pressureAndSoundSpeed(const double* density, double* pressure, double* soundSpeed,
                                     std::size_t n) const = 0;

  // R T / M (m2/s2): the sound speed squared of the ideal gas.
  double idealSoundSpeedSquared() const noexcept { return idealSoundSpeedSquared_; }
  // Compressibility factor p M / (rho R T).
  double compressibility(double density) const { return pressure(density) / (density * idealSoundSpeedSquared_); }

 protected:
  explicit GasLaw(double idealSoundSpeedSquared) noexcept : idealSoundSpeedSquared_(idealSoundSpeedSquared) {}

 private:
  double idealSoundSpeedSquared_;
};

// Ideal gas (real == nullopt) or Peng-Robinson gas of the molar mass (kg/kmol)
// at the temperature (K).
std::unique_ptr<GasLaw> makeGasLaw(double molarMass, double temperature,
                                   const std::optional<CriticalConstants>& real);

}  // namespace vorl::reference
