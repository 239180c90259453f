#pragma once

#include <cstddef>
#include <string>

#include "core/codes.h"
#include "core/enums.h"

namespace vorl {

class VORL;

// The model's inputs, each declared once: its name, unit, meaning and default;
// where the one-call entry (VorlGenericZel, VorlCheckInputs) reads it, its
// allowed range there and the two codes of that check (301 to 343); the range
// the run can compute with and the code of the run's guard (350 to 371); how
// it is read from and written to the model, whether it shapes the steady flow
// of the intact pipe, and the export that sets it. Hosts read the table
// through the VorlInput exports; the tool takes its inputs' units, ranges and
// slots from it.
//
// The rows stand in the order the one-call entry sets them: the setters that
// change the steady flow in a fixed order (each rebuilds it, and a rebuild
// that fails stops the set-up), the breach after the length it is clamped to.
// Each check walks its inputs in the order of its codes.

// The rows by name, in table order.
enum class InputId : int {
  kOutputMaxSteps,
  kAmbientTemperature,
  kAmbientPressure,
  kAmbientHumidity,
  kAirMolecularWeight,
  kPipeDiameter,
  kPipeRoughness,
  kPipeLength,
  kTotalInflow,
  kUpstreamPressure,
  kGasTemperature,
  kBreachLocation,
  kAperture,
  kValvesActive,
  kExpansionMethod,
  kWeberNumber,
  kMaxVelocity,
  kMinDropSize,
  kMaxDropSize,
  kHoleDiameter,
  kHoleAperture,
  kPhaseFlag,
  kValvePosition,
  kValveClosureTime,
  kTimeDivision,
  kModelChoice,
  kOutputEndTime,
  kReferenceRealGas,
  kCriticalTemperature,
  kCriticalPressure,
  kAcentricFactor,
  kReferenceEndTime,
  kReferenceRefinement,
  kBackPressure,
  kWaterDepth,
  kSeawaterDensity,
  kSupplyMode,
  kSupplyTripTime,
  kValveDetectionDelay,
  kValveClosingDuration,
  kCount
};

// Which operations guard an input.
enum InputUse : unsigned {
  kCheckedByRun = 1U,        // VorlRun, before anything is computed
  kCheckedByExpansion = 2U,  // the post-flash queries, before each expansion
  kCheckedByReference = 4U,  // VorlReferenceRun: the inputs its case takes from the model
  kCheckedWhenSet = 8U,      // its setter refuses a value outside the range and keeps the one before
};

// The one-call entry's allowed range of an input: both bounds pass (but an
// excluded minimum), a value below the minimum or not a number fails with the
// lower code, one above the maximum with the upper. Codes 0: not checked.
struct OneCallRange {
  VorlSlot slot;  // where the one-call entry reads the value
  int index;      // element of flags or inputs; 0 for the others
  double minimum;
  double maximum;
  bool minimumExcluded;
  int belowCode;
  int aboveCode;  // the same as belowCode when one check tests both ends
};

// What the run's guard accepts of an input. Code 0: not guarded.
struct GuardRange {
  int code;
  unsigned uses;           // InputUse bits
  const char* validRange;  // in words, for messages and the documentation
  bool (*accepts)(double value, const VORL& model);
  // A limit that depends on the model, appended to the valid range; may be null.
  std::string (*limit)(const VORL& model);
};

// The key of a case file (the tool's and the hosts' scripts) that sets an
// input, and the value a case that leaves the key out gives it: the default
// case is a realistic long line, where a new model is a short test pipe. A
// valve's inputs are keys of each entry of the case's valve list; they have
// no default. Key "": the input has no key of its own.
struct CaseFileKey {
  const char* key;
  double defaultValue;
  bool hasDefault;
};

struct Input {
  InputId id;
  const char* name;     // in plain words, as messages show it
  const char* unit;     // "" for fractions, counts, switches and the Weber number
  const char* meaning;  // one line for hosts and the tool's help
  double defaultValue;  // of a new model (the breach: the pipe end, which it follows until set)
  bool perValve;        // a value of each valve rather than of the model
  OneCallRange oneCall;
  GuardRange guard;
  // The value on the model (of valve `valve` for per-valve rows).
  double (*read)(const VORL& model, std::size_t valve);
  // Stores a value on the model; null for per-valve rows (VorlValveAdd).
  void (*write)(VORL& model, double value);
  bool shapesSteadyFlow;  // the whole-pipe branch must be rebuilt after a write
  const char* setter;     // the export that sets it
  CaseFileKey caseFile;
};

std::size_t inputCount() noexcept;
const Input& inputAt(std::size_t index) noexcept;
const Input& input(InputId id) noexcept;
// The row of that name, null when there is none.
const Input* findInput(const std::string& name) noexcept;

// The row whose case-file key is `key`, null when there is none.
const Input* findInputByCaseKey(const std::string& key) noexcept;

// The gas of a case that gives none: methane, the gas of the default case's
// long natural-gas line.
constexpr int kCaseDefaultMaterial = 74828;

// The value of an input in a case that leaves its key out: the case-file
// default, or the model's default where the case file has none.
double caseDefault(const Input& row) noexcept;

// The allowed range of the one-call entry in words: "200 to 350 K",
// "above 0 up to 100000 s"; the guard's valid range for an input the
// one-call entry does not check; "" for neither.
std::string rangeText(const Input& row);

// Writes the defaults of the table into a new model (every row with a
// writer, but the breach, which follows the pipe end until it is set).
void applyInputDefaults(VORL& model);

// The arguments of the one-call entry that hold its inputs.
struct OneCallArrays {
  const int* flags;
  const double* inputs;
  const double* valveFirst;
  const double* valveSecond;
  const int* timeDivision;
  const int* maxSteps;
  const int* valveCount;
};

// Elements of a slot in the one-call arrays: one past the greatest element
// an input of the table takes there (flags and inputs), 1 for the time
// division and the maximum steps, 0 for the valve slots (their length is the
// valve count) and for a slot that does not exist.
int oneCallSlotSize(int slot) noexcept;

// The value of a row in the one-call arrays (of valve `valve` for per-valve rows).
double oneCallValue(const Input& row, const OneCallArrays& arrays, int valve) noexcept;

// Raises 5 "VorlCheckInput" for a null pointer where a value must be read
// (the valve arrays only for a positive valve count).
void requireOneCallArrays(const OneCallArrays& arrays);

// The one-call entry's check: the arrays' pointers, then every checked input
// in the order of its codes (the valve inputs valve by valve); raises
// VORLERROR(code, "VorlCheckInput") at the first value outside its range,
// naming the input, its value and its allowed range. A valve's input refused
// writes that valve's index into *failingValve when it is given.
void checkOneCallInputs(const OneCallArrays& arrays, int* failingValve = nullptr);

// The run's guard: every input the operation uses (valves only while they are
// active), in the order of its codes; raises at the first one refused, naming
// the input, its value and its valid range.
void checkModelInputs(const VORL& model, InputUse use, const char* tag);

// The guard of one row for a value about to be written to the model (as it
// is before the write); raises the row's code naming the input when refused.
void checkInputValue(const Input& row, double value, const VORL& model, const char* tag);

// The host's critical constants of the reference's real gas, set together:
// all three 0 forget them (the material's own apply), else each must lie in
// its row's range; a refused value keeps the constants before.
void setCriticalConstants(VORL& model, double temperature, double pressure, double acentricFactor,
                          const char* tag);

// Whole numbers as integers ("2000000", not "2e+06"); others in the shortest
// form that reads back the same value.
std::string plainNumber(double value);

// Raises code with "<name> <value> <unit> is outside its valid range: <range>",
// or "<name> is not a number; valid: <range>".
[[noreturn]] void refuseValue(int code, const std::string& name, double value, const char* unit,
                              const std::string& validRange, const char* tag);

// The smallest hole each model takes: the fast model's smallest aperture
// (the one-call entry's lower bound of the orifice aperture) in a bore, and
// for the reference solution a hole of 1 mm in any bore, the bore at most.
constexpr double kReferenceSmallestHole = 0.001;  // m
// The latest time the reference runs to (its end time, and so its last report
// time): about three years, far beyond any blow-down, short of a count of
// steps that would not end.
constexpr double kLongestReferenceEndTime = 1e8;  // s
double smallestAperture(ModelChoice choice, double bore) noexcept;
double smallestHoleDiameter(ModelChoice choice, double bore) noexcept;

// The smallest positive total inflow (kg/s) whose friction pressure drop the
// run resolves in branch A of the model: below it the drop vanishes in the
// rounding of p^2 and the blow-down cannot reach the inflow's limit state.
double smallestResolvedInflow(const VORL& model);

}  // namespace vorl
