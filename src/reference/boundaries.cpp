#include "reference/boundaries.h"

#include <cmath>
#include <stdexcept>

#include "reference/root_finding.h"

namespace vorl::reference {
namespace {

// Tolerance of the end densities solved for, in ln(rho).
constexpr double kLogDensityTolerance = 1e-13;
// The characteristic speed w + c taken no lower than this fraction of c in
// the friction increment: an end is never reached by an inflow faster than
// sound here, and this keeps the travel time finite if one were.
constexpr double kSlowestCharacteristic = 0.1;

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

double EndConditions::frictionIncrement(const EndCell& cell, double velocity, double soundSpeed) const {
  const double characteristicSpeed = std::fmax(velocity + soundSpeed, kSlowestCharacteristic * soundSpeed);
  return frictionPerLength_ * cell.halfWidth * velocity * std::fabs(velocity) / characteristicSpeed;
}

template <class Solve>
EndState EndConditions::withFriction(const EndCell& cell, Solve&& solve) const {
  const double cellSoundSpeed = std::sqrt(gas_.soundSpeedSquared(cell.density));
  const double atCell = frictionIncrement(cell, cell.outwardVelocity, cellSoundSpeed);
  if (atCell == 0.0) return solve(Characteristic{cell.density, cell.outwardVelocity});
  const EndState first = solve(Characteristic{cell.density, cell.outwardVelocity - atCell});
  const double atEnd =
      frictionIncrement(cell, first.outwardVelocity, std::sqrt(gas_.soundSpeedSquared(first.density)));
  return solve(Characteristic{cell.density, cell.outwardVelocity - 0.5 * (atCell + atEnd)});
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
EndState EndConditions::sink(const EndCell& cell) const {
  return withFriction(cell, [this](const Characteristic& ch) { return sinkOn(ch); });
}

EndState EndConditions::wallOn(const Characteristic& ch) const {
  const double density = gas_.riemannInverse(ch.density, ch.velocity);
  return EndState{density, 0.0, gas_.pressure(density)};
}

// Along the characteristic the outward velocity rises as the density falls,
// faster than the sound speed changes: one sonic point below the rest density.
double EndConditions::sonicDensityOn(const Characteristic& ch, double restDensity) const {
  const auto excess = [&](double y) {
    const double rho = std::exp(y);
    return ch.velocityAt(gas_, rho) - std::sqrt(gas_.soundSpeedSquared(rho));
  };
  return std::exp(rootBeyond(excess, std::log(restDensity), -0.5, kLogDensityTolerance));
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
// outward mass flux falls steadily below zero.
EndState EndConditions::supplyOn(const Characteristic& ch) const {
  const EndState rest = wallOn(ch);
  if (supplyMassFlux_ == 0.0) return rest;
  const auto surplus = [&](double y) {
    const double rho = std::exp(y);
    return rho * ch.velocityAt(gas_, rho) + supplyMassFlux_;
  };
  const double firstStep =
      supplyMassFlux_ / (rest.density * std::sqrt(gas_.soundSpeedSquared(rest.density))) + 1e-12;
  const double rho = std::exp(rootBeyond(surplus, std::log(rest.density), firstStep, kLogDensityTolerance));
  return EndState{rho, -supplyMassFlux_ / rho, gas_.pressure(rho)};
}

EndState EndConditions::sinkOn(const Characteristic& ch) const {
  const EndState rest = wallOn(ch);
  if (rest.pressure <= sinkPressure_) return rest;
  const double w = ch.velocityAt(gas_, sinkDensity_);
  if (w * w <= gas_.soundSpeedSquared(sinkDensity_)) return EndState{sinkDensity_, w, sinkPressure_};
  const double sonic = sonicDensityOn(ch, rest.density);
  return EndState{sonic, ch.velocityAt(gas_, sonic), gas_.pressure(sonic)};
}

}  // namespace vorl::reference
