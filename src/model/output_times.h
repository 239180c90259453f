#pragma once

#include <vector>

namespace vorl {

// The model's grid of output times, at which hosts read pipe-level results
// (filled by run/output_grid).
struct OutputTimes {
  double tmax = 0.0;          // s, the caller's end time; 0 means none
  std::vector<double> times;  // s
  int outputMaxSteps = 0;     // cap on a single-branch grid of the run's own times

  int count() const noexcept { return static_cast<int>(times.size()); }
};

}  // namespace vorl
