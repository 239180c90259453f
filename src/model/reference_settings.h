#pragma once

#include <optional>
#include <vector>

#include "reference/gas_law.h"

namespace vorl {

// What a host chooses for the reference solution of a model, beside the
// model's own inputs (run/reference_run builds the reference's case from both).
struct ReferenceSettings {
  // The Peng-Robinson gas instead of the ideal gas, with the host's critical
  // constants or else the material's.
  bool realGas = false;
  std::optional<reference::CriticalConstants> criticalConstants;
  // s after the breach; 0: the default rule (run/reference_run.h).
  double endTime = 0.0;
  // s, ascending from 0; none: the default grid to the end time.
  std::vector<double> reportTimes;
  // Cell sizes divided by it: 2 gives a grid twice as fine.
  double refinement = 1.0;
  // The supply after the breach: 0 constant inflow, 1 holding the upstream
  // pressure; tripping to nothing at this many s after the breach (0: never).
  int supplyMode = 0;
  double supplyTripTime = 0.0;
  // The valves as operated: each starts to shut this many s after its
  // closure time (the breach's detection), and takes the closing duration
  // to shut (0 and 0: at once at its closure time).
  double valveDetectionDelay = 0.0;
  double valveClosingDuration = 0.0;
};

}  // namespace vorl
