#pragma once

#include "branch/gas_state.h"

namespace vorl {

// Relations of isothermal, friction-dominated pipe flow shared by the branch
// constructors and the phases of the release.

// Scaled flux sqrt(b1 b2) a2 G of a record; with (beta, L) it is the q of a
// branch, q^2 having the dimension of a pressure squared. Raises 14 "GFq"
// when b1 b2 is negative or not a number.
double GFq(const GS& record, double b1, double b2);

// Steady friction law: p(x)^2 = p(0)^2 - 2 beta x (a2 G)^2, written with q and
// s = x / L as sqrt(p^2 - 2 q^2 s). Raises 205 "GBpu" when the friction loss
// exceeds the available pressure.
double GBpu(double p, double q, double s);

// Velocity of the record's flow through an opening of aperture ar (fraction
// of the bore): G v / ar; 1e128 when G is undefined, 0 when ar is 0.
double orificeVelocity(const GS& record, double ar) noexcept;
// Flux density through the opening, G / ar; 0 when ar is 0.
double orificeFluxDensity(const GS& record, double ar) noexcept;
// Orifice velocity over the isothermal sound speed; 1e128 when G is undefined.
double orificeMachNumber(const GS& record, double ar) noexcept;
// The orifice flow is choked when its Mach number exceeds 1 (exactly 1 is not).
bool isChoked(const GS& record, double ar) noexcept;

}  // namespace vorl
