#include "model/case_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/vorl_error.h"

namespace vorl {
namespace {

constexpr const char* kCaseTag = "VorlCheckCase";

double square(double value) { return value * value; }

// A number worked out for a message (not given by the host), to a few digits.
std::string workedOut(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

// The elements of the one-call inputs array: one past the highest the table places.
std::size_t oneCallInputCount() {
  std::size_t count = 0;
  for (std::size_t i = 0; i < inputCount(); ++i) {
    const Input& row = inputAt(i);
    if (row.oneCall.slot == VORL_SLOT_INPUTS) count = std::max(count, static_cast<std::size_t>(row.oneCall.index) + 1);
  }
  return count;
}

double inputsValue(const std::vector<double>& inputs, InputId id) {
  return inputs[static_cast<std::size_t>(input(id).oneCall.index)];
}

bool isApertureCode(int code) {
  const OneCallRange& range = input(InputId::kAperture).oneCall;
  return code == range.belowCode || code == range.aboveCode;
}

// An aperture refused, said of the hole that gave it.
[[noreturn]] void refuseHole(const MODELERROR& refusal, double hole, double bore, double aperture) {
  throw VORLERROR(refusal.eError(), kCaseTag,
                  "hole diameter " + numberText(hole) + " m in the bore of " + numberText(bore) +
                      " m gives the aperture " + workedOut(aperture, 6) + ": " + refusal.message() +
                      "; the smallest hole the fast model takes in this bore is " +
                      workedOut(smallestHoleDiameter(ModelChoice::kFast, bore), 4) + " m");
}

void checkValvesWithinPipe(const OneCallArrays& arrays, double length, int* failingValve) {
  for (int i = 0; i < *arrays.valveCount; ++i) {
    if (arrays.valveFirst[i] <= length) continue;
    *failingValve = i;
    throw VORLERROR(VORL_E_VALVE_BEYOND_PIPE, kCaseTag,
                    "valve " + std::to_string(i + 1) + " position " + numberText(arrays.valveFirst[i]) +
                        " m is beyond the pipe end at " + numberText(length) + " m (allowed 0 to " +
                        numberText(length) + " m)");
  }
}

}  // namespace

double holeAperture(double holeDiameter, double pipeDiameter, const char* tag) {
  const bool boreValid = std::isfinite(pipeDiameter) && pipeDiameter > 0.0;
  if (!(boreValid && holeDiameter > 0.0 && holeDiameter <= pipeDiameter)) {
    const std::string bore = numberText(pipeDiameter) + " m";
    throw VORLERROR(VORL_E_HOLE_OUTSIDE_BORE, tag,
                    "hole diameter " + numberText(holeDiameter) + " m is not within the bore of " + bore +
                        " (allowed above 0 up to " + bore + ")");
  }
  return square(holeDiameter / pipeDiameter);
}

void checkCase(const OneCallArrays& given, double holeDiameter, int* failingValve) {
  *failingValve = -1;
  requireOneCallArrays(given);
  std::vector<double> inputs(given.inputs, given.inputs + oneCallInputCount());
  OneCallArrays arrays = given;
  arrays.inputs = inputs.data();
  const bool hole = !std::isnan(holeDiameter);
  const double bore = inputsValue(inputs, InputId::kPipeDiameter);
  if (hole) {
    inputs[static_cast<std::size_t>(input(InputId::kAperture).oneCall.index)] =
        holeAperture(holeDiameter, bore, kCaseTag);
  }
  try {
    checkOneCallInputs(arrays, failingValve);
  } catch (const VORLERROR& refusal) {
    if (hole && isApertureCode(refusal.eError())) {
      refuseHole(refusal, holeDiameter, bore, inputsValue(inputs, InputId::kAperture));
    }
    throw;
  }
  checkValvesWithinPipe(arrays, inputsValue(inputs, InputId::kPipeLength), failingValve);
}

}  // namespace vorl
