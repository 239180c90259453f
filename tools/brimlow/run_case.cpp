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

// The library's check of the case with its case rules (the hole, valves
// within the pipe); the index of the valve at fault in *valve.
int runCheck(const Case& c, const CheckArrays& a, int* valve) {
  const double hole = hasHoleDiameter(c) ? c.holeDiameter : std::nan("");
  return VorlCheckCase(a.flags, a.inputs, a.positions.data(), a.closures.data(), &a.timeDivision, &a.maxSteps,
                       &a.valveCount, hole, valve);
}

// The key a refusal of the library's check names: the valve's own, the
// hole's for the aperture it gave, else the key of the input refused.
std::string keyOfRefusal(const Case& c, int code, int valve) {
  if (code == VORL_E_HOLE_OUTSIDE_BORE) return kHoleDiameterKey;
  const std::string input = inputOfCheckCode(code);
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

// The case set as the library's one-call entry sets it, from the same arrays.
void setInputs(VorlHandle model, const Case& c) {
  const CheckArrays a = checkArraysOf(c);
  VorlGenericInputsSet(model, a.flags, a.inputs, a.positions.data(), a.closures.data(), &a.timeDivision,
                       &a.maxSteps, &a.valveCount);
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


}  // namespace

bool checkCaseValues(const Case& c, CaseFailure& failure) {
  ReportCapture capture;
  const CheckArrays arrays = checkArraysOf(c);
  int valve = -1;
  const int code = runCheck(c, arrays, &valve);
  if (code == 0) return true;
  const Report* report = capture.firstErrorSince(0);
  failure.status = kExitCaseValue;
  failure.message = report != nullptr ? report->message : "refused by the library's check (code " + std::to_string(code) + ")";
  failure.key = keyOfRefusal(c, code, valve);
  return false;
}

CaseResult runCase(const Case& c, bool withTables, ReferenceWatch* watch) {
  CaseResult result;
  if (!checkCaseValues(c, result.failure)) return result;

  ReportCapture capture;
  const bool simple = c.idealGas;
  VorlHandle model = simple ? VorlModelCreateSimple(c.molarMass) : VorlModelCreateZel(c.material);
  if (model == nullptr) {
    const Report* error = capture.firstErrorSince(0);
    result.failure = CaseFailure{kExitCaseValue, simple ? "molar_mass_kg_per_kmol" : "material",
                                 error != nullptr ? error->message : "the library made no model"};
    result.reports = capture.reports();
    return result;
  }
  std::size_t mark = capture.reports().size();
  setInputs(model, c);
  result.breachLocation = VorlPipeBreachLocation(model);
  if (!failed(capture, mark, kExitCaseValue, "", result)) {
    mark = capture.reports().size();
    VorlRun(model);
    if (!failed(capture, mark, kExitRunFailed, "", result)) {
      result.layout = layoutOf(model, result.hasA, result.hasB);
      mark = capture.reports().size();
      result.summary = summaryOf(model);
      if (withTables) {
        if (result.hasA) result.branchA = branchTable(model, VORL_BRANCH_A);
        if (result.hasB) result.branchB = branchTable(model, VORL_BRANCH_B);
        result.pipe = pipeGridTable(model, gridCount(c));
        result.events = eventsOf(model);
        result.curve = releaseCurveOf(model, gridCount(c));
      }
      const bool stepped = !withTables || readSteppedTable(model, c, result);
      result.ok = stepped && !failed(capture, mark, kExitRunFailed, "", result) &&
                  (c.reference == 0.0 || runReference(model, c, watch, capture, result));
    }
  }
  VorlModelDelete(&model);
  result.reports = capture.reports();
  return result;
}

CaseResult runCaseSummary(const Case& c) {
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
