#pragma once

#include "reference/gas_law.h"

namespace vorl::reference {

// Ideal gas at a fixed temperature: p = a^2 rho with a^2 = R T / M, so every
// relation of the interface has a closed form.
class IdealGasLaw final : public GasLaw {
 public:
  // molarMass in kg/kmol, temperature in K.
  IdealGasLaw(double molarMass, double temperature);

  double pressure(double density) const override { return a2_ * density; }
  double soundSpeedSquared(double) const override { return a2_; }
  double density(double pressure) const override { return pressure / a2_; }
  double isothermalPotential(double density) const override;
  double riemannIncrement(double from, double to) const override;
  double riemannInverse(double from, double increment) const override;
  double sonicThroatDensity(double head) const override;
  void pressureAndSoundSpeed(const double* density, double* pressure, double* soundSpeed,
                             std::size_t n) const override;

 private:
  double a2_;
  double a_;
};

}  // namespace vorl::reference
