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

// The longest line the one-call entry takes: a case's breach may lie anywhere on it.
double longestLine() { return input(InputId::kPipeLength).oneCall.maximum; }

double farthestOneCall(InputId id) { return input(id).oneCall.maximum; }

// A breach beyond the longest line, said in the case's range.
[[noreturn]] void refuseFarBreach(const MODELERROR& refusal, double breach) {
  throw VORLERROR(refusal.eError(), kCaseTag,
                  "breach location " + numberText(breach) + " m is beyond the longest line (allowed " +
                      caseRangeText(input(InputId::kBreachLocation)) + ")");
}

// A hole below the smallest the reference takes (1 mm, the bore at most).
void checkReferenceHole(double aperture, double bore) {
  const double smallest = smallestHoleDiameter(ModelChoice::kReference, bore);
  if (aperture > 0.0 && aperture >= smallestAperture(ModelChoice::kReference, bore)) return;
  throw VORLERROR(VORL_E_HOLE_TOO_SMALL, kCaseTag,
                  "a hole of " + workedOut(bore * std::sqrt(std::fmax(aperture, 0.0)), 4) + " m (aperture " +
                      workedOut(aperture, 6) + ") is below the smallest the reference solution takes, " +
                      workedOut(smallest, 4) + " m in this bore");
}

void checkValvesWithinPipe(const OneCallArrays& arrays, double length, int* failingValve) {
  for (int i = 0; i < *arrays.valveCount; ++i) {
    if (arrays.valveFirst[i] <= length) continue;
    *failingValve = i;
    throw VORLERROR(VORL_E_VALVE_BEYOND_PIPE, kCaseTag,
                    "valve " + std::to_string(i + 1) + " position " + plainNumber(arrays.valveFirst[i]) +
                        " m is beyond the pipe end at " + plainNumber(length) + " m (allowed 0 to " +
                        plainNumber(length) + " m)");
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
  checkCase(given, holeDiameter, ModelChoice::kFast, failingValve);
}

void checkCase(const OneCallArrays& given, double holeDiameter, ModelChoice choice, int* failingValve) {
  *failingValve = -1;
  requireOneCallArrays(given);
  std::vector<double> inputs(given.inputs, given.inputs + oneCallInputCount());
  // The one-call check judges a breach and valves beyond its own bounds (but
  // on the longest line) at those bounds; the case's own rules judge them.
  const std::size_t breachIndex = static_cast<std::size_t>(input(InputId::kBreachLocation).oneCall.index);
  const double breach = inputs[breachIndex];
  if (breach > farthestOneCall(InputId::kBreachLocation) && breach <= longestLine()) {
    inputs[breachIndex] = farthestOneCall(InputId::kBreachLocation);
  }
  const double farthestValve = farthestOneCall(InputId::kValvePosition);
  std::vector<double> positions;
  if (*given.valveCount > 0) positions.assign(given.valveFirst, given.valveFirst + *given.valveCount);
  for (double& position : positions) {
    if (position > farthestValve) position = farthestValve;
  }
  OneCallArrays arrays = given;
  arrays.inputs = inputs.data();
  if (!positions.empty()) arrays.valveFirst = positions.data();
  const bool hole = !std::isnan(holeDiameter);
  const double bore = inputsValue(inputs, InputId::kPipeDiameter);
  const std::size_t apertureIndex = static_cast<std::size_t>(input(InputId::kAperture).oneCall.index);
  if (hole) inputs[apertureIndex] = holeAperture(holeDiameter, bore, kCaseTag);
  // A hole for the reference alone: the rest of the case is checked as the
  // fast model's, the hole against the reference's smallest after it.
  const double aperture = inputs[apertureIndex];
  const bool referenceHole = choice == ModelChoice::kReference && aperture < smallestAperture(ModelChoice::kFast, bore);
  if (referenceHole) inputs[apertureIndex] = smallestAperture(ModelChoice::kFast, bore);
  try {
    checkOneCallInputs(arrays, failingValve);
  } catch (const VORLERROR& refusal) {
    if (hole && isApertureCode(refusal.eError())) {
      refuseHole(refusal, holeDiameter, bore, inputsValue(inputs, InputId::kAperture));
    }
    if (refusal.eError() == input(InputId::kBreachLocation).oneCall.aboveCode) refuseFarBreach(refusal, breach);
    throw;
  }
  checkValvesWithinPipe(given, inputsValue(inputs, InputId::kPipeLength), failingValve);
  if (referenceHole) checkReferenceHole(aperture, bore);
}

bool oneCallCarries(const OneCallArrays& arrays) {
  requireOneCallArrays(arrays);
  const double breach = oneCallValue(input(InputId::kBreachLocation), arrays, 0);
  if (breach > farthestOneCall(InputId::kBreachLocation)) return false;
  for (int i = 0; i < *arrays.valveCount; ++i) {
    if (arrays.valveFirst[i] > farthestOneCall(InputId::kValvePosition)) return false;
  }
  return true;
}

const Input* inputBlamedBy(int code) noexcept {
  if (code == 0) return nullptr;
  if (code == VORL_E_FRICTION_EXCEEDS_PRESSURE || code == VORL_E_FAR_END_BELOW_AMBIENT ||
      code == VORL_E_INFLOW_CHOKED) {
    return &input(InputId::kTotalInflow);
  }
  for (std::size_t i = 0; i < inputCount(); ++i) {
    const Input& row = inputAt(i);
    if (code == row.oneCall.belowCode || code == row.oneCall.aboveCode || code == row.guard.code) return &row;
  }
  return nullptr;
}

std::string caseRangeText(const Input& row) {
  if (row.id == InputId::kBreachLocation) {
    return plainNumber(row.oneCall.minimum) + " to " + plainNumber(longestLine()) +
           " m, beyond the pipe's end its end";
  }
  if (row.id == InputId::kValvePosition) {
    return plainNumber(row.oneCall.minimum) + " m to the pipe's end (" + plainNumber(longestLine()) + " m at most)";
  }
  return rangeText(row);
}

}  // namespace vorl
