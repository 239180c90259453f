#include "interface/input_validation.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/vorl_error.h"

namespace vorl {
namespace {

constexpr const char* kTag = "VorlCheckInput";

// The one table of the checks: order, codes, where each value is read, its
// range and its name. Changing a range here changes the check, its message
// and what hosts are told about the code.
constexpr InputRange kRanges[] = {
    {InputSource::kInputs, 0, "ambient temperature", "K", 200.0, 350.0, false, VORL_E_RANGE_AMBIENT_TEMPERATURE_LOW, VORL_E_RANGE_AMBIENT_TEMPERATURE_HIGH},
    {InputSource::kInputs, 1, "ambient pressure", "Pa", 50000.0, 120000.0, false, VORL_E_RANGE_AMBIENT_PRESSURE_LOW, VORL_E_RANGE_AMBIENT_PRESSURE_HIGH},
    {InputSource::kInputs, 2, "ambient relative humidity", "", 0.0, 1.0, false, VORL_E_RANGE_AMBIENT_HUMIDITY_LOW, VORL_E_RANGE_AMBIENT_HUMIDITY_HIGH},
    {InputSource::kInputs, 3, "pipe length", "m", 10.0, 2000000.0, false, VORL_E_RANGE_PIPE_LENGTH_LOW, VORL_E_RANGE_PIPE_LENGTH_HIGH},
    {InputSource::kInputs, 4, "total inflow", "kg/s", 0.0, 100000.0, false, VORL_E_RANGE_TOTAL_INFLOW_LOW, VORL_E_RANGE_TOTAL_INFLOW_HIGH},
    {InputSource::kInputs, 5, "upstream pressure", "Pa", 50000.0, 1000000000.0, false, VORL_E_RANGE_UPSTREAM_PRESSURE_LOW, VORL_E_RANGE_UPSTREAM_PRESSURE_HIGH},
    {InputSource::kInputs, 6, "breach location", "m", 1.0, 1000000.0, false, VORL_E_RANGE_BREACH_LOCATION_LOW, VORL_E_RANGE_BREACH_LOCATION_HIGH},
    {InputSource::kInputs, 7, "orifice aperture", "", 0.2, 1.0, false, VORL_E_RANGE_APERTURE_LOW, VORL_E_RANGE_APERTURE_HIGH},
    {InputSource::kFlags, 0, "valves active flag", "", 0.0, 1.0, false, VORL_E_RANGE_VALVES_ACTIVE, VORL_E_RANGE_VALVES_ACTIVE},
    {InputSource::kInputs, 8, "pipe diameter", "m", 0.01, 2.0, false, VORL_E_RANGE_PIPE_DIAMETER_LOW, VORL_E_RANGE_PIPE_DIAMETER_HIGH},
    {InputSource::kInputs, 9, "pipe roughness", "m", 1e-8, 0.001, false, VORL_E_RANGE_PIPE_ROUGHNESS_LOW, VORL_E_RANGE_PIPE_ROUGHNESS_HIGH},
    {InputSource::kValveFirst, 0, "valve position", "m", 0.0, 1000000.0, false, VORL_E_RANGE_VALVE_POSITION_LOW, VORL_E_RANGE_VALVE_POSITION_HIGH},
    {InputSource::kValveSecond, 0, "valve closure time", "s", 0.0, 100000.0, true, VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW, VORL_E_RANGE_VALVE_CLOSURE_TIME_HIGH},
    {InputSource::kTimeDivision, 0, "time division", "", 2.0, 1000.0, false, VORL_E_RANGE_TIME_DIVISION_LOW, VORL_E_RANGE_TIME_DIVISION_HIGH},
    {InputSource::kMaxSteps, 0, "output maximum steps", "", 2.0, 10000.0, false, VORL_E_RANGE_OUTPUT_STEPS_LOW, VORL_E_RANGE_OUTPUT_STEPS_HIGH},
    {InputSource::kInputs, 10, "molecular weight of the air", "kg/kmol", 10.0, 100.0, false, VORL_E_RANGE_AIR_MOLECULAR_WEIGHT_LOW, VORL_E_RANGE_AIR_MOLECULAR_WEIGHT_HIGH},
    {InputSource::kFlags, 1, "expansion method", "", 0.0, 2.0, false, VORL_E_RANGE_EXPANSION_METHOD, VORL_E_RANGE_EXPANSION_METHOD},
    {InputSource::kInputs, 11, "Weber number", "", 1.0, 50.0, false, VORL_E_RANGE_WEBER_NUMBER_LOW, VORL_E_RANGE_WEBER_NUMBER_HIGH},
    {InputSource::kInputs, 12, "maximum velocity", "m/s", 0.01, 1000.0, false, VORL_E_RANGE_MAX_VELOCITY_LOW, VORL_E_RANGE_MAX_VELOCITY_HIGH},
    {InputSource::kInputs, 13, "minimum drop size", "m", 0.0, 0.01, false, VORL_E_RANGE_MIN_DROP_SIZE_LOW, VORL_E_RANGE_MIN_DROP_SIZE_HIGH},
    {InputSource::kInputs, 14, "maximum drop size", "m", 0.0, 1.0, false, VORL_E_RANGE_MAX_DROP_SIZE_LOW, VORL_E_RANGE_MAX_DROP_SIZE_HIGH},
    {InputSource::kInputs, 15, "gas temperature", "K", 150.0, 350.0, false, VORL_E_RANGE_GAS_TEMPERATURE_LOW, VORL_E_RANGE_GAS_TEMPERATURE_HIGH},
};

constexpr std::size_t kRangeCount = sizeof(kRanges) / sizeof(kRanges[0]);

bool isValveInput(const InputRange& range) noexcept {
  return range.source == InputSource::kValveFirst || range.source == InputSource::kValveSecond;
}

// Whole numbers as integers ("2000000", not "2e+06"); others in the shortest
// form that reads back the same value.
std::string plainNumber(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
  }
  return numberText(value);
}

std::string withUnit(double value, const char* unit) {
  std::string text = plainNumber(value);
  if (unit[0] != '\0') text += std::string(" ") + unit;
  return text;
}

// Valve inputs name their valve, counted from 1: "valve 2 closure time".
std::string subjectOf(const InputRange& range, int valve) {
  std::string name = range.name;
  if (!isValveInput(range)) return name;
  const std::string prefix = "valve ";
  const std::string rest = name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : name;
  return prefix + std::to_string(valve + 1) + " " + rest;
}

[[noreturn]] void fail(int code, const InputRange& range, int valve, double value,
                       const std::string& problem) {
  const std::string subject = subjectOf(range, valve);
  const std::string shown = std::isnan(value) ? subject : subject + " " + withUnit(value, range.unit);
  throw VORLERROR(code, kTag, shown + " " + problem + " (allowed " + allowedRangeText(range) + ")");
}

// Strict bounds: the bounds themselves pass (but an excluded minimum), and
// the lower check is written so that a value that is not a number fails it.
void checkValue(const InputRange& range, double value, int valve) {
  if (std::isnan(value)) fail(range.belowCode, range, valve, value, "is not a number");
  if (range.minimumExcluded ? !(value > range.minimum) : !(value >= range.minimum)) {
    const char* relation = range.minimumExcluded ? "is not above " : "is below ";
    fail(range.belowCode, range, valve, value, relation + withUnit(range.minimum, range.unit));
  }
  if (value > range.maximum) {
    fail(range.aboveCode, range, valve, value, "is above " + withUnit(range.maximum, range.unit));
  }
}

struct CheckedArguments {
  const int* flags;
  const double* inputs;
  const double* valveFirst;
  const double* valveSecond;
  int timeDivision;
  int maxSteps;
};

double valueOf(const InputRange& range, const CheckedArguments& in, int valve) noexcept {
  switch (range.source) {
    case InputSource::kFlags: return in.flags[range.index];
    case InputSource::kInputs: return in.inputs[range.index];
    case InputSource::kValveFirst: return in.valveFirst[valve];
    case InputSource::kValveSecond: return in.valveSecond[valve];
    case InputSource::kTimeDivision: return in.timeDivision;
    case InputSource::kMaxSteps: return in.maxSteps;
  }
  return 0.0;
}

void requirePointer(const void* pointer, const char* what) {
  if (pointer == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, std::string("the ") + what + " pointer is null");
}

}  // namespace

std::size_t inputRangeCount() noexcept { return kRangeCount; }

const InputRange& inputRangeAt(std::size_t index) noexcept {
  return kRanges[index < kRangeCount ? index : kRangeCount - 1];
}

const InputRange* inputRangeForCode(int code) noexcept {
  for (const InputRange& range : kRanges) {
    if (range.belowCode == code || range.aboveCode == code) return &range;
  }
  return nullptr;
}

std::string allowedRangeText(const InputRange& range) {
  const std::string upper = withUnit(range.maximum, range.unit);
  if (range.minimumExcluded) return "above " + plainNumber(range.minimum) + " up to " + upper;
  return plainNumber(range.minimum) + " to " + upper;
}

void VorlCheckInput(const int* flags, const double* inputs, const double* valveFirst,
                    const double* valveSecond, const int* timeDivision, const int* maxSteps,
                    const int* valveCount) {
  requirePointer(flags, "flags");
  requirePointer(inputs, "inputs");
  requirePointer(timeDivision, "time division");
  requirePointer(maxSteps, "maximum steps");
  requirePointer(valveCount, "valve count");
  const int valves = *valveCount;
  if (valves > 0) {
    requirePointer(valveFirst, "valve positions");
    requirePointer(valveSecond, "valve closure times");
  }
  const CheckedArguments in{flags, inputs, valveFirst, valveSecond, *timeDivision, *maxSteps};

  for (std::size_t i = 0; i < kRangeCount;) {
    if (!isValveInput(kRanges[i])) {
      checkValue(kRanges[i], valueOf(kRanges[i], in, 0), 0);
      ++i;
      continue;
    }
    // All checks of one valve before the next valve.
    std::size_t groupEnd = i;
    while (groupEnd < kRangeCount && isValveInput(kRanges[groupEnd])) ++groupEnd;
    for (int valve = 0; valve < valves; ++valve) {
      for (std::size_t j = i; j < groupEnd; ++j) checkValue(kRanges[j], valueOf(kRanges[j], in, valve), valve);
    }
    i = groupEnd;
  }
}

}  // namespace vorl
