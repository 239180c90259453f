#pragma once

#include "model/inputs.h"

namespace vorl {

// The rules of a case as a case file states it (the tool's, the Python
// package's, a host's), beside the one-call entry's ranges: a hole given by
// its diameter in place of the aperture, and valves within the pipe. Hosts
// ask the library; none of them repeats a rule.

// The aperture of a round hole in the bore, (d/D)^2; raises 501 for a hole
// not above 0 or wider than the bore (or a bore not above 0).
double holeAperture(double holeDiameter, double pipeDiameter, const char* tag);

// The one-call check of a case (checkOneCallInputs), with its case rules:
// a hole diameter given (not NaN) sets the aperture, and an aperture refused
// is restated in the hole's terms with the smallest hole the bore takes;
// no valve lies beyond the pipe's end (502). *failingValve: the index of the
// valve at fault, -1 for none.
void checkCase(const OneCallArrays& arrays, double holeDiameter, int* failingValve);

}  // namespace vorl
