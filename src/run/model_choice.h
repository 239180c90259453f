#pragma once

#include <vector>

#include "reference/reference.h"

namespace vorl {

class VORL;

// A run by the model's choice. The fast model: runModel, as VorlRun. The
// reference solution: the fast model first, when the aperture is within its
// range (its history sets the reference's default end, and it stays the
// answer beside the reference), then the reference, reporting at
// modelReportTimes unless the host set report times of its own. A failure of
// the fast model beside the reference is reported as warning 1040 and the
// reference runs on its own; a failure of the reference raises as
// runModelReference does, leaving the fast model's results in place.
// Returns the rows of the chosen model's history: the fast model's records,
// or the reference's report times.
int runChosenModel(VORL& model, const reference::ProgressCallback& progress);

// Whether the fast model takes the model's aperture (its smallest aperture
// is the one-call entry's lower bound).
bool fastModelTakesAperture(const VORL& model);

// The report times a run by model choice gives the reference when the host
// set none: the breach, the release report's marks (10 s, 20 s, 1 min,
// 10 min, 1 h) before the end, 200 equal steps, 20 times a decade over the
// six decades below the end (a logarithmic time axis and the times of
// release fractions), and the end. Ascending.
std::vector<double> modelReportTimes(double end);

}  // namespace vorl
