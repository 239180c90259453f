#pragma once

#include "companion/ambient.h"
#include "core/enums.h"
#include "model/gas_state.h"

namespace vorl {

// The fields of a branch state, by value; kept apart from GB so that GB's
// assignment can copy them all and then restore the pointers it keeps.
struct GBFields {
  const AMBIENT* ambient = nullptr;  // the model's ambient values, not owned
  GS upstream;                       // far end of the branch (away from the breach)
  GS exit;                           // breach end of the branch
  BranchId branch = BranchId::kWholePipe;
  double time = 0.0;                 // s since the breach; 1e128 infinite or undefined
  Phase phase = Phase::kSteady;
  double beta = 0.0;                 // s2/m3, friction parameter 2 f / (D a2)
  double lengthDisturbed = 0.0;      // m, distance of the decompression front from the breach
  double lengthToPressurePeak = 0.0; // m, from the breach to the pressure maximum
  double length = 0.0;               // m, active length (a valve closure shortens it)
  double lengthInitial = 0.0;        // m, length as constructed
  double massPerUnitArea = 0.0;      // kg/m2 held in the active length
  double massInflowPerUnitArea = 0.0;   // kg/m2 entered through the far end since the breach
  double massTrappedPerUnitArea = 0.0;  // kg/m2 cut off behind closed valves
  double fluxDensityInitial = 0.0;   // kg/(m2 s), G0 of the supply's steady inflow
  bool choked = false;               // the breach flow was choked at the last step
  double pressureAtBreachInitial = 0.0;  // Pa, pb0
  double area = 0.0;                 // m2, bore
  double orificeAperture = 0.0;      // orifice area / bore area
  bool hasInflow = false;            // the far end is fed by the supply
  bool interpolated = false;         // brought to a requested time by a lookup
  bool phaseEnded = false;           // the front reached the far end in phase one
  int constructionError = 0;         // code the whole-pipe constructor kept instead of raising
};

// The complete state of one branch of the pipe at one moment.
class GB : public GBFields {
 public:
  // The whole pipe (branch 3): the steady flow of the intact line from the
  // supply end, at upstreamPressure with inflow flux density G0, to the far
  // end. Raises 207 or 206 "GBctor".
  GB(const AMBIENT* ambient, const IIG* gas, double beta, double pipeLength, double area,
     double upstreamPressure, double inflowFluxDensity);

  // The steady flow before the breach restricted to branch A (supply end to
  // the breach at x, m from the upstream end) or branch B (far end back to
  // the breach), in phase -1. Raises the whole pipe's kept construction
  // error, 202, 204 or 7 "GBctor".
  static GB preBreach(const GB& wholePipe, BranchId branchNumber, double x);
  // The same branch at the instant of the breach, in phase 1, with the breach
  // end at ambient pressure pa (or choked) through aperture ar. Raises 202 or
  // 7 "GBctor".
  static GB breachStart(const GB& wholePipe, BranchId branchNumber, double pa, double x, double ar);

  GB(const GB&) = default;
  // Copies every field but keeps this branch's ambient pointer and the gas
  // pointers of its two records.
  GB& operator=(const GB& other);

  double a2() const noexcept { return upstream.a2(); }
  double soundSpeed() const noexcept;
  double pa() const noexcept { return ambient->pressure; }
  // q = sqrt(beta L) a2 G of the far-end record.
  double q() const;

  // q^2 = (a2 G)^2 beta L of the far-end record, without q's domain test.
  double qSquared() const noexcept;

  // Pressure of the steady flow at distance x from the far end.
  double steadyPressureAt(double x) const;

  // Flux density leaving through the breach when the flux rises linearly
  // from G at the front (pressure P ahead of it) over the disturbed length
  // lam to the breach at pressure pe: G + bfdG when G > 0, else bfGe5.
  double breachFlux(double G, double P, double pe, double lam) const;
  double breachFluxWithoutInflow(double P, double pe, double lam) const;

  // Mass per unit bore area held in the branch (kg/m2), by phase.
  double massPerUnitAreaOfBranch() const;
  // Integral of the pressure (Pa m) from s (m from the far end) to the
  // breach, for the profile of the branch's phase; 0 when s is not below L.
  double massIntegralFrom(double s) const;

 protected:
  GB() = default;
};

}  // namespace vorl
