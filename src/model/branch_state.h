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
  int constructionError = 0;         // code the whole-pipe set-up kept instead of raising
};

// The complete state of one branch of the pipe at one moment, as data: the
// relations that build and advance it are branch/'s (branch_setup.h,
// flow_relations.h, branch_mass.h and the phase steps).
class GB : public GBFields {
 public:
  GB() = default;
  GB(const GB&) = default;
  // Copies every field but keeps this branch's ambient pointer and the gas
  // pointers of its two records.
  GB& operator=(const GB& other);

  double a2() const noexcept { return upstream.a2(); }
  double soundSpeed() const noexcept;
  double pa() const noexcept { return ambient->pressure; }
  // q^2 = (a2 G)^2 beta L of the far-end record (q itself, with its domain
  // test, is branchQ of flow_relations.h).
  double qSquared() const noexcept;
};

}  // namespace vorl
