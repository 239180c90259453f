#pragma once

#include "reference/gas_law.h"

namespace vorl::reference {

// The gas at a pipe end, with its velocity taken positive out of the pipe.
struct EndState {
  double density = 0.0;          // kg/m3
  double outwardVelocity = 0.0;  // m/s, > 0 leaving the pipe
  double pressure = 0.0;         // Pa
  double outwardMassFlux() const noexcept { return density * outwardVelocity; }  // kg/(m2 s)
};

// The cell next to a pipe end: its mean density, its mean velocity (momentum
// over mass) towards the end and its width.
struct EndCell {
  double density = 0.0;          // kg/m3
  double outwardVelocity = 0.0;  // m/s
  double width = 0.0;            // m
};

// The gas on the two sides of a valve part way shut: each side's end state
// with its velocity outward from that side's cell.
struct ValveEnds {
  EndState left;
  EndState right;
};

// What each kind of pipe end does with the gas arriving at it. Each end
// state lies on the outgoing characteristic from the end cell: the Riemann
// invariant w + integral(c/rho drho) of the cell's mean state, less the
// change of the invariant that wall friction makes across the cell. That
// change is taken from the steady flow with friction of the end's mass flux
// across the cell (the invariant of its mean state less the invariant at the
// end), which the cell holds once the flow near the end has settled; it
// vanishes without friction, where the relation is exact in a simple wave.
// Solved by bracketed root finding.
class EndConditions {
 public:
  // fanning: Fanning factor; bore (m); aperture: orifice area / bore area;
  // ambientPressure (Pa); supplyMassFlux: inflow per unit bore area
  // (kg/(m2 s)); sinkPressure (Pa).
  EndConditions(const GasLaw& gas, double fanning, double bore, double aperture, double ambientPressure,
                double supplyMassFlux, double sinkPressure);

  // A closed end: the gas comes to rest against it.
  EndState wall(const EndCell& cell) const;
  // The breach: an orifice of the aperture's area reached by a loss-free
  // isothermal acceleration from the pipe end (u^2/2 + integral(dp/rho)
  // kept); choked while its throat reaches the sound speed, discharging at
  // ambient pressure after. For a full bore the pipe end is the throat. Only
  // outflow: at or below ambient pressure the end is closed.
  EndState breach(const EndCell& cell) const;
  // The supply: a fixed mass flux into the pipe (a closed end when zero).
  EndState supply(const EndCell& cell) const;
  // The supply holding its pressure: the gas at the end at that pressure,
  // fed in as fast as the line draws it (to the sound speed at most) and
  // never taken back (a non-return valve: a closed end while the gas at rest
  // against it would exceed the supply's pressure).
  EndState heldSupply(const EndCell& cell) const;
  // The pressure heldSupply holds (Pa).
  void holdSupplyPressure(double pressure);
  // The sink: delivery at the sink pressure through a non-return valve,
  // which is shut while the gas at rest against it would not exceed the sink
  // pressure.
  EndState sink(const EndCell& cell) const;

  // A valve part way shut, open over `openFraction` of the bore (0 shut, 1
  // open), between the cell on its left and the cell on its right. The gas
  // from the side at the higher rest pressure reaches the opening by a
  // loss-free isothermal acceleration (choked while the opening's throat
  // reaches the sound speed) and leaves it as a jet of the open area that
  // widens suddenly to the bore: the momentum balance of that widening
  // (Borda-Carnot, no contraction of the jet) sets the pressure behind the
  // valve, a loss that vanishes at full opening. Both sides pass the same
  // mass flux. Each side's end state carries its cell's friction increment,
  // as the ends do.
  ValveEnds valve(const EndCell& left, const EndCell& right, double openFraction) const;

  // Mass flux (kg/(m2 s) of bore area) through the orifice from a pipe end
  // at density and outward velocity (below the sound speed).
  double orificeMassFlux(double density, double outwardVelocity) const;

 private:
  // The outgoing characteristic reaching the end: the end's outward velocity
  // at density rho is velocity - integral from density to rho of c/rho.
  struct Characteristic {
    double density;
    double velocity;
    double velocityAt(const GasLaw& gas, double rho) const { return velocity - gas.riemannIncrement(density, rho); }
  };
  template <class Solve>
  EndState withFriction(const EndCell& cell, Solve&& solve) const;
  EndState wallOn(const Characteristic& ch) const;
  EndState breachOn(const Characteristic& ch) const;
  EndState supplyOn(const Characteristic& ch) const;
  EndState sinkOn(const Characteristic& ch) const;
  EndState heldSupplyOn(const Characteristic& ch) const;
  EndState inflowOn(const Characteristic& ch, double massFlux) const;
  ValveEnds valveBetween(const Characteristic& left, const Characteristic& right, double openFraction) const;
  ValveEnds valveFrom(const Characteristic& from, const Characteristic& to, double openFraction) const;
  double sonicDensityOn(const Characteristic& ch, double restDensity) const;
  double steadyProfileIncrement(const EndCell& cell, const EndState& end) const;

  const GasLaw& gas_;
  double frictionPerLength_;  // 2 f / D
  double aperture_;
  double ambientPressure_;
  double ambientDensity_;
  double ambientPotential_;
  double supplyMassFlux_;
  double sinkPressure_;
  double sinkDensity_;
  double heldPressure_ = 0.0;
  double heldDensity_ = 0.0;
};

}  // namespace vorl::reference
