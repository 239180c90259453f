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
// no valve lies beyond the pipe's end (502). A case reaches farther than the
// one-call entry's ranges: its breach anywhere on the longest line (beyond
// its own line's end, at that end) and a valve anywhere on its line; such a
// case is set up through the setters (VorlGenericInputsSet), not the
// one-call entry. *failingValve: the index of the valve at fault, -1 for none.
void checkCase(const OneCallArrays& arrays, double holeDiameter, int* failingValve);
// The same for the model chosen: the reference takes holes below the fast
// model's smallest aperture down to its own smallest (smallestAperture), a
// smaller one refused (431) and said of the hole; the rest of the case is
// checked with the fast model's smallest aperture in its place.
void checkCase(const OneCallArrays& arrays, double holeDiameter, ModelChoice choice, int* failingValve);

// Whether the one-call entry's own ranges hold the case's breach and valve
// positions, so that it (and a sweep) takes the case as it is.
bool oneCallCarries(const OneCallArrays& arrays);

// The input a refusal's code blames: the row whose one-call check or run
// guard has that code, and the total inflow for a steady flow the intact line
// cannot carry (friction beyond the upstream pressure, a far end below the
// outlet pressure, an inflow that chokes); null for a code no input's.
const Input* inputBlamedBy(int code) noexcept;

// The range of an input's case-file key in words: the case's reach for the
// breach and a valve's position, else the one-call entry's (rangeText).
std::string caseRangeText(const Input& row);

}  // namespace vorl
