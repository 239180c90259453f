#pragma once

#include <vector>

#include "reference/gas_law.h"

namespace vorl::reference {

// Peng-Robinson gas at a fixed temperature:
//   p = R T n / (1 - b n) - aT n^2 / (1 + 2 b n - b^2 n^2),  n = rho / M (kmol/m3),
// with a = 0.45724 R^2 Tc^2 / pc, b = 0.07780 R Tc / pc and
// aT = a (1 + kappa (1 - sqrt(T / Tc)))^2, kappa = 0.37464 + 1.54226 w - 0.26992 w^2.
// Only the gas branch is meant: a density where dp/drho is not positive (the
// two-phase region below the critical temperature) is refused.
class PengRobinsonGas final : public GasLaw {
 public:
  // molarMass in kg/kmol, temperature in K.
  PengRobinsonGas(double molarMass, double temperature, const CriticalConstants& critical);

  double pressure(double density) const override { return molarPressure(density / molarMass_); }
  double soundSpeedSquared(double density) const override;
  double density(double pressure) const override;
  double isothermalPotential(double density) const override;
  double riemannIncrement(double from, double to) const override;
  double riemannInverse(double from, double increment) const override;
  double sonicThroatDensity(double head) const override;
  void pressureAndSoundSpeed(const double* density, double* pressure, double* soundSpeed,
                             std::size_t n) const override;

 private:
  double molarPressure(double n) const noexcept;
  double molarPressureSlope(double n) const noexcept;       // dp/dn
  double soundSpeed(double density) const;                   // throws on the two-phase region
  // Integral of c d(ln rho) over [y0, y1] by Gauss-Legendre panels.
  double integrateSoundSpeed(double y0, double y1) const;
  // The Riemann variable from the table by cubic Hermite interpolation, or
  // NaN outside it.
  double tabulatedRiemannVariable(double y) const noexcept;
  void tabulateRiemannVariable();

  double molarMass_;
  double rt_;  // R T, J/kmol
  double a_;   // aT, Pa m6/kmol2
  double b_;   // m3/kmol
  // The Riemann variable integral(c d ln rho) and its slope c at
  // ln(rho) = tableStart_ + k tableStep_: the boundaries ask for it many
  // times per step, and a table makes it as cheap as for the ideal gas.
  double tableStart_ = 0.0;
  double tableStep_ = 0.0;
  std::vector<double> tableVariable_, tableSlope_;
};

}  // namespace vorl::reference
