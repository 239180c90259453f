#include "reference.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "library_text.h"
#include "numbers.h"
#include "status.h"
#include "tables.h"

namespace brimlow {
namespace {

constexpr double kNotAvailable = std::numeric_limits<double>::quiet_NaN();

// The fast model's values at an instant are looked up to within this
// fraction of its time, as its release report looks them up.
constexpr double kLookupTolerance = 1e-6;

// Codes of the library's reference run that the tool tells apart: a run the
// progress callback stopped, a real gas without a gas phase at a pressure of
// the case, a solution that broke down and one that reached its bound of
// steps. Every other refusal concerns the case.
constexpr int kCodeCancelled = VORL_E_REFERENCE_CANCELLED;
constexpr int kCodeNoGasPhase = VORL_E_REFERENCE_NOT_GAS;
constexpr int kCodeBrokeDown = VORL_E_REFERENCE_FAILED;
constexpr int kCodeStepBound = VORL_E_STEP_BOUND;

struct InstantTime {
  const char* mark;
  const char* label;
  double time;  // s; the end's is set per run
};

constexpr double kAtEnd = -1.0;

const InstantTime kInstants[] = {{"breach", "at the breach", 0.0},      {"10s", "after 10 s", 10.0},
                                 {"1min", "after 1 min", 60.0},         {"10min", "after 10 min", 600.0},
                                 {"1h", "after 1 h", 3600.0},           {"end", "at the end", kAtEnd}};

double instantTime(const InstantTime& instant, double end) { return instant.time == kAtEnd ? end : instant.time; }

std::size_t columnIndex(const std::vector<Column>& columns, const char* name) {
  for (std::size_t j = 0; j < columns.size(); ++j) {
    if (columns[j].name == name) return j;
  }
  return columns.size();
}

Table referenceTable(VorlHandle model) {
  const std::size_t width = referenceColumns().size();
  const int rows = VorlReferenceTableFill(model, nullptr, 0);
  std::vector<double> values(static_cast<std::size_t>(std::max(rows, 0)) * width);
  const int written = VorlReferenceTableFill(model, values.data(), rows);
  Table table;
  for (int i = 0; i < written; ++i) {
    const auto row = values.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(i) * width);
    table.rows.emplace_back(row, row + static_cast<std::ptrdiff_t>(width));
  }
  return table;
}

// The reference's row at exactly this time (each instant is a report time),
// or null past its end.
const std::vector<double>* rowAt(const Table& table, double time) {
  for (const auto& row : table.rows) {
    if (row[0] == time) return &row;
  }
  return nullptr;
}

// The fast model and the reference at each instant. The fast model's rate
// at the breach instant is its initial release rate (its table's row at 0
// is the pipe before the breach).
std::vector<ReferenceInstant> instantsOf(VorlHandle model, const CaseResult& result, const Table& table,
                                         double end) {
  std::vector<double> times, tolerances;
  for (const InstantTime& instant : kInstants) {
    times.push_back(instantTime(instant, end));
    tolerances.push_back(kLookupTolerance * times.back());
  }
  const Table fast = pipeTableAt(model, times, tolerances);
  const std::size_t fastRate = columnIndex(pipeColumns(), "exit_flux_kg_per_s");
  const std::size_t fastMass = columnIndex(pipeColumns(), "mass_expelled_kg");
  const std::size_t rate = columnIndex(referenceColumns(), "release_rate_kg_per_s");
  const std::size_t mass = columnIndex(referenceColumns(), "mass_released_kg");
  std::vector<ReferenceInstant> instants;
  for (std::size_t k = 0; k < times.size(); ++k) {
    const InstantTime& instant = kInstants[k];
    ReferenceInstant figures{instant.mark, instant.label, times[k], kNotAvailable, kNotAvailable,
                             kNotAvailable, kNotAvailable};
    if (times[k] == 0.0) {
      figures.fastRate = summaryValue(result, "initial_release_rate_kg_per_s");
      figures.fastMass = 0.0;
    } else if (k < fast.rows.size()) {
      figures.fastRate = fast.rows[k][fastRate];
      figures.fastMass = fast.rows[k][fastMass];
    }
    if (const std::vector<double>* row = rowAt(table, times[k])) {
      figures.rate = (*row)[rate];
      figures.mass = (*row)[mass];
    }
    instants.push_back(figures);
  }
  return instants;
}

int VORL_CALL onProgress(double fraction, void* user) {
  return static_cast<ReferenceWatch*>(user)->proceed(fraction) ? 1 : 0;
}

void failWith(const Report* error, const Case& c, CaseFailure& failure) {
  const int code = error != nullptr ? error->code : 0;
  failure.key = code == kCodeNoGasPhase                        ? "real_gas"
                : code == VORL_E_INVALID_REFERENCE_END_TIME ? "reference_end"
                : c.model == 1.0                            ? "model"
                                                            : "reference";
  failure.message = error != nullptr ? error->message : "the reference run gave no result";
  if (code == kCodeCancelled) {
    failure.status = kExitCancelled;
  } else if (code == kCodeBrokeDown || code == kCodeStepBound || error == nullptr) {
    failure.status = kExitRunFailed;
  } else {
    failure.status = kExitCaseValue;
  }
}

}  // namespace

const std::vector<Column>& referenceColumns() {
  static const std::vector<Column> columns = [] {
    std::vector<Column> all;
    for (int j = 0; j < VorlReferenceTableColumnCount(); ++j) {
      all.push_back({libraryText(VorlReferenceTableColumnName, j), libraryText(VorlReferenceTableColumnUnit, j), "",
                     false});
    }
    return all;
  }();
  return columns;
}

std::vector<double> referenceReportTimes(double end) {
  std::vector<double> times(static_cast<std::size_t>(std::max(VorlModelReportTimes(end, nullptr, 0), 0)));
  const int count = VorlModelReportTimes(end, times.data(), static_cast<int>(times.size()));
  times.resize(static_cast<std::size_t>(std::max(count, 0)));
  return times;
}

bool runReference(VorlHandle model, const Case& c, ReferenceWatch* watch, const ReportCapture& capture,
                  CaseResult& result) {
  const std::size_t mark = capture.reports().size();
  VorlReferenceRealGasSet(model, c.realGas != 0.0 ? 1 : 0);
  if (hasReferenceEnd(c)) VorlReferenceEndTimeSet(model, c.referenceEnd);
  const double end = VorlReferenceEndTime(model);
  const std::vector<double> times = referenceReportTimes(end);
  VorlReferenceReportTimesSet(model, times.data(), static_cast<int>(times.size()));
  const int rows = VorlReferenceRun(model, watch != nullptr ? onProgress : nullptr, watch);
  const Report* error = capture.firstErrorSince(mark);
  if (rows <= 0 || error != nullptr) {
    failWith(error, c, result.failure);
    return false;
  }
  ReferenceResult& reference = result.reference;
  reference.ran = true;
  reference.endTime = end;
  reference.realGas = VorlReferenceRealGas(model) != 0;
  reference.table = referenceTable(model);
  reference.instants = instantsOf(model, result, reference.table, end);
  return true;
}

}  // namespace brimlow
