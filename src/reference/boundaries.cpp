#include "reference/boundaries.h"

#include <cmath>
#include <stdexcept>

#include "reference/root_finding.h"

namespace vorl::reference {
namespace {

// Tolerance of the end densities solved for, in ln(rho).
constexpr double kLogDensityTolerance = 1e-13;
// Below this k M^2 h the steady profile over the end cell is flat.
constexpr double kNegligibleFriction = 1e-12;
// Tolerance of the relative density rise across the end cell.
constexpr double kRelativeTolerance = 1e-14;
// The friction increment is settled to this fraction of the sound speed, in
// at most this many passes (a choked end needs one: its profile scales with
// the end density).
constexpr double kInvariantTolerance = 1e-10;
constexpr int kMaxFrictionPasses = 8;
// First step down in ln(rho) from rest in search of the sonic point.
constexpr double kSonicSearchStep = 2.0;

}  // namespace

EndConditions::EndConditions(const GasLaw& gas, double fanning, double bore, double aperture,
                             double ambientPressure, double supplyMassFlux, double sinkPressure)
    : gas_(gas),
      frictionPerLength_(2.0 * fanning / bore),
      aperture_(aperture),
      ambientPressure_(ambientPressure),
      ambientDensity_(gas.density(ambientPressure)),
      ambientPotential_(gas.isothermalPotential(ambientDensity_)),
      supplyMassFlux_(supplyMassFlux),
      sinkPressure_(sinkPressure),
      sinkDensity_(sinkPressure > 0.0 ? gas.density(sinkPressure) : 0.0) {}

// The steady flow with friction of the end state's mass flux G, followed
// from the end into the pipe across the cell with the sound speed of the end
// state: with rho / rhoE = 1 + e, M the end's Mach number and s the sign of
// G, the distance from the end is d where
//   g(e) = e (2 + e) / 2 - M^2 ln(1 + e) = s k M^2 d,   k = 2 f / D,
// and the mean density over the cell (e at d = its width) is rhoE R with
//   R = e ((e^2 + 3 e + 3) / 3 - M^2) / g(e),
// its mean velocity G / (rhoE R). The increment is the invariant of that mean
// state less the invariant at the end. The steady profile steepens without
// bound towards a sonic end; taken from the cell centre with the friction at
// the centre and at the end instead, a breach cell as long as the friction
// length D / (4 f) would deliver several per cent too little.
double EndConditions::steadyProfileIncrement(const EndCell& cell, const EndState& end) const {
  const double c = std::sqrt(gas_.soundSpeedSquared(end.density));
  const double mach = end.outwardVelocity / c;
  const double mach2 = mach * mach;
  const double target = frictionPerLength_ * cell.width * mach2 * (mach > 0.0 ? 1.0 : -1.0);
  if (std::fabs(target) < kNegligibleFriction) return 0.0;
  const auto g = [mach2](double e) { return 0.5 * e * (2.0 + e) - mach2 * std::log1p(e); };
  const auto excess = [&](double e) { return g(e) - target; };
  const auto slope = [mach2](double e) { return 1.0 + e - mach2 / (1.0 + e); };
  // g rises from its least value at e = |M| - 1 (where the flow would turn
  // sonic) through g(0) = 0: outflow (target > 0) lies above 0, inflow
  // below, and no supply here comes near the sonic bound, at which it is held.
  const double start = target / (1.0 - std::fmin(mach2, 0.5));
  double e;
  if (target > 0.0) {
    const auto [lo, hi] = bracketBeyond(excess, 0.0, std::sqrt(target) + target);
    e = safeguardedNewton(excess, slope, lo, hi, std::fmin(start, hi), kRelativeTolerance);
  } else {
    const double deepest = std::fabs(mach) - 1.0;
    e = excess(deepest) >= 0.0 ? deepest
                               : safeguardedNewton(excess, slope, deepest, 0.0, std::fmax(start, deepest),
                                                   kRelativeTolerance);
  }
  const double ratio = e * ((e * e + 3.0 * e + 3.0) / 3.0 - mach2) / g(e);
  return (end.outwardVelocity / ratio - end.outwardVelocity) + c * std::log(ratio);
}

// The end state depends on the friction increment, and the increment on the
// end state: a fixed point, found by the secant method from no friction.
template <class Solve>
EndState EndConditions::withFriction(const EndCell& cell, Solve&& solve) const {
  EndState end = solve(Characteristic{cell.density, cell.outwardVelocity});
  if (frictionPerLength_ == 0.0) return end;
  double shift = 0.0, mismatch = steadyProfileIncrement(cell, end);
  double previousShift = shift, previousMismatch = mismatch;
  shift = mismatch;
  for (int pass = 0; pass < kMaxFrictionPasses; ++pass) {
    end = solve(Characteristic{cell.density, cell.outwardVelocity - shift});
    mismatch = steadyProfileIncrement(cell, end) - shift;
    if (std::fabs(mismatch) <= kInvariantTolerance * std::sqrt(gas_.soundSpeedSquared(end.density))) break;
    const double secant = (mismatch - previousMismatch) / (shift - previousShift);
    previousShift = shift;
    previousMismatch = mismatch;
    shift -= secant != 0.0 && std::isfinite(secant) ? mismatch / secant : -mismatch;
  }
  return end;
}

EndState EndConditions::wall(const EndCell& cell) const {
  return withFriction(cell, [this](const Characteristic& ch) { return wallOn(ch); });
}
EndState EndConditions::breach(const EndCell& cell) const {
  return withFriction(cell, [this](const Characteristic& ch) { return breachOn(ch); });
}
EndState EndConditions::supply(const EndCell& cell) const {
  return withFriction(cell, [this](const Characteristic& ch) { return supplyOn(ch); });
}
EndState EndConditions::heldSupply(const EndCell& cell) const {
  return withFriction(cell, [this](const Characteristic& ch) { return heldSupplyOn(ch); });
}
void EndConditions::holdSupplyPressure(double pressure) {
  heldPressure_ = pressure;
  heldDensity_ = gas_.density(pressure);
}
EndState EndConditions::sink(const EndCell& cell) const {
  return withFriction(cell, [this](const Characteristic& ch) { return sinkOn(ch); });
}

EndState EndConditions::wallOn(const Characteristic& ch) const {
  const double density = gas_.riemannInverse(ch.density, ch.velocity);
  return EndState{density, 0.0, gas_.pressure(density)};
}

// Along the characteristic the outward velocity rises as the density falls,
// faster than the sound speed changes: one sonic point below the rest
// density, where w - c falls with slope about -c in ln(rho) (exactly for the
// ideal gas, whose sonic point lies at rest density / e).
double EndConditions::sonicDensityOn(const Characteristic& ch, double restDensity) const {
  const auto excess = [&](double y) {
    const double rho = std::exp(y);
    return ch.velocityAt(gas_, rho) - std::sqrt(gas_.soundSpeedSquared(rho));
  };
  const auto slope = [&](double y) { return -std::sqrt(gas_.soundSpeedSquared(std::exp(y))); };
  const double yRest = std::log(restDensity);
  const auto [lo, hi] = bracketBeyond(excess, yRest, -kSonicSearchStep);
  return std::exp(safeguardedNewton(excess, slope, lo, hi, yRest - 1.0, kLogDensityTolerance));
}

double EndConditions::orificeMassFlux(double density, double outwardVelocity) const {
  const double head = 0.5 * outwardVelocity * outwardVelocity + gas_.isothermalPotential(density);
  const double throat = gas_.sonicThroatDensity(head);
  if (gas_.pressure(throat) >= ambientPressure_)
    return aperture_ * throat * std::sqrt(gas_.soundSpeedSquared(throat));
  if (head <= ambientPotential_) return 0.0;
  return aperture_ * ambientDensity_ * std::sqrt(2.0 * (head - ambientPotential_));
}

// Between the sonic point (the pipe can deliver no more) and rest (it
// delivers nothing), the pipe's mass flux falls as the end density rises
// while the orifice's rises: one crossing.
EndState EndConditions::breachOn(const Characteristic& ch) const {
  const EndState rest = wallOn(ch);
  if (rest.pressure <= ambientPressure_) return rest;
  const double sonic = sonicDensityOn(ch, rest.density);
  const double sonicPressure = gas_.pressure(sonic);
  if (aperture_ >= 1.0) {
    if (sonicPressure >= ambientPressure_) return EndState{sonic, ch.velocityAt(gas_, sonic), sonicPressure};
    return EndState{ambientDensity_, ch.velocityAt(gas_, ambientDensity_), ambientPressure_};
  }
  const auto surplus = [&](double y) {
    const double rho = std::exp(y);
    const double w = ch.velocityAt(gas_, rho);
    return rho * w - orificeMassFlux(rho, w);
  };
  const double ySonic = std::log(sonic), yRest = std::log(rest.density);
  const double atSonic = surplus(ySonic);
  if (atSonic <= 0.0) return EndState{sonic, ch.velocityAt(gas_, sonic), sonicPressure};
  const double y = brentRoot(surplus, ySonic, yRest, atSonic, surplus(yRest), kLogDensityTolerance);
  const double rho = std::exp(y);
  return EndState{rho, ch.velocityAt(gas_, rho), gas_.pressure(rho)};
}

// Inflow (outward velocity negative) lies above the rest density, where the
// outward mass flux rho w falls steadily below zero with slope rho (w - c)
// in ln(rho).
EndState EndConditions::supplyOn(const Characteristic& ch) const { return inflowOn(ch, supplyMassFlux_); }

EndState EndConditions::inflowOn(const Characteristic& ch, double massFlux) const {
  const EndState rest = wallOn(ch);
  if (massFlux == 0.0) return rest;
  const auto surplus = [&](double y) {
    const double rho = std::exp(y);
    return rho * ch.velocityAt(gas_, rho) + massFlux;
  };
  const auto slope = [&](double y) {
    const double rho = std::exp(y);
    return rho * (ch.velocityAt(gas_, rho) - std::sqrt(gas_.soundSpeedSquared(rho)));
  };
  const double yRest = std::log(rest.density);
  // A flux within rounding of none (a valve's near rest) is none.
  if (!(surplus(yRest) > 0.0)) return rest;
  const double firstStep = massFlux / (rest.density * std::sqrt(gas_.soundSpeedSquared(rest.density)));
  const auto [lo, hi] = bracketBeyond(surplus, yRest, 2.0 * firstStep + kLogDensityTolerance);
  const double rho = std::exp(safeguardedNewton(surplus, slope, lo, hi, yRest + firstStep, kLogDensityTolerance));
  return EndState{rho, -massFlux / rho, gas_.pressure(rho)};
}

// The mirror of the sink: at the held pressure the characteristic gives the
// inflow; one faster than sound is held at the sound speed (the supply cannot
// push more through the end than a sonic inflow).
EndState EndConditions::heldSupplyOn(const Characteristic& ch) const {
  const EndState rest = wallOn(ch);
  if (rest.pressure >= heldPressure_) return rest;
  const double w = ch.velocityAt(gas_, heldDensity_);
  const double c2 = gas_.soundSpeedSquared(heldDensity_);
  if (w * w <= c2) return EndState{heldDensity_, w, heldPressure_};
  return EndState{heldDensity_, -std::sqrt(c2), heldPressure_};
}

EndState EndConditions::sinkOn(const Characteristic& ch) const {
  const EndState rest = wallOn(ch);
  if (rest.pressure <= sinkPressure_) return rest;
  const double w = ch.velocityAt(gas_, sinkDensity_);
  if (w * w <= gas_.soundSpeedSquared(sinkDensity_)) return EndState{sinkDensity_, w, sinkPressure_};
  const double sonic = sonicDensityOn(ch, rest.density);
  return EndState{sonic, ch.velocityAt(gas_, sonic), gas_.pressure(sonic)};
}

// The valve's end states with each side's friction increment, found by
// fixed-point passes from none: the valve's two sides are coupled, and the
// increments are a small correction to each side's characteristic.
ValveEnds EndConditions::valve(const EndCell& left, const EndCell& right, double openFraction) const {
  double leftShift = 0.0, rightShift = 0.0;
  const auto solve = [&] {
    return valveBetween(Characteristic{left.density, left.outwardVelocity - leftShift},
                        Characteristic{right.density, right.outwardVelocity - rightShift}, openFraction);
  };
  ValveEnds ends = solve();
  if (frictionPerLength_ == 0.0) return ends;
  for (int pass = 0; pass < kMaxFrictionPasses; ++pass) {
    const double leftMismatch = steadyProfileIncrement(left, ends.left) - leftShift;
    const double rightMismatch = steadyProfileIncrement(right, ends.right) - rightShift;
    const double tolerance = kInvariantTolerance * std::sqrt(gas_.soundSpeedSquared(ends.left.density));
    if (std::fabs(leftMismatch) <= tolerance && std::fabs(rightMismatch) <= tolerance) break;
    leftShift += leftMismatch;
    rightShift += rightMismatch;
    ends = solve();
  }
  return ends;
}

// The gas flows from the side at the higher rest pressure; a shut valve, or
// one with the same pressure at rest on both sides, passes nothing.
ValveEnds EndConditions::valveBetween(const Characteristic& left, const Characteristic& right,
                                      double openFraction) const {
  const EndState leftRest = wallOn(left), rightRest = wallOn(right);
  if (!(openFraction > 0.0) || leftRest.pressure == rightRest.pressure) return {leftRest, rightRest};
  if (leftRest.pressure > rightRest.pressure) return valveFrom(left, right, openFraction);
  const ValveEnds reversed = valveFrom(right, left, openFraction);
  return {reversed.right, reversed.left};
}

// Flow from the side `from` (its end state in .left) to the side `to` (in
// .right) through the open fraction a of the bore. Along the upstream
// characteristic, as its end density falls from rest, the mass flux G rises
// and the head u^2/2 + P(rho) falls, and with it what the opening can pass
// (a rho* c*, its sonic throat's): the two meet at the choke point. Above it
// the throat is subsonic, reached by the loss-free acceleration with
// rho_t u_t = G / a; the jet's widening gives the pressure behind the valve
// p_t + G (u_t - u2), and the downstream side, taking in G, the pressure it
// needs there; their difference falls from the rest pressures' difference at
// G = 0 as G rises: one crossing, or none above the choke point, which then
// sets G (the downstream side takes what the throat passes).
ValveEnds EndConditions::valveFrom(const Characteristic& from, const Characteristic& to, double a) const {
  const EndState fromRest = wallOn(from);
  const double open = std::fmin(a, 1.0);
  const auto endAt = [&](double y) {
    const double rho = std::exp(y);
    return EndState{rho, from.velocityAt(gas_, rho), gas_.pressure(rho)};
  };
  const auto headOf = [&](const EndState& end) {
    return 0.5 * end.outwardVelocity * end.outwardVelocity + gas_.isothermalPotential(end.density);
  };
  // The throat's capacity less the flux the pipe end delivers.
  const auto chokeExcess = [&](double y) {
    const EndState end = endAt(y);
    const double throat = gas_.sonicThroatDensity(headOf(end));
    return open * throat * std::sqrt(gas_.soundSpeedSquared(throat)) - end.outwardMassFlux();
  };
  const double yRest = std::log(fromRest.density);
  const double ySonic = std::log(sonicDensityOn(from, fromRest.density));
  const double yChoke = open >= 1.0 ? ySonic
                                    : brentRoot(chokeExcess, ySonic, yRest, chokeExcess(ySonic), chokeExcess(yRest),
                                                kLogDensityTolerance);
  // The throat density of the subsonic opening passing G from the end state:
  // rho_t sqrt(2 (head - P(rho_t))) = G / a between the sonic throat and the
  // end's own density.
  const auto throatOf = [&](const EndState& end, double flux) {
    if (open >= 1.0 || !(flux > 0.0)) return end.density;
    const double head = headOf(end);
    const auto excess = [&](double y) {
      const double rho = std::exp(y);
      return rho * std::sqrt(2.0 * std::fmax(0.0, head - gas_.isothermalPotential(rho))) - flux / open;
    };
    const double ySonicThroat = std::log(gas_.sonicThroatDensity(head));
    const double yEnd = std::log(end.density);
    const double atSonic = excess(ySonicThroat), atEnd = excess(yEnd);
    if (!(atSonic > 0.0)) return std::exp(ySonicThroat);
    if (!(atEnd < 0.0)) return end.density;
    return std::exp(brentRoot(excess, ySonicThroat, yEnd, atSonic, atEnd, kLogDensityTolerance));
  };
  struct Crossing {
    ValveEnds ends;
    double pressureExcess;  // behind the valve, over what the downstream side needs
  };
  const auto crossingAt = [&](double y) {
    const EndState end = endAt(y);
    const double flux = std::fmax(0.0, end.outwardMassFlux());
    const double throat = throatOf(end, flux);
    const double throatVelocity = throat == end.density ? end.outwardVelocity : flux / (open * throat);
    const EndState behind = inflowOn(to, flux);
    const double behindValve = gas_.pressure(throat) + flux * (throatVelocity + behind.outwardVelocity);
    return Crossing{{end, behind}, behindValve - behind.pressure};
  };
  const Crossing choked = crossingAt(yChoke);
  if (!(choked.pressureExcess < 0.0)) return choked.ends;
  const auto excess = [&](double y) { return crossingAt(y).pressureExcess; };
  const double y = brentRoot(excess, yChoke, yRest, choked.pressureExcess, excess(yRest), kLogDensityTolerance);
  return crossingAt(y).ends;
}

}  // namespace vorl::reference
