#pragma once

namespace vorl {

// The ambient air around the breach, read by the branches (its pressure is the
// pressure the outflow discharges into) and by the post-flash expansion.
struct AMBIENT {
  double temperature = 288.15;     // K
  double pressure = 100000.0;      // Pa
  double relativeHumidity = 0.7;   // fraction 0 to 1
  double molecularWeight = 28.966; // kg/kmol, of the air
};

}  // namespace vorl
