#include "run_case.h"

#include <cmath>
#include <limits>

#include "case_units.h"
#include "numbers.h"
#include "status.h"
#include "table_step.h"
#include "vorl.h"

namespace brimlow {
namespace {

constexpr double kNotAvailable = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// End time given to the output grid, as the one-call entry gives it: a branch
// fed by the supply never finishes, and its grid is carried to this time.
constexpr double kOutputTmax = 900000.0;  // s

// Times of the summary's masses released; each is looked up to within this
// fraction of itself.
constexpr double kLookupTolerance = 1e-6;

const std::vector<Column> kBranchColumns = {
    {"time_s", "s", "time since the breach (inf: the branch never finishes)", false},
    {"regime", "", "-1 steady flow before the breach, 1 front running, 2 far-end outflow decaying, 3 blow-down, 4 finished", true},
    {"upstream_pressure_Pa", "Pa", "pressure at the far end of the branch", false},
    {"upstream_flux_kg_per_s", "kg/s", "mass flux at the far end, positive toward the breach", false},
    {"upstream_velocity_m_per_s", "m/s", "gas velocity at the far end", false},
    {"exit_pressure_Pa", "Pa", "pressure at the breach end", false},
    {"exit_flux_kg_per_s", "kg/s", "mass flux leaving through the breach", false},
    {"exit_velocity_m_per_s", "m/s", "gas velocity at the breach end, through the bore", false},
    {"orifice_flux_kg_per_s", "kg/s", "mass flux through the orifice", false},
    {"orifice_velocity_m_per_s", "m/s", "velocity through the orifice", false},
    {"mass_kg", "kg", "gas in the open part of the branch", false},
    {"mass_in_pipe_kg", "kg", "gas in the open part and behind closed valves", false},
    {"mass_trapped_kg", "kg", "gas behind closed valves", false},
    {"mass_expelled_kg", "kg", "mass released through the breach since the breach", false},
    {"length_disturbed_m", "m", "distance of the decompression front from the breach", false},
    {"length_to_pressure_peak_m", "m", "distance from the breach to the pressure maximum", false},
    {"postflash_temperature_K", "K", "outflow after expansion to ambient pressure: temperature", false},
    {"postflash_velocity_m_per_s", "m/s", "outflow after expansion: velocity", false},
    {"postflash_liquid_fraction", "fraction", "outflow after expansion: liquid mass fraction", false},
    {"postflash_drop_size_m", "m", "outflow after expansion: drop size", false},
};

const std::vector<Column> kPipeColumns = {
    {"time_s", "s", "output time (0 twice: before the breach, and its instant)", false},
    {"exit_flux_kg_per_s", "kg/s", "release rate: mass flux leaving the pipe through the breach", false},
    {"exit_velocity_m_per_s", "m/s", "exit velocity through the bore, weighted by the branches' outflows", false},
    {"mass_kg", "kg", "gas in the open parts of the pipe", false},
    {"mass_in_pipe_kg", "kg", "gas in the open parts and behind closed valves", false},
    {"mass_trapped_kg", "kg", "gas behind closed valves", false},
    {"mass_expelled_kg", "kg", "mass released since the breach", false},
    {"postflash_temperature_K", "K", "outflow after expansion to ambient pressure: temperature", false},
    {"postflash_velocity_m_per_s", "m/s", "outflow after expansion: velocity", false},
    {"postflash_liquid_fraction", "fraction", "outflow after expansion: liquid mass fraction", false},
    {"postflash_drop_size_m", "m", "outflow after expansion: drop size", false},
};

const std::vector<Column> kSummaryFields = {
    {"fanning_factor", "", "Fanning friction factor of the bore", false},
    {"initial_mass_kg", "kg", "gas in the pipe before the breach", false},
    {"initial_release_rate_kg_per_s", "kg/s", "release rate at the instant of the breach", false},
    {"a_time_to_dechoke_s", "s", "branch A (upstream): outflow no longer choked", false},
    {"a_time_to_disturb_entire_branch_s", "s", "branch A: decompression front reaches the supply end", false},
    {"a_time_to_depressurise_s", "s", "branch A: blown down (inf: fed by the supply, never)", false},
    {"b_time_to_dechoke_s", "s", "branch B (downstream): outflow no longer choked", false},
    {"b_time_to_disturb_entire_branch_s", "s", "branch B: decompression front reaches the far end", false},
    {"b_time_to_flow_reversal_s", "s", "branch B: far-end flow turned toward the breach", false},
    {"b_time_to_depressurise_s", "s", "branch B: blown down", false},
    {"mass_released_1min_kg", "kg", "mass released 60 s after the breach", false},
    {"mass_released_10min_kg", "kg", "mass released 600 s after the breach", false},
    {"mass_released_1h_kg", "kg", "mass released 3600 s after the breach", false},
    {"end_time_s", "s", "end of the finite history: last finite time of the run", false},
    {"mass_released_end_kg", "kg", "mass released at the end of the finite history", false},
    {"mass_trapped_end_kg", "kg", "gas behind closed valves at the end of the finite history", false},
    {"postflash_temperature_K", "K", "outflow at the instant of the breach after expansion: temperature", false},
    {"postflash_velocity_m_per_s", "m/s", "the same: velocity", false},
    {"postflash_liquid_fraction", "fraction", "the same: liquid mass fraction", false},
    {"postflash_drop_size_m", "m", "the same: drop size", false},
};

std::size_t fieldIndex(const std::string& name) {
  for (std::size_t i = 0; i < kSummaryFields.size(); ++i) {
    if (name == kSummaryFields[i].name) return i;
  }
  return kSummaryFields.size();
}

// ---- value check ----

struct CheckArrays {
  int flags[2] = {0, 0};
  double inputs[16] = {};
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

int runCheck(const CheckArrays& a, int valveCount) {
  return VorlCheckInputs(a.flags, a.inputs, a.positions.data(), a.closures.data(), &a.timeDivision, &a.maxSteps,
                         &valveCount);
}

// The check stops at the first valve with a value out of range, after all
// valves before it passed: a check of the first n valves gives that valve's
// code exactly when n reaches past it. That is monotonic in n, so the valve
// is found by bisection, in a few dozen checks however many valves there are.
std::size_t failingValve(const CheckArrays& a, int code) {
  ReportCapture quiet;  // these repeated checks report again; not shown
  int passing = 0, failing = a.valveCount;  // the check of `failing` valves gives the code
  while (failing - passing > 1) {
    const int middle = passing + (failing - passing) / 2;
    (runCheck(a, middle) == code ? failing : passing) = middle;
  }
  return static_cast<std::size_t>(failing - 1);
}

std::string valveKey(const CheckArrays& a, int code, const CaseKey& key) {
  const std::size_t index = failingValve(a, code);
  const bool position = inputOfCheckCode(code) == kValvePositionInput;
  return std::string(key.name) + "[" + std::to_string(index) + "]." +
         (position ? kValvePositionKey : kValveClosureKey);
}

// The library's check bounds a valve's position without knowing the pipe:
// a valve beyond the pipe's end is refused here, in the same terms.
bool valvesWithinPipe(const Case& c, CaseFailure& failure) {
  for (std::size_t i = 0; i < c.valves.size(); ++i) {
    const double position = c.valves[i].position;
    if (position <= c.pipeLength) continue;
    const std::string length = plainText(c.pipeLength) + " m";
    failure.status = kExitCaseValue;
    failure.key = std::string(findCaseKey("valves")->name) + "[" + std::to_string(i) + "]." + kValvePositionKey;
    failure.message = "valve " + std::to_string(i + 1) + " position " + plainText(position) +
                      " m is beyond the pipe end at " + length + " (allowed 0 to " + length + ")";
    return false;
  }
  return true;
}

// ---- set-up ----

// The case set as the library's one-call entry sets it, from the same arrays.
void setInputs(VorlHandle model, const Case& c) {
  const CheckArrays a = checkArraysOf(c);
  VorlGenericInputsSet(model, a.flags, a.inputs, a.positions.data(), a.closures.data(), &a.timeDivision,
                       &a.maxSteps, &a.valveCount);
}

// ---- results ----

struct BranchApi {
  int(VORL_CALL* size)(VorlHandle);
  double(VORL_CALL* time)(VorlHandle, int);
  VorlBool(VORL_CALL* timeIsInfinite)(VorlHandle, int);
  int(VORL_CALL* regime)(VorlHandle, int);
  double(VORL_CALL* upstreamPressure)(VorlHandle, int);
  double(VORL_CALL* upstreamFlux)(VorlHandle, int);
  double(VORL_CALL* upstreamVelocity)(VorlHandle, int);
  double(VORL_CALL* exitPressure)(VorlHandle, int);
  double(VORL_CALL* exitFlux)(VorlHandle, int);
  double(VORL_CALL* exitVelocity)(VorlHandle, int);
  double(VORL_CALL* orificeFlux)(VorlHandle, int);
  double(VORL_CALL* orificeVelocity)(VorlHandle, int);
  double(VORL_CALL* mass)(VorlHandle, int);
  double(VORL_CALL* massInPipe)(VorlHandle, int);
  double(VORL_CALL* massTrapped)(VorlHandle, int);
  double(VORL_CALL* massExpelled)(VorlHandle, int);
  VorlBool(VORL_CALL* massExpelledIsInfinite)(VorlHandle, int);
  double(VORL_CALL* lengthDisturbed)(VorlHandle, int);
  double(VORL_CALL* lengthToPressurePeak)(VorlHandle, int);
  void(VORL_CALL* postFlash)(VorlHandle, int, double*, double*, double*, double*);
};

const BranchApi kBranchA = {
    VorlBranchAFlowSequenceSize, VorlBranchATime, VorlBranchATimeIsInfinite, VorlBranchARegime,
    VorlBranchAUpstreamPressure, VorlBranchAUpstreamFlux, VorlBranchAUpstreamVelocity, VorlBranchAExitPressure,
    VorlBranchAExitFlux, VorlBranchAExitVelocity, VorlBranchAOrificeFlux, VorlBranchAOrificeVelocity,
    VorlBranchAMass, VorlBranchAMassInPipe, VorlBranchAMassTrapped, VorlBranchAMassExpelled,
    VorlBranchAMassExpelledIsInfinite, VorlBranchALengthDisturbed, VorlBranchALengthToPressurePeak,
    VorlBranchAPostFlash,
};

const BranchApi kBranchB = {
    VorlBranchBFlowSequenceSize, VorlBranchBTime, VorlBranchBTimeIsInfinite, VorlBranchBRegime,
    VorlBranchBUpstreamPressure, VorlBranchBUpstreamFlux, VorlBranchBUpstreamVelocity, VorlBranchBExitPressure,
    VorlBranchBExitFlux, VorlBranchBExitVelocity, VorlBranchBOrificeFlux, VorlBranchBOrificeVelocity,
    VorlBranchBMass, VorlBranchBMassInPipe, VorlBranchBMassTrapped, VorlBranchBMassExpelled,
    VorlBranchBMassExpelledIsInfinite, VorlBranchBLengthDisturbed, VorlBranchBLengthToPressurePeak,
    VorlBranchBPostFlash,
};

Table branchTable(VorlHandle model, const BranchApi& api) {
  Table table;
  const int size = api.size(model);
  for (int i = 0; i < size; ++i) {
    double temperature = 0.0, velocity = 0.0, liquid = 0.0, drop = 0.0;
    api.postFlash(model, i, &temperature, &velocity, &liquid, &drop);
    table.rows.push_back({
        api.timeIsInfinite(model, i) ? kInfinity : fromLibrary(api.time(model, i)),
        static_cast<double>(api.regime(model, i)),
        fromLibrary(api.upstreamPressure(model, i)),
        fromLibrary(api.upstreamFlux(model, i)),
        fromLibrary(api.upstreamVelocity(model, i)),
        fromLibrary(api.exitPressure(model, i)),
        fromLibrary(api.exitFlux(model, i)),
        fromLibrary(api.exitVelocity(model, i)),
        fromLibrary(api.orificeFlux(model, i)),
        fromLibrary(api.orificeVelocity(model, i)),
        fromLibrary(api.mass(model, i)),
        fromLibrary(api.massInPipe(model, i)),
        fromLibrary(api.massTrapped(model, i)),
        api.massExpelledIsInfinite(model, i) ? kInfinity : fromLibrary(api.massExpelled(model, i)),
        fromLibrary(api.lengthDisturbed(model, i)),
        fromLibrary(api.lengthToPressurePeak(model, i)),
        fromLibrary(temperature),
        fromLibrary(velocity),
        fromLibrary(liquid),
        fromLibrary(drop),
    });
  }
  return table;
}

double massExpelledNow(VorlHandle model) {
  return VorlPipeMassExpelledIsInfinite(model) ? kInfinity : fromLibrary(VorlPipeMassExpelled(model));
}

}  // namespace

std::vector<double> pipeRow(VorlHandle model, double time) {
  double velocity = 0.0, temperature = 0.0, liquid = 0.0, drop = 0.0;
  VorlPipePostFlash(model, &velocity, &temperature, &liquid, &drop);
  return {time,
          fromLibrary(VorlPipeExitFlux(model)),
          fromLibrary(VorlPipeExitVelocity(model)),
          fromLibrary(VorlPipeMass(model)),
          fromLibrary(VorlPipeMassInPipe(model)),
          fromLibrary(VorlPipeMassTrapped(model)),
          massExpelledNow(model),
          fromLibrary(temperature),
          fromLibrary(velocity),
          fromLibrary(liquid),
          fromLibrary(drop)};
}

namespace {

// The pipe-level table at the output times, walked as the one-call entry
// walks them: the run's own times thinned (grid mode 3), each looked up with
// its own tolerance; the first entry is the pipe before the breach.
Table pipeTable(VorlHandle model, const Case& c) {
  Table table;
  VorlPipeOutputTmaxSet(model, kOutputTmax);
  const int count = std::min(asInt(c.timeDivision), asInt(c.outputSteps));
  VorlPipeOutputTimesDefine(model, 3, count);
  const int steps = VorlPipeOutputSteps(model);
  if (steps <= 2) return table;
  if (VorlBranchAFlowSequenceSize(model) <= 0 && VorlBranchBFlowSequenceSize(model) <= 0) return table;
  for (int i = 0; i < steps; ++i) {
    double time = 0.0;
    if (i == 0) {
      VorlPipeTimeSetToStart(model);
    } else {
      time = VorlPipeTimeSet(model, VorlPipeOutputTime(model, i), VorlPipeOutputTimeTolerance(model, i));
    }
    table.rows.push_back(pipeRow(model, time));
  }
  return table;
}

std::vector<double> summaryOf(VorlHandle model, const CaseResult& result) {
  std::vector<double> s(kSummaryFields.size(), kNotAvailable);
  const auto set = [&](const char* name, double value) { s[fieldIndex(name)] = value; };
  set("fanning_factor", VorlFanning(model));

  VorlPipeTimeSet(model, 0.0, 0.0);  // the instant of the breach
  set("initial_mass_kg", fromLibrary(VorlPipeMassInitial(model)));
  set("initial_release_rate_kg_per_s", fromLibrary(VorlPipeExitFlux(model)));
  double velocity = 0.0, temperature = 0.0, liquid = 0.0, drop = 0.0;
  VorlPipePostFlash(model, &velocity, &temperature, &liquid, &drop);
  set("postflash_temperature_K", fromLibrary(temperature));
  set("postflash_velocity_m_per_s", fromLibrary(velocity));
  set("postflash_liquid_fraction", fromLibrary(liquid));
  set("postflash_drop_size_m", fromLibrary(drop));

  if (result.hasA) {
    set("a_time_to_dechoke_s", fromLibrary(VorlBranchATimeToDechoke(model)));
    set("a_time_to_disturb_entire_branch_s", fromLibrary(VorlBranchATimeToDisturbEntireFlow(model)));
    set("a_time_to_depressurise_s", fromLibrary(VorlBranchATimeToDepressurise(model)));
  }
  if (result.hasB) {
    set("b_time_to_dechoke_s", fromLibrary(VorlBranchBTimeToDechoke(model)));
    set("b_time_to_disturb_entire_branch_s", fromLibrary(VorlBranchBTimeToDisturbEntireFlow(model)));
    set("b_time_to_flow_reversal_s", fromLibrary(VorlBranchBTimeToFlowReversal(model)));
    set("b_time_to_depressurise_s", fromLibrary(VorlBranchBTimeToDepressurise(model)));
  }

  const struct {
    const char* name;
    double time;
  } marks[] = {{"mass_released_1min_kg", 60.0}, {"mass_released_10min_kg", 600.0}, {"mass_released_1h_kg", 3600.0}};
  for (const auto& mark : marks) {
    VorlPipeTimeSet(model, mark.time, kLookupTolerance * mark.time);
    set(mark.name, massExpelledNow(model));
  }
  const double end = VorlPipeTimeMax(model);
  set("end_time_s", end);
  VorlPipeTimeSet(model, end, kLookupTolerance * end);
  set("mass_released_end_kg", massExpelledNow(model));
  set("mass_trapped_end_kg", fromLibrary(VorlPipeMassTrapped(model)));
  return s;
}

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

const std::vector<Column>& branchColumns() { return kBranchColumns; }
const std::vector<Column>& pipeColumns() { return kPipeColumns; }
const std::vector<Column>& summaryFields() { return kSummaryFields; }

double summaryValue(const CaseResult& result, const std::string& name) {
  const std::size_t i = fieldIndex(name);
  return i < result.summary.size() ? result.summary[i] : kNotAvailable;
}

bool checkCaseValues(const Case& c, CaseFailure& failure) {
  ReportCapture capture;
  const CheckArrays arrays = checkArraysOf(c);
  const int code = runCheck(arrays, arrays.valveCount);
  if (code == 0) return holeDiameterWithinBore(c, failure) && valvesWithinPipe(c, failure);
  const Report* report = capture.firstErrorSince(0);
  const CaseKey* key = caseKeyForInput(inputOfCheckCode(code));
  failure.status = kExitCaseValue;
  failure.message = report != nullptr ? report->message : "refused by the library's check (code " + std::to_string(code) + ")";
  if (key == nullptr) {
    failure.key.clear();
  } else if (key->kind == KeyKind::kValves) {
    failure.key = valveKey(arrays, code, *key);
  } else {
    failure.key = key->name;
  }
  restateInHoleTerms(c, failure);
  return false;
}

CaseResult runCase(const Case& c, bool withTables) {
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
      result.summary = summaryOf(model, result);
      if (withTables) {
        if (result.hasA) result.branchA = branchTable(model, kBranchA);
        if (result.hasB) result.branchB = branchTable(model, kBranchB);
        result.pipe = pipeTable(model, c);
      }
      const bool stepped = !withTables || readSteppedTable(model, c, result);
      result.ok = stepped && !failed(capture, mark, kExitRunFailed, "", result);
    }
  }
  VorlModelDelete(&model);
  result.reports = capture.reports();
  return result;
}

}  // namespace brimlow
