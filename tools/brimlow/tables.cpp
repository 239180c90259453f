#include "tables.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "library_text.h"
#include "numbers.h"
#include "vorl.h"

namespace brimlow {
namespace {


constexpr double kNotAvailable = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// VorlReleaseCurveRange writes start, end and each branch's carried-from time.
constexpr int kReleaseCurveRangeCount = 4;

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

}  // namespace

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
Table pipeGridTable(VorlHandle model, int count) {
  const ColumnChoice& choice = pipeChoice();
  const int rows = VorlPipeGridTableFill(model, count, nullptr, 0);
  if (rows <= 0) return {};
  std::vector<double> values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(choice.width));
  const int written = VorlPipeGridTableFill(model, count, values.data(), rows);
  return tableOf(values, written, choice);
}

ReleaseCurve releaseCurveOf(VorlHandle model, int count) {
  ReleaseCurve curve;
  const int width = VorlReleaseCurveColumnCount();
  const int rows = VorlReleaseCurveFill(model, count, nullptr, 0);
  double range[kReleaseCurveRangeCount] = {};
  VorlReleaseCurveRange(model, count, range);
  curve.start = range[0];
  curve.end = range[1];
  curve.carriedFromA = range[2];
  curve.carriedFromB = range[3];
  if (rows <= 0 || width <= 0) return curve;
  std::vector<double> values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(width));
  const int written = VorlReleaseCurveFill(model, count, values.data(), rows);
  for (int i = 0; i < written; ++i) {
    const auto row = values.begin() + static_cast<std::ptrdiff_t>(i) * width;
    curve.points.rows.emplace_back(row, row + width);
  }
  return curve;
}


Table pipeTableAt(VorlHandle model, const std::vector<double>& times, const std::vector<double>& tolerances) {
  const ColumnChoice& choice = pipeChoice();
  const int count = static_cast<int>(times.size());
  std::vector<double> values(times.size() * static_cast<std::size_t>(choice.width));
  const int written = VorlPipeTableFill(model, times.data(), count, tolerances.data(),
                                        static_cast<int>(tolerances.size()), values.data(), count);
  return tableOf(values, written, choice);
}

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

const std::vector<Column>& branchColumns() { return branchChoice().columns; }
const std::vector<Column>& pipeColumns() { return pipeChoice().columns; }
const std::vector<Column>& summaryFields() { return reportChoice().columns; }

double summaryValue(const CaseResult& result, const std::string& name) {
  const std::size_t i = fieldIndex(name);
  return i < result.summary.size() ? result.summary[i] : kNotAvailable;
}


}  // namespace brimlow
