// Results as tables: a whole table in one call, for hosts that pay for every
// call they make (a branch's 200 records of 25 quantities in one call rather
// than 5,000), with the names, units and meanings of its columns.
#include <algorithm>
#include <string>
#include <vector>

#include "interface/export_frame.h"
#include "interface/table_exports.h"
#include "results/branch_table.h"
#include "results/events.h"
#include "results/pipe_results.h"
#include "results/pipe_table.h"
#include "results/record_quantities.h"
#include "results/reference_answer.h"
#include "results/release_curve.h"
#include "results/release_report.h"
#include "run/output_grid.h"

using namespace vorl;

namespace {

constexpr const char* kBranchTag = "VorlBranchTable";
constexpr const char* kPipeTag = "VorlPipeTable";
constexpr const char* kReportTag = "VorlReleaseReport";
constexpr const char* kEventsTag = "VorlEvents";
constexpr const char* kCurveTag = "VorlReleaseCurve";

// The release report is a table of one row.
constexpr int kReportRows = 1;

int columnText(ColumnList (*columns)(), int column, const char* TableColumn::*text, char* buffer, int size,
               const char* tag) {
  return guarded(-1, [&] { return copyColumnText(columns(), column, text, buffer, size, tag); });
}

VorlBool columnShown(ColumnList (*columns)(), int column, const char* tag) {
  return guarded(VorlBool{0}, [&] {
    const ColumnList list = columns();
    requireIndex(column, list.count, "column", "columns of the table", tag);
    return toVorlBool(list[column].shown == kToolCsv);
  });
}

int branchColumnText(int column, const char* TableColumn::*text, char* buffer, int size) {
  return columnText(branchTableColumns, column, text, buffer, size, kBranchTag);
}

int pipeColumnText(int column, const char* TableColumn::*text, char* buffer, int size) {
  return columnText(pipeTableColumns, column, text, buffer, size, kPipeTag);
}

int reportColumnText(int column, const char* TableColumn::*text, char* buffer, int size) {
  return columnText(releaseReportFields, column, text, buffer, size, kReportTag);
}

int curveColumnText(int column, const char* TableColumn::*text, char* buffer, int size) {
  return columnText(releaseCurveColumns, column, text, buffer, size, kCurveTag);
}

// Tolerances come one for every time (count 1) or one per time.
void checkToleranceCount(const double* tolerances, int toleranceCount, int timeCount) {
  if (toleranceCount != 1 && toleranceCount != timeCount) {
    throw VORLERROR(VORL_E_TOLERANCE_COUNT, kPipeTag,
                    "the tolerance count " + std::to_string(toleranceCount) + " is neither 1 nor the " +
                        std::to_string(timeCount) + " times");
  }
  if (tolerances == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kPipeTag, "the tolerances pointer is null");
}

// The reference solution is the model whose answer the results give.
bool referenceChosen(const VORL& m) { return m.modelChoice() == ModelChoice::kReference; }

// The pipe table at the host's times: every column (columns null) or those
// named; the reference's rows are laid out in full and the columns picked.
int pipeTableAt(VORL& m, const double* times, int timeCount, const double* tolerances, int toleranceCount,
                const int* columns, int columnCount, double* values, int maxRows) {
  checkRowArguments(values, maxRows, kPipeTag);
  if (timeCount < 0) {
    throw VORLERROR(VORL_E_ROW_COUNT, kPipeTag, "the time count " + std::to_string(timeCount) + " is below 0");
  }
  if (times == nullptr && timeCount > 0) throw VORLERROR(VORL_E_MISSING_DATA, kPipeTag, "the times pointer is null");
  if (timeCount == 0) return 0;
  checkToleranceCount(tolerances, toleranceCount, timeCount);
  const int rows = rowsToWrite(timeCount, values, maxRows);
  if (values == nullptr) return rows;
  checkPipeTableTimes(times, rows, tolerances, toleranceCount);
  if (!referenceChosen(m)) {
    fillPipeTableAt(m, times, tolerances, toleranceCount, rows, values, columns, columnCount);
  } else if (columns == nullptr) {
    fillReferencePipeTableAt(m, times, rows, values);
  } else {
    std::vector<double> row(pipeTableColumns().count);
    for (int i = 0; i < rows; ++i) {
      fillReferencePipeTableAt(m, times + i, 1, row.data());
      for (int j = 0; j < columnCount; ++j) {
        values[static_cast<std::size_t>(i) * columnCount + j] = row[static_cast<std::size_t>(columns[j])];
      }
    }
  }
  return rows;
}

std::vector<RunEvent> chosenEvents(const VORL& m) { return referenceChosen(m) ? referenceRunEvents(m) : runEvents(m); }

}  // namespace

extern "C" {

VORL_API int VORL_CALL VorlBranchTableColumnCount(void) {
  return guarded(0, [] { return static_cast<int>(branchTableColumns().count); });
}

VORL_API int VORL_CALL VorlBranchTableColumnName(int column, char* buffer, int size) {
  return branchColumnText(column, &TableColumn::name, buffer, size);
}

VORL_API int VORL_CALL VorlBranchTableColumnUnit(int column, char* buffer, int size) {
  return branchColumnText(column, &TableColumn::unit, buffer, size);
}

VORL_API int VORL_CALL VorlBranchTableColumnMeaning(int column, char* buffer, int size) {
  return branchColumnText(column, &TableColumn::meaning, buffer, size);
}

VORL_API VorlBool VORL_CALL VorlBranchTableColumnShown(int column) {
  return columnShown(branchTableColumns, column, kBranchTag);
}

VORL_API int VORL_CALL VorlBranchTableFill(VorlHandle model, int branch, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    checkRowArguments(values, maxRows, kBranchTag);
    const BranchId id = branchNamed(branch, kBranchTag);
    const int rows = rowsToWrite(branchTableRows(m, id), values, maxRows);
    if (values != nullptr) fillBranchTable(m, id, rows, values);
    return rows;
  });
}

VORL_API int VORL_CALL VorlPipeTableColumnCount(void) {
  return guarded(0, [] { return static_cast<int>(pipeTableColumns().count); });
}

VORL_API int VORL_CALL VorlPipeTableColumnName(int column, char* buffer, int size) {
  return pipeColumnText(column, &TableColumn::name, buffer, size);
}

VORL_API int VORL_CALL VorlPipeTableColumnUnit(int column, char* buffer, int size) {
  return pipeColumnText(column, &TableColumn::unit, buffer, size);
}

VORL_API int VORL_CALL VorlPipeTableColumnMeaning(int column, char* buffer, int size) {
  return pipeColumnText(column, &TableColumn::meaning, buffer, size);
}

VORL_API VorlBool VORL_CALL VorlPipeTableColumnShown(int column) {
  return columnShown(pipeTableColumns, column, kPipeTag);
}

VORL_API int VORL_CALL VorlPipeTableFill(VorlHandle model, const double* times, int timeCount,
                                         const double* tolerances, int toleranceCount, double* values,
                                         int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    return pipeTableAt(m, times, timeCount, tolerances, toleranceCount, nullptr, 0, values, maxRows);
  });
}

VORL_API int VORL_CALL VorlPipeTableColumnsFill(VorlHandle model, const double* times, int timeCount,
                                                const double* tolerances, int toleranceCount, const int* columns,
                                                int columnCount, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    checkPipeTableColumns(columns, columnCount);
    return pipeTableAt(m, times, timeCount, tolerances, toleranceCount, columns, columnCount, values, maxRows);
  });
}

VORL_API int VORL_CALL VorlPipeGridTableFill(VorlHandle model, int count, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    checkRowArguments(values, maxRows, kPipeTag);
    if (referenceChosen(m)) {
      const int rows = rowsToWrite(referencePipeGridRows(m, count), values, maxRows);
      if (values != nullptr) fillReferencePipeGrid(m, count, rows, values);
      return rows;
    }
    const int rows = rowsToWrite(definePipeGrid(m, count), values, maxRows);
    if (values != nullptr) fillPipeGridTable(m, rows, values);
    return rows;
  });
}

VORL_API int VORL_CALL VorlReleaseReportColumnCount(void) {
  return guarded(0, [] { return static_cast<int>(releaseReportFields().count); });
}

VORL_API int VORL_CALL VorlReleaseReportColumnName(int column, char* buffer, int size) {
  return reportColumnText(column, &TableColumn::name, buffer, size);
}

VORL_API int VORL_CALL VorlReleaseReportColumnUnit(int column, char* buffer, int size) {
  return reportColumnText(column, &TableColumn::unit, buffer, size);
}

VORL_API int VORL_CALL VorlReleaseReportColumnMeaning(int column, char* buffer, int size) {
  return reportColumnText(column, &TableColumn::meaning, buffer, size);
}

VORL_API int VORL_CALL VorlReleaseReportFill(VorlHandle model, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    checkRowArguments(values, maxRows, kReportTag);
    if (referenceChosen(m)) {
      requireReferenceResult(m, kReportTag);
      const int rows = rowsToWrite(kReportRows, values, maxRows);
      if (values != nullptr && rows > 0) fillReferenceReleaseReport(m, values);
      return rows;
    }
    pipeTimeMax(m);  // refused before a run (3 "BAFH"): no report without one
    const int rows = rowsToWrite(kReportRows, values, maxRows);
    if (values != nullptr && rows > 0) fillReleaseReport(m, values);
    return rows;
  });
}

VORL_API double VORL_CALL VorlPipeBranchExitFlux(VorlHandle model, int branch) {
  return withModel(model, 0.0, [&](VORL& m) {
    const BranchId id = branchNamed(branch, "VorlPipeBranchExitFlux");
    const PipeTimeState& state = requireTimeSetting(m);
    const PipeTimeState::Branch& kept = id == BranchId::kA ? state.a : state.b;
    return kept.contributes() ? exitFluxOf(*kept.currentRecord, id) : 0.0;
  });
}

VORL_API int VORL_CALL VorlEventCount(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) { return static_cast<int>(chosenEvents(m).size()); });
}

VORL_API int VORL_CALL VorlEventsFill(VorlHandle model, int* kinds, int* branches, double* times,
                                      double* valvePositions, int maxEvents) {
  return withModel(model, 0, [&](VORL& m) {
    if (maxEvents < 0) {
      throw VORLERROR(VORL_E_ROW_COUNT, kEventsTag, "the event count " + std::to_string(maxEvents) + " is below 0");
    }
    if (maxEvents > 0 && (kinds == nullptr || branches == nullptr || times == nullptr || valvePositions == nullptr)) {
      throw VORLERROR(VORL_E_MISSING_DATA, kEventsTag, "an output pointer is null");
    }
    const std::vector<RunEvent> events = chosenEvents(m);
    const int count = std::min(static_cast<int>(events.size()), maxEvents);
    for (int i = 0; i < count; ++i) {
      const RunEvent& event = events[static_cast<std::size_t>(i)];
      kinds[i] = event.kind;
      branches[i] = event.branch == BranchId::kA ? VORL_BRANCH_A : VORL_BRANCH_B;
      times[i] = event.time;
      valvePositions[i] = event.valvePosition;
    }
    return count;
  });
}

VORL_API int VORL_CALL VorlReleaseCurveColumnCount(void) {
  return guarded(0, [] { return static_cast<int>(releaseCurveColumns().count); });
}

VORL_API int VORL_CALL VorlReleaseCurveColumnName(int column, char* buffer, int size) {
  return curveColumnText(column, &TableColumn::name, buffer, size);
}

VORL_API int VORL_CALL VorlReleaseCurveColumnUnit(int column, char* buffer, int size) {
  return curveColumnText(column, &TableColumn::unit, buffer, size);
}

VORL_API int VORL_CALL VorlReleaseCurveColumnMeaning(int column, char* buffer, int size) {
  return curveColumnText(column, &TableColumn::meaning, buffer, size);
}

VORL_API int VORL_CALL VorlReleaseCurveFill(VorlHandle model, int count, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    checkRowArguments(values, maxRows, kCurveTag);
    const ReleaseCurve curve = releaseCurve(m, count);
    const int rows = rowsToWrite(curve.rowCount(), values, maxRows);
    if (values != nullptr) {
      std::copy_n(curve.rows.begin(), static_cast<std::size_t>(rows) * releaseCurveColumns().count, values);
    }
    return rows;
  });
}

VORL_API void VORL_CALL VorlReleaseCurveRange(VorlHandle model, int count, double* range) {
  withModel(model, [&](VORL& m) {
    if (range == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kCurveTag, "the range pointer is null");
    const CurveRange r = releaseCurve(m, count).range;
    const double values[] = {r.start, r.end, r.carriedFromA, r.carriedFromB};
    std::copy(std::begin(values), std::end(values), range);
  });
}

}  // extern "C"
