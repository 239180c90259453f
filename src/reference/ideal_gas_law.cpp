#include "reference/ideal_gas_law.h"

#include <cmath>
#include <stdexcept>

namespace vorl::reference {

IdealGasLaw::IdealGasLaw(double molarMass, double temperature)
    : GasLaw(kGasConstant * temperature / molarMass),
      a2_(kGasConstant * temperature / molarMass),
      a_(std::sqrt(kGasConstant * temperature / molarMass)) {
  if (!(molarMass > 0.0) || !(temperature > 0.0))
    throw std::invalid_argument("the gas needs a positive molar mass and temperature");
}

// a^2 ln(rho): the integral of dp/rho = a^2 drho/rho.
double IdealGasLaw::isothermalPotential(double density) const { return a2_ * std::log(density); }

double IdealGasLaw::riemannIncrement(double from, double to) const { return a_ * std::log(to / from); }

double IdealGasLaw::riemannInverse(double from, double increment) const {
  return from * std::exp(increment / a_);
}

// At the sonic throat u = a, so a^2/2 + a^2 ln(rho*) = head.
double IdealGasLaw::sonicThroatDensity(double head) const { return std::exp(head / a2_ - 0.5); }

void IdealGasLaw::pressureAndSoundSpeed(const double* density, double* pressure, double* soundSpeed,
                                        std::size_t n) const {
  for (std::size_t i = 0; i < n; ++i) {
    pressure[i] = a2_ * density[i];
    soundSpeed[i] = a_;
  }
}

}  // namespace vorl::reference
