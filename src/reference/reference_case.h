#pragma once

#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "reference/case_error.h"
#include "reference/gas_law.h"

namespace vorl::reference {

// An isolation valve that starts to shut at a time after the breach opens
// (0: with it) and is shut, a closed wall, the case's valve closing duration
// later (0: at once). A valve at a line end or at the breach isolates nothing
// and is left out; valves at one position shut with the earliest of them.
struct IsolationValve {
  double position = 0.0;     // m from the upstream end
  double closureTime = 0.0;  // s after the breach opens
};

// How the finite volumes are carried forward in time.
enum class TimeScheme {
  // Linearly implicit two-stage Rosenbrock steps (second order, L-stable)
  // whose length an estimate of the local error sets: short while waves
  // cross the fine cells at the breach, minutes once friction rules.
  kLinearlyImplicit,
  // Explicit second-order Runge-Kutta steps at the Courant number: every
  // step a fraction of a sound wave's crossing of the smallest cell. The
  // verification path, thousands of times as many steps.
  kExplicit,
};

// Resolution of the finite-volume solution. Every cell size, and the rate at
// which the breach cells grow, is divided by `refinement`, so that 2 gives a
// grid twice as fine everywhere at every time.
// What feeds the upstream end while the inflow is positive.
enum class SupplyMode {
  kConstantInflow,  // the inflow, held whatever the line does
  kHoldingPressure  // a compressor station: the upstream pressure held, the line drawing what it takes
};

struct ReferenceNumerics {
  double refinement = 1.0;
  TimeScheme scheme = TimeScheme::kLinearlyImplicit;
  // Local error allowed per linearly implicit step, relative to each cell's
  // mass and to its momentum plus the mass flux of the sound speed. 2.5e-3
  // keeps release rates and masses within about 0.4 % of the explicit
  // steps'; halving it takes about 1.4 times the steps.
  double tolerance = 2.5e-3;
  // Explicit steps: their Courant number. Linearly implicit steps: the first
  // step's, before the error estimate takes over.
  double courantNumber = 0.8;
  // Cell size at the breach when it opens, m; 0: the bore.
  double initialBreachCell = 0.0;
  // Away from the breach a cell is this fraction of its distance from it.
  double grading = 0.05;
  // Largest cell anywhere, as a fraction of the line length.
  double largestCellFraction = 0.01;
  // Largest breach cell, as a fraction of the longer side of the breach.
  double latestBreachCellFraction = 0.002;
  // The breach cells grow as this fraction of the distance a sound wave has
  // travelled since the breach opened (a t), up to the largest breach cell.
  double coarseningRate = 0.002;
  // Most time steps a run may take (0: no bound), so that a caller can keep
  // any case from running for ever; the run then throws StepBoundReached.
  long long maxSteps = 0;
};

// A breached line: the inputs of one reference run. The defaults are the
// default case: a 100 km methane line of 0.5 m bore at 70 bar fed by
// 20 kg/s and breached at full bore 30 km from its upstream end.
struct ReferenceCase {
  // Gas: an ideal gas unless the critical constants are given, which select
  // the Peng-Robinson equation of state.
  double molarMass = 16.0428;    // kg/kmol
  double temperature = 288.15;   // K, the gas temperature of the isothermal flow
  std::optional<CriticalConstants> realGas;

  // Line
  double length = 100000.0;       // m
  double bore = 0.5;              // m
  double fanning = 0.0029950;     // Fanning friction factor (0.5 m bore, 5e-5 m roughness)
  double upstreamPressure = 7.0e6;  // Pa at the supply end in the intact line's steady flow
  double inflow = 20.0;           // kg/s fed at the upstream end; 0: a closed end
  // The supply after the breach: constant inflow, or the upstream pressure
  // held (inflow only: a non-return valve keeps the gas from flowing back);
  // either trips to nothing, a closed end, at supplyTripTime s after the
  // breach opens (infinity: never).
  SupplyMode supplyMode = SupplyMode::kConstantInflow;
  double supplyTripTime = std::numeric_limits<double>::infinity();

  // Breach
  // m from the upstream end, 0 to length. A breach at an end leaves one
  // branch and cuts that end's supply or sink off from the line.
  double breachLocation = 30000.0;
  double aperture = 1.0;             // orifice area / bore area, in (0, 1]
  double ambientPressure = 101325.0;  // Pa
  // s: the line runs intact until then, on the grid fine at the breach
  // (so an intact phase costs as much per second as the first after opening)
  double breachOpeningTime = 0.0;

  std::vector<IsolationValve> valves;
  // s every valve takes from its closure time to shut. Its open area falls
  // linearly in time from the bore to nothing (an actuator drives the valve
  // at a steady speed; without the valve's own characteristic the area
  // linear in time is the neutral law, and no contraction of the jet is
  // taken, which passes the most gas the law allows). 0: it shuts at once.
  double valveClosingDuration = 0.0;

  // Time: the run ends at endTime (s from the start of the run) and reports
  // at the reportTimes given (ascending, 0 to endTime) or, when there are
  // none, at the times reportTimesAtEnd gives for the end the run reached
  // (when set; ascending, none after that end) or else every reportInterval
  // seconds from 0 up to the end (and at the end, when the run ended once
  // the release was over).
  double endTime = 14400.0;
  std::vector<double> reportTimes;
  std::function<std::vector<double>(double end)> reportTimesAtEnd;
  double reportInterval = 60.0;
  // When set, the run ends earlier, once the release is over (and after the
  // last report time given): without a supply that reaches the breach, once
  // the gas the breach can still draw on (the cells between it and the
  // nearest shut valves or line ends) is everywhere within 1 % of the
  // ambient pressure; with one, once the line's gas changes by less than
  // 1 % of the inflow per second (the supply's new steady flow through the
  // breach). endTime is then the cap.
  bool endWhenReleaseOver = false;

  ReferenceNumerics numerics;
};

// Throws InvalidCase (a std::invalid_argument) naming the first input out of
// its range.
void validateCase(const ReferenceCase& input);

// The report times of a case that ended at `end`: the given ones, or those
// of reportTimesAtEnd, or the interval's multiples up to the end.
std::vector<double> reportTimesOf(const ReferenceCase& input, double end);

}  // namespace vorl::reference
