#pragma once

#include "model/branch_state.h"
#include "model/gas_state.h"

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

// Pressure at fraction s of the way from a to b when the square of the
// pressure is linear along the way (the steady friction law).
double interpolateInPSquared(double a, double b, double s) noexcept;
// The plain linear form (b - a) s + a.
double interpolateLinear(double a, double b, double s) noexcept;

// Increment of the breach flux over the inflow flux G when the flux rises
// linearly across the disturbed length lam from G at the front (pressure P
// ahead of it) to the breach (pressure pe): G (sqrt(D) - 3) / 2 with
// D = 6 (P^2 - pe^2) / ((G a2)^2 beta lam) - 3. Raises 13 "bfdG" unless G > 0
// and (G a2)^2 beta lam > 0, and 201 "bfdG" unless D >= 0.
double bfdG(double G, double P, double pe, double lam, double beta, double a2);

// Breach flux with no inflow: sqrt(1.5 (P^2 - pe^2) / (beta lam)) / a2.
// Raises 13 "bfGe5" when beta lam is 0 or not a number, 14 "bfGe5" when the
// radicand is negative or not a number.
double bfGe5(double P, double pe, double lam, double beta, double a2);

// q = sqrt(beta L) a2 G of a branch's far-end record; raises 14 "GFq".
double branchQ(const GB& branch);

// Pressure of a branch's steady flow at distance x from its far end (GBpu).
double steadyPressureAt(const GB& branch, double x);

// Flux density leaving a branch through the breach when the flux rises
// linearly from G at the front (pressure P ahead of it) over the disturbed
// length lam to the breach at pressure pe: G + bfdG when G > 0, else bfGe5.
double breachFlux(const GB& branch, double G, double P, double pe, double lam);
double breachFluxWithoutInflow(const GB& branch, double P, double pe, double lam);

// The closed-end blow-down of a friction-dominated isothermal pipe of length
// L: its far-end pressure falls from p0 to p1, the exit at pe, in
// t = s (acosh(p0/pe) - acosh(p1/pe)) with the time scale
// s = sqrt(8/27) sqrt(beta L) L (s), so s^2 = (8/27) beta L^3. Phase three
// takes it in this form; the analytic comparison keeps its own published
// arithmetic, L sqrt(8 beta L / 27), on the same two numbers.
constexpr double kClosedBlowDownNumerator = 8.0;
constexpr double kClosedBlowDownDenominator = 27.0;
double closedBlowDownTimeScale(double beta, double length) noexcept;
// acosh in the logarithmic form of the closed form, ln(z + sqrt(z^2 - 1)).
double acoshByLog(double z) noexcept;

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
