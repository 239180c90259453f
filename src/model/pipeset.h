#pragma once

#include "companion/valve_set.h"

namespace vorl {

// The pipe layout: length, supply, breach and valves (the defaults of a new
// model come from its input table, model/inputs.cpp).
struct PIPESET {
  double length = 0.0;            // m
  double orificeAperture = 0.0;   // orifice area / bore area
  double upstreamPressure = 0.0;  // Pa, at the supply end
  double totalInflow = 0.0;       // kg/s fed into the upstream end
  double breachLocation = 0.0;    // m from the upstream end
  bool breachAtEnd = true;        // the breach follows the far end while set
  bool valvesActive = false;            // valve closures take part in runs
  VALVESET valves;

  // The breach location in use.
  double effectiveBreachLocation() const noexcept { return breachAtEnd ? length : breachLocation; }
};

}  // namespace vorl
