#include "run_case.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "case_units.h"
#include "library_text.h"
#include "numbers.h"
#include "reference.h"
#include "status.h"
#include "table_step.h"
#include "tables.h"
#include "vorl.h"

namespace brimlow {
namespace {

// ---- value check ----

int apertureInput() {
  static const int index = libraryInput("orifice aperture");
  return index;
}

double fastSmallestAperture() { return VorlInputMin(apertureInput()); }

bool referenceChosen(const Case& c) { return c.model == 1.0; }

bool referenceTakesSmallerHole(const Case& c) { return referenceChosen(c) && c.aperture < fastSmallestAperture(); }

// The one-call entry's flags and inputs arrays (the library's input table places each key's input in one).
constexpr int kOneCallFlags = 2;
constexpr int kOneCallInputs = 16;

struct CheckArrays {
  int flags[kOneCallFlags] = {0, 0};
  double inputs[kOneCallInputs] = {};
  std::vector<double> positions, closures;
  int timeDivision = 0, maxSteps = 0, valveCount = 0;
};

int asInt(double value) {
  if (!(value >= -2e9 && value <= 2e9)) return value > 0 ? 2000000000 : -2000000000;
  return static_cast<int>(value);
}

// The one-call arrays of a case: each key's value where the library's input
// table places its input.
CheckArrays checkArraysOf(const Case& c) {
  CheckArrays a;
  for (const CaseKey& key : caseKeys()) {
    const int input = libraryInput(key.input);
    if (key.field == nullptr || input < 0) continue;
    const double value = c.*key.field;
    const int element = VorlInputSlotIndex(input);
    switch (VorlInputSlot(input)) {
      case VORL_SLOT_INPUTS: a.inputs[element] = value; break;
      case VORL_SLOT_FLAGS: a.flags[element] = asInt(value); break;
      case VORL_SLOT_TIME_DIVISION: a.timeDivision = asInt(value); break;
      case VORL_SLOT_MAX_STEPS: a.maxSteps = asInt(value); break;
      default: break;
    }
  }
  for (const Valve& valve : c.valves) {
    a.positions.push_back(valve.position);
    a.closures.push_back(valve.closureTime);
  }
  a.valveCount = static_cast<int>(c.valves.size());
  return a;
}

// The library's check of the case with its case rules for the model chosen
// (the hole, a hole for the reference alone, valves within the pipe); the
// index of the valve at fault in *valve.
int runCheck(const Case& c, const CheckArrays& a, int* valve) {
  const double hole = hasHoleDiameter(c) ? c.holeDiameter : std::nan("");
  return VorlCheckCaseOfModel(referenceChosen(c) ? VORL_MODEL_REFERENCE : VORL_MODEL_FAST, a.flags, a.inputs,
                              a.positions.data(), a.closures.data(), &a.timeDivision, &a.maxSteps, &a.valveCount,
                              hole, valve);
}

// The key a refusal of the library's check names: the valve's own, the
// hole's for the aperture it gave, else the key of the input refused.
std::string keyOfRefusal(const Case& c, int code, int valve) {
  if (code == VORL_E_HOLE_OUTSIDE_BORE) return kHoleDiameterKey;
  if (code == VORL_E_HOLE_TOO_SMALL) return hasHoleDiameter(c) ? kHoleDiameterKey : "aperture";
  const std::string input = inputOfCode(code);
  if (valve >= 0) {
    const bool closure = input == kValveClosureInput;
    return std::string(findCaseKey("valves")->name) + "[" + std::to_string(valve) + "]." +
           (closure ? kValveClosureKey : kValvePositionKey);
  }
  const CaseKey* key = caseKeyForInput(input);
  if (key == nullptr) return "";
  return isApertureOfHole(c, *key) ? kHoleDiameterKey : key->name;
}

// ---- set-up ----

// The case set as the library's one-call entry sets it, from the same arrays
// (a breach or valve beyond the entry's ranges too); then the inputs the
// one-call entry does not take (a back pressure), each through the library's
// input table. The model choice is the run's, not set here.
void setInputs(VorlHandle model, const Case& c) {
  const CheckArrays a = checkArraysOf(c);
  VorlGenericInputsSet(model, a.flags, a.inputs, a.positions.data(), a.closures.data(), &a.timeDivision,
                       &a.maxSteps, &a.valveCount);
  for (const CaseKey& key : caseKeys()) {
    const int input = libraryInput(key.input);
    if (key.field == nullptr || key.kind == KeyKind::kModel || input < 0 || VorlInputSlot(input) != VORL_SLOT_NONE) {
      continue;
    }
    VorlInputSet(model, input, c.*key.field);
  }
}

// The model of the case's gas: a material, a named gas, a composition or an
// ideal gas of a molar mass.
VorlHandle newModelOf(const Case& c) {
  if (c.idealGas) return VorlModelCreateSimple(c.molarMass);
  if (c.namedGas >= 0) return VorlModelCreateNamedGas(c.namedGas);
  if (!c.composition.empty()) {
    std::vector<int> numbers;
    std::vector<double> fractions;
    for (const auto& [number, fraction] : c.composition) {
      numbers.push_back(number);
      fractions.push_back(fraction);
    }
    return VorlModelCreateComposition(static_cast<int>(numbers.size()), numbers.data(), fractions.data());
  }
  return VorlModelCreateZel(c.material);
}

const char* gasKeyOf(const Case& c) {
  if (c.idealGas) return "molar_mass_kg_per_kmol";
  return c.composition.empty() ? "material" : "composition";
}

// The output grid's count of the pipe table and the release curve.
int gridCount(const Case& c) { return std::min(asInt(c.timeDivision), asInt(c.outputSteps)); }

const char* layoutOf(VorlHandle model, bool& hasA, bool& hasB) {
  hasA = hasB = false;
  if (VorlIsDoubleBranch(model)) {
    hasA = hasB = true;
    return "double branch";
  }
  if (VorlIsSingleBranchA(model)) {
    hasA = true;
    return "single branch A";
  }
  if (VorlIsSingleBranchB(model)) {
    hasB = true;
    return "single branch B";
  }
  return "no branch";
}

bool failed(const ReportCapture& capture, std::size_t from, int status, const std::string& key, CaseResult& result) {
  const Report* error = capture.firstErrorSince(from);
  if (error == nullptr) return false;
  result.failure = CaseFailure{status, key, error->message};
  return true;
}

// A set-up or run refused for its inputs is a problem of the case (status 4,
// naming its key), not a failure of the run (`status`).
bool failedFor(const ReportCapture& capture, std::size_t from, int status, CaseResult& result) {
  const Report* error = capture.firstErrorSince(from);
  if (error == nullptr) return false;
  const CaseKey* key = caseKeyForInput(inputOfCode(error->code));
  result.failure = key != nullptr ? CaseFailure{kExitCaseValue, key->name, error->message}
                                  : CaseFailure{status, "", error->message};
  return true;
}

}  // namespace

namespace {

// The inputs of the line as operated, which only the reference solution takes.
constexpr const char* kOperationInputs[] = {"supply mode", "supply trip time", "valve detection delay",
                                            "valve closing duration"};

// The case's operation for the reference, or the fast model's own (each
// input at its default: a constant inflow, valves shut at an instant) while
// the fast model runs beside it.
void setOperation(VorlHandle model, const Case& c, bool operated) {
  for (const char* name : kOperationInputs) {
    const int input = libraryInput(name);
    const CaseKey* key = caseKeyForInput(name);
    VorlInputSet(model, input, operated ? c.*key->field : VorlInputDefault(input));
  }
}

// The fast model alone cannot run the line as operated: the case is refused
// before anything runs, naming the reference solution, which takes it.
bool operationWithinFastModel(const Case& c, CaseFailure& failure) {
  if (c.reference != 0.0 || referenceChosen(c)) return true;
  const char* hint = "; the reference solution takes it, as the model (\"model\": \"reference\") or beside the "
                     "fast model (\"reference\": true, brimlow run's default)";
  failure.status = kExitCaseValue;
  if (operatesSupply(c)) {
    failure.key = c.supplyMode != 0.0 ? caseKeyForInput("supply mode")->name : caseKeyForInput("supply trip time")->name;
    failure.message = std::string("the fast model keeps a constant inflow: a supply that ") +
                      (c.supplyMode != 0.0 ? "holds its pressure" : "trips") + " is the reference solution's" + hint;
    return false;
  }
  if (operatesValves(c)) {
    failure.key = caseKeyForInput(c.valveDetectionDelay != 0.0 ? "valve detection delay" : "valve closing duration")->name;
    failure.message = std::string("the fast model shuts its valves at an instant at their closure times: valves "
                                  "shutting after a detection delay or over a closing duration are the reference "
                                  "solution's") + hint;
    return false;
  }
  return true;
}

}  // namespace

bool checkCaseValues(const Case& c, CaseFailure& failure) {
  ReportCapture capture;
  const CheckArrays arrays = checkArraysOf(c);
  int valve = -1;
  const int code = runCheck(c, arrays, &valve);
  if (code == 0) return operationWithinFastModel(c, failure);
  const Report* report = capture.firstErrorSince(0);
  failure.status = kExitCaseValue;
  failure.message = report != nullptr ? report->message : "refused by the library's check (code " + std::to_string(code) + ")";
  failure.key = keyOfRefusal(c, code, valve);
  return false;
}

namespace {

// The model's answer as the chosen model gives it: the release report, and
// with the tables the pipe at its output times, the events and the release
// curve; the fast model's branch histories when it is the fast model's.
bool readAnswer(VorlHandle model, const Case& c, bool withTables, double end, const ReportCapture& capture,
                CaseResult& result) {
  const std::size_t mark = capture.reports().size();
  const bool reference = result.model == "reference";
  result.summary = summaryOf(model);
  result.branchA = result.branchB = result.pipe = Table{};
  result.events.clear();
  if (withTables) {
    if (result.hasA && !reference) result.branchA = branchTable(model, VORL_BRANCH_A);
    if (result.hasB && !reference) result.branchB = branchTable(model, VORL_BRANCH_B);
    result.pipe = pipeGridTable(model, gridCount(c));
    result.events = eventsOf(model);
    if (!reference) result.curve = releaseCurveOf(model, gridCount(c));
  }
  const bool stepped = !withTables || readSteppedTable(model, c, end, result);
  return stepped && !failed(capture, mark, kExitRunFailed, "", result);
}

// The fast model's run and its answer; false with the failure.
bool runFast(VorlHandle model, const Case& c, bool withTables, const ReportCapture& capture, CaseResult& result) {
  const std::size_t mark = capture.reports().size();
  VorlRun(model);
  if (failedFor(capture, mark, kExitRunFailed, result)) return false;
  return readAnswer(model, c, withTables, VorlPipeTimeMax(model), capture, result);
}

}  // namespace

// The property library's code of the saturation (a mixture's dew) temperature.
constexpr int kDewTemperatureCode = -18;

CaseResult runCase(const Case& c, bool withTables, ReferenceWatch* watch) {
  CaseResult result;
  if (!checkCaseValues(c, result.failure)) return result;

  ReportCapture capture;
  VorlHandle model = newModelOf(c);
  if (model == nullptr) {
    const Report* error = capture.firstErrorSince(0);
    result.failure = CaseFailure{kExitCaseValue, gasKeyOf(c), error != nullptr ? error->message : "the library made no model"};
    result.reports = capture.reports();
    return result;
  }
  const std::size_t mark = capture.reports().size();
  setInputs(model, c);
  result.breachLocation = VorlPipeBreachLocation(model);
  result.layout = layoutOf(model, result.hasA, result.hasB);
  result.outletPressure = VorlOutletPressure(model);
  result.underWater = c.backPressure > 0.0 || c.waterDepth > 0.0;
  result.components = VorlModelComponentCount(model);
  if (result.components > 1) {
    result.dewTemperature = VorlModelGasProperty(model, kDewTemperatureCode, 0.0, result.outletPressure);
  }
  result.naturalGas = VorlModelIsNaturalGas(model) != 0;
  result.impactRadius = VorlPotentialImpactRadius(model, &result.impactDiameterInches, &result.impactGaugePsi);
  if (!failedFor(capture, mark, kExitCaseValue, result)) {
    // The fast model reads its answer with the choice of the fast model; the
    // reference then runs beside it, or takes its place when chosen.
    VorlModelChoiceSet(model, 0);
    const bool wantReference = c.reference != 0.0 || referenceChosen(c);
    setOperation(model, c, false);
    const bool fastRan = !referenceTakesSmallerHole(c) && runFast(model, c, withTables, capture, result);
    setOperation(model, c, true);
    if (!fastRan && !referenceChosen(c)) {
      // The fast model's failure is the case's.
    } else if (!wantReference) {
      result.ok = true;
    } else if (!runReference(model, c, watch, capture, result)) {
      // A reference that fails leaves the fast model's answer, unless the run was stopped.
      result.ok = fastRan && result.failure.status != kExitCancelled;
      if (result.ok) std::swap(result.referenceFailure, result.failure);
    } else if (referenceChosen(c)) {
      result.model = "reference";
      result.failure = CaseFailure{};
      VorlModelChoiceSet(model, 1);
      result.ok = readAnswer(model, c, withTables, result.reference.endTime, capture, result);
    } else {
      result.ok = true;
    }
  }
  VorlModelDelete(&model);
  result.reports = capture.reports();
  return result;
}

// Whether the sweep entry carries the case whole: it takes the one-call
// arrays, a material or an ideal gas and the valves. A named gas, a
// composition, a breach or valve beyond the entry's ranges (the library
// says), a hole only the reference
// takes, or an input the one-call entry does not hold (a back pressure, a
// water depth, ...) away from its default needs the whole run of a case.
bool sweepCarries(const Case& c) {
  using Field = double Case::*;
  // The keys of inputs outside the one-call arrays and the model's default of each, found once.
  static const std::vector<std::pair<Field, double>> outsideOneCall = [] {
    std::vector<std::pair<Field, double>> fields;
    for (const CaseKey& key : caseKeys()) {
      const int input = libraryInput(key.input);
      if (key.field == nullptr || key.kind == KeyKind::kModel || input < 0 || VorlInputSlot(input) != VORL_SLOT_NONE) {
        continue;
      }
      fields.emplace_back(key.field, VorlInputDefault(input));
    }
    return fields;
  }();
  if (c.namedGas >= 0 || !c.composition.empty() || referenceTakesSmallerHole(c)) return false;
  const CheckArrays a = checkArraysOf(c);
  if (!VorlCaseFitsOneCall(a.flags, a.inputs, a.positions.data(), a.closures.data(), &a.timeDivision, &a.maxSteps,
                           &a.valveCount)) {
    return false;
  }
  for (const auto& [field, modelDefault] : outsideOneCall) {
    if (!(c.*field == modelDefault)) return false;
  }
  return true;
}

CaseResult runCaseSummary(const Case& c) {
  if (!sweepCarries(c)) return runCase(c, false);
  CaseResult result;
  if (!checkCaseValues(c, result.failure)) return result;
  ReportCapture capture;
  const CheckArrays a = checkArraysOf(c);
  const int material = c.idealGas ? 0 : c.material;
  const double molecularWeight = c.idealGas ? c.molarMass : 0.0;
  const int valveStarts[2] = {0, a.valveCount};
  const int model = c.model != 0.0 ? VORL_MODEL_REFERENCE : VORL_MODEL_FAST;
  const double noTolerance = 0.0;
  int status = -1, code = 0;
  result.summary.assign(summaryFields().size(), std::numeric_limits<double>::quiet_NaN());
  // One case on the calling thread: its reports reach this thread's capture.
  VorlSweepRun(1, &material, &molecularWeight, &model, a.flags, a.inputs, &a.timeDivision, &a.maxSteps,
               valveStarts, a.positions.data(), a.closures.data(), 1, nullptr, 0, &noTolerance, 1,
               result.summary.data(), nullptr, &status, &code, nullptr, nullptr);
  result.reports = capture.reports();
  result.ok = status == VORL_SWEEP_OK;
  if (!result.ok) {
    const Report* error = capture.firstErrorSince(0);
    const bool gas = code == VORL_E_UNKNOWN_MATERIAL || (c.idealGas && code == VORL_E_NOT_POSITIVE);
    result.failure = CaseFailure{gas ? kExitCaseValue : kExitRunFailed,
                                 gas ? (c.idealGas ? "molar_mass_kg_per_kmol" : "material") : "",
                                 error != nullptr ? error->message : "the library ran no case (code " +
                                                                         std::to_string(code) + ")"};
  }
  return result;
}

}  // namespace brimlow
