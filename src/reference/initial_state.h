#pragma once

#include <vector>

#include "reference/gas_law.h"
#include "reference/reference.h"

namespace vorl::reference {

// The state of the line on a grid: per cell the integrals of the density and
// of the mass flux (kg/m2, kg/(m s)), and the pressure at the downstream end.
struct LineState {
  std::vector<double> cellMass;
  std::vector<double> cellMomentum;
  double downstreamPressure = 0.0;  // Pa
};

// Steady flow of the mass flux massFlux (kg/(m2 s), >= 0) from the upstream
// end at upstreamPressure (Pa), integrated with the momentum equation in full,
//   d(G^2/rho + p)/dx = -2 f G^2 / (D rho),
// by the classical Runge-Kutta method, cell by cell over the faces given.
// Throws InvalidCase (kSteadyFlow) when the flow would choke within the line.
//
// For the ideal gas this integrates in closed form to
//   p^2 = p_up^2 - 2 beta x (a^2 G)^2 + 2 (a G)^2 ln(p / p_up),  beta = 2 f / (D a^2);
// the fast model's profile drops the last term (the momentum flux), which
// changes p^2 by the fraction 2 M^2 ln(p / p_up) of it, M the Mach number:
// in the default case (M about 0.006 at the supply) 3e-6 at the downstream
// end, a pressure difference of about 10 Pa in 67 bar.
LineState steadyFlow(const GasLaw& gas, double fanning, double bore, double upstreamPressure, double massFlux,
                     const std::vector<double>& faces);

// A given profile on a grid: the cell integrals of the density at the
// profile's pressure and of the mass flux, by four-point Gauss-Legendre
// quadrature per cell. Throws InvalidCase (kInitialProfile) where the profile's
// pressure is not positive or its velocity not finite.
LineState profileState(const GasLaw& gas, const InitialProfile& profile, const std::vector<double>& faces);

}  // namespace vorl::reference
