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
#include "vorl.h"

namespace brimlow {
namespace {

constexpr double kNotAvailable = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The library's tables, read by index: their column texts and fills.
using ColumnText = int(VORL_CALL*)(int, char*, int);

struct LibraryTable {
  int(VORL_CALL* count)();
  ColumnText name, unit, meaning;
};

const LibraryTable kBranchTable = {VorlBranchTableColumnCount, VorlBranchTableColumnName, VorlBranchTableColumnUnit,
                                   VorlBranchTableColumnMeaning};
const LibraryTable kPipeTable = {VorlPipeTableColumnCount, VorlPipeTableColumnName, VorlPipeTableColumnUnit,
                                 VorlPipeTableColumnMeaning};
const LibraryTable kReport = {VorlReleaseReportColumnCount, VorlReleaseReportColumnName,
                              VorlReleaseReportColumnUnit, VorlReleaseReportColumnMeaning};

// The library's columns that a CSV shows, in their order; the regime is the
// one integer among them.
struct ColumnChoice {
  std::vector<Column> columns;
  std::vector<int> source;  // each shown column's index in the library's table
  int width = 0;            // the library table's column count
};

ColumnChoice chooseColumns(const LibraryTable& table, const std::vector<const char*>& names) {
  ColumnChoice choice;
  choice.width = table.count();
  for (const char* name : names) {
    for (int j = 0; j < choice.width; ++j) {
      if (libraryText(table.name, j) != name) continue;
      choice.columns.push_back(
          {name, libraryText(table.unit, j), libraryText(table.meaning, j), std::string(name) == "regime"});
      choice.source.push_back(j);
    }
  }
  return choice;
}

ColumnChoice allColumns(const LibraryTable& table) {
  ColumnChoice choice;
  choice.width = table.count();
  for (int j = 0; j < choice.width; ++j) {
    choice.columns.push_back(
        {libraryText(table.name, j), libraryText(table.unit, j), libraryText(table.meaning, j), false});
    choice.source.push_back(j);
  }
  return choice;
}

// A branch's CSV: the per-record quantities of the library's branch table
// but the flux densities and the infinity flags, which its infinities show.
const ColumnChoice& branchChoice() {
  static const ColumnChoice choice = chooseColumns(
      kBranchTable, {"time_s", "regime", "upstream_pressure_Pa", "upstream_flux_kg_per_s", "upstream_velocity_m_per_s",
                     "exit_pressure_Pa", "exit_flux_kg_per_s", "exit_velocity_m_per_s", "orifice_flux_kg_per_s",
                     "orifice_velocity_m_per_s", "mass_kg", "mass_in_pipe_kg", "mass_trapped_kg", "mass_expelled_kg",
                     "length_disturbed_m", "length_to_pressure_peak_m", "postflash_temperature_K",
                     "postflash_velocity_m_per_s", "postflash_liquid_fraction", "postflash_drop_size_m"});
  return choice;
}

// The pipe's CSV: the library's pipe table but the orifice's flux density
// and velocity.
const ColumnChoice& pipeChoice() {
  static const ColumnChoice choice = chooseColumns(
      kPipeTable, {"time_s", "exit_flux_kg_per_s", "exit_velocity_m_per_s", "mass_kg", "mass_in_pipe_kg",
                   "mass_trapped_kg", "mass_expelled_kg", "postflash_temperature_K", "postflash_velocity_m_per_s",
                   "postflash_liquid_fraction", "postflash_drop_size_m"});
  return choice;
}

const ColumnChoice& reportChoice() {
  static const ColumnChoice choice = allColumns(kReport);
  return choice;
}

std::size_t fieldIndex(const std::string& name) {
  const std::vector<Column>& fields = reportChoice().columns;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (name == fields[i].name) return i;
  }
  return fields.size();
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

// ---- results ----

// The rows of a library table (rows x its width, row-major) as the CSV shows
// them: the chosen columns, the library's 1e128 as +inf. A column with an
// infinity flag beside it takes +inf where the flag is set.
Table tableOf(const std::vector<double>& values, int rows, const ColumnChoice& choice,
              const std::vector<std::pair<int, int>>& flagged = {}) {
  Table table;
  for (int i = 0; i < rows; ++i) {
    const double* row = values.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(choice.width);
    std::vector<double> shown;
    for (int j : choice.source) {
      double value = fromLibrary(row[j]);
      for (const auto& [column, flag] : flagged) {
        if (column == j && row[flag] != 0.0) value = kInfinity;
      }
      shown.push_back(value);
    }
    table.rows.push_back(std::move(shown));
  }
  return table;
}

int libraryColumn(const LibraryTable& table, const char* name) {
  for (int j = 0; j < table.count(); ++j) {
    if (libraryText(table.name, j) == name) return j;
  }
  return -1;
}

Table branchTable(VorlHandle model, int branch) {
  const ColumnChoice& choice = branchChoice();
  const int rows = VorlBranchTableFill(model, branch, nullptr, 0);
  std::vector<double> values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(choice.width));
  const int written = VorlBranchTableFill(model, branch, values.data(), rows);
  static const std::vector<std::pair<int, int>> flagged = {
      {libraryColumn(kBranchTable, "time_s"), libraryColumn(kBranchTable, "time_is_infinite")},
      {libraryColumn(kBranchTable, "mass_expelled_kg"), libraryColumn(kBranchTable, "mass_expelled_is_infinite")}};
  return tableOf(values, written, choice, flagged);
}

// The pipe-level table at the output times, as the one-call entry walks
// them (the library's grid table).
Table pipeTable(VorlHandle model, const Case& c) {
  const ColumnChoice& choice = pipeChoice();
  const int count = std::min(asInt(c.timeDivision), asInt(c.outputSteps));
  const int rows = VorlPipeGridTableFill(model, count, nullptr, 0);
  if (rows <= 0) return {};
  std::vector<double> values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(choice.width));
  const int written = VorlPipeGridTableFill(model, count, values.data(), rows);
  return tableOf(values, written, choice);
}

}  // namespace

Table pipeTableAt(VorlHandle model, const std::vector<double>& times, const std::vector<double>& tolerances) {
  const ColumnChoice& choice = pipeChoice();
  const int count = static_cast<int>(times.size());
  std::vector<double> values(times.size() * static_cast<std::size_t>(choice.width));
  const int written = VorlPipeTableFill(model, times.data(), count, tolerances.data(),
                                        static_cast<int>(tolerances.size()), values.data(), count);
  return tableOf(values, written, choice);
}

namespace {

// The library's release report: its infinities are +inf and the fields that
// do not apply NaN already.
std::vector<double> summaryOf(VorlHandle model) {
  std::vector<double> s(reportChoice().columns.size(), kNotAvailable);
  if (VorlReleaseReportFill(model, s.data(), 1) != 1) std::fill(s.begin(), s.end(), kNotAvailable);
  return s;
}

std::vector<RunEvent> eventsOf(VorlHandle model) {
  const int count = VorlEventCount(model);
  if (count <= 0) return {};
  std::vector<int> kinds(static_cast<std::size_t>(count)), branches(kinds.size());
  std::vector<double> times(kinds.size()), positions(kinds.size());
  const int written = VorlEventsFill(model, kinds.data(), branches.data(), times.data(), positions.data(), count);
  std::vector<RunEvent> events;
  for (std::size_t i = 0; i < static_cast<std::size_t>(std::max(written, 0)); ++i) {
    events.push_back({kinds[i], branches[i] == VORL_BRANCH_A, times[i], positions[i]});
  }
  return events;
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

const std::vector<Column>& branchColumns() { return branchChoice().columns; }
const std::vector<Column>& pipeColumns() { return pipeChoice().columns; }
const std::vector<Column>& summaryFields() { return reportChoice().columns; }

double summaryValue(const CaseResult& result, const std::string& name) {
  const std::size_t i = fieldIndex(name);
  return i < result.summary.size() ? result.summary[i] : kNotAvailable;
}

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
        result.pipe = pipeTable(model, c);
        result.events = eventsOf(model);
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

}  // namespace brimlow
