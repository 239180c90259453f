#pragma once

#include <vector>

#include "model/output_times.h"

namespace vorl {

class VORL;

// Largest even grid (modes 0 and 1): 8 MB of times.
constexpr int kMaxEvenGridSize = 1000000;

// Grid modes: evenly spaced to the end of the run (0); the same, then the
// caller's end time for a fed branch A that never finishes (1); the run's own
// stored times, thinned to n (2), or for a single branch to outputMaxSteps (3).
// Modes 0 and 1 choose between themselves. Refused, leaving the grid as it
// was: another mode (382), an even grid of fewer than 3 times, 4 when it ends
// on the end time (383), an end time negative or not finite (384), and any
// grid before a run (3 "BAFH"). An even grid larger than kMaxEvenGridSize is
// refused (13 "vlOutT") and leaves the grid empty, as a failed allocation would.
void defineOutputTimes(VORL& model, int mode, int n);

// Last finite time of the run's history (s), the end of an even grid. Raises
// 3 "BAFH" before any run.
double pipeTimeMax(const VORL& model);

// Time of grid entry i (s); -1 when there is none.
double outputTime(const OutputTimes& grid, int i) noexcept;
// 5 % of the smaller gap to a neighbouring entry (s); -1 when there is none.
double outputTimeTolerance(const OutputTimes& grid, int i) noexcept;

// Removes entries from a list of times until it holds `target` of them
// (at least 4): never the first two nor the last two; every second interior
// entry while more than half must go, then evenly spaced ones centred in the list.
void thinTimes(std::vector<double>& times, int target);

}  // namespace vorl
