#include "model/argument_checks.h"

#include <cmath>
#include <iterator>

#include "core/vorl_error.h"
#include "model/inputs.h"

namespace vorl {
namespace {

bool notNegative(double value) { return std::isfinite(value) && value >= 0.0; }
bool positive(double value) { return std::isfinite(value) && value > 0.0; }

const ArgumentCheck kArguments[] = {
    {VORL_E_INVALID_PIPE_TIME, "pipe time", "s", "0 s or later", notNegative},
    {VORL_E_INVALID_LOOKUP_TOLERANCE, "lookup tolerance", "s", "0 s or more", notNegative},
    {VORL_E_INVALID_GRID_MODE, "output grid mode", "", "0, 1, 2 or 3",
     [](double v) { return v == 0.0 || v == 1.0 || v == 2.0 || v == 3.0; }},
    {VORL_E_INVALID_GRID_COUNT, "output grid count", "", "3 or more for an even grid (4 when it ends on the end time)",
     [](double v) { return v >= 3.0; }},
    {VORL_E_INVALID_COMPARISON_LENGTH, "comparison pipe length", "m", "above 0 m", positive},
    {VORL_E_INVALID_COMPARISON_TEMPERATURE, "comparison temperature", "K", "above 0 K", positive},
    {VORL_E_INVALID_COMPARISON_FANNING, "comparison Fanning factor", "", "above 0", positive},
    {VORL_E_INVALID_COMPARISON_DIAMETER, "comparison diameter", "m", "above 0 m", positive},
    {VORL_E_INVALID_COMPARISON_INITIAL_PRESSURE, "comparison initial pressure", "Pa", "above 0 Pa", positive},
    {VORL_E_INVALID_COMPARISON_AMBIENT_PRESSURE, "comparison ambient pressure", "Pa", "above 0 Pa", positive},
    {VORL_E_INVALID_COMPARISON_COUNT, "comparison count", "", "2 or more", [](double v) { return v >= 2.0; }},
    // The reference solution's array of report times (its scalar settings
    // are rows of the input table).
    {VORL_E_INVALID_REFERENCE_REPORT_TIME, "reference report time", "s",
     "0 s or later, each after the one before, at most 1e8 s and none after the end time", notNegative},
    {VORL_E_INVALID_REFERENCE_ROWS, "reference table rows", "", "0 or more", notNegative},
};

}  // namespace

std::size_t argumentCheckCount() noexcept { return std::size(kArguments); }

const ArgumentCheck& argumentCheckAt(std::size_t index) noexcept {
  return kArguments[index < std::size(kArguments) ? index : 0];
}

void checkArgument(int code, double value, const char* tag) {
  for (const ArgumentCheck& row : kArguments) {
    if (row.code == code && !row.accepts(value)) refuseArgument(code, value, tag);
  }
}

void refuseArgument(int code, double value, const char* tag) {
  for (const ArgumentCheck& row : kArguments) {
    if (row.code == code) refuseValue(row.code, row.name, value, row.unit, row.validRange, tag);
  }
  throw VORLERROR(code, tag);
}

}  // namespace vorl
