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
  VorlBool(VORL_CALL* shown)(int);  // whether the CSV shows a column; null: every one
};

const LibraryTable kBranchTable = {VorlBranchTableColumnCount, VorlBranchTableColumnName, VorlBranchTableColumnUnit,
                                   VorlBranchTableColumnMeaning, VorlBranchTableColumnShown};
const LibraryTable kPipeTable = {VorlPipeTableColumnCount, VorlPipeTableColumnName, VorlPipeTableColumnUnit,
                                 VorlPipeTableColumnMeaning, VorlPipeTableColumnShown};
const LibraryTable kReport = {VorlReleaseReportColumnCount, VorlReleaseReportColumnName,
                              VorlReleaseReportColumnUnit, VorlReleaseReportColumnMeaning, nullptr};

// The library's columns that a CSV shows, in their order, as the library
// marks them; the regime is the one integer among them.
struct ColumnChoice {
  std::vector<Column> columns;
  std::vector<int> source;  // each shown column's index in the library's table
  int width = 0;            // the library table's column count
};

ColumnChoice shownColumns(const LibraryTable& table) {
  ColumnChoice choice;
  choice.width = table.count();
  for (int j = 0; j < choice.width; ++j) {
    if (table.shown != nullptr && table.shown(j) == 0) continue;
    const std::string name = libraryText(table.name, j);
    choice.columns.push_back({name, libraryText(table.unit, j), libraryText(table.meaning, j), name == "regime"});
    choice.source.push_back(j);
  }
  return choice;
}

const ColumnChoice& branchChoice() {
  static const ColumnChoice choice = shownColumns(kBranchTable);
  return choice;
}

const ColumnChoice& pipeChoice() {
  static const ColumnChoice choice = shownColumns(kPipeTable);
  return choice;
}

const ColumnChoice& reportChoice() {
  static const ColumnChoice choice = shownColumns(kReport);
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
