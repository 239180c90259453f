#include "table_step.h"

#include <cmath>

#include "case_units.h"
#include "numbers.h"
#include "status.h"
#include "tables.h"

namespace brimlow {
namespace {

// Each time is looked up to within this fraction of itself: a tenth of the
// last of the six figures shown, so that the row is the state at the time
// written in its first column.
constexpr double kLookupTolerance = 1e-7;

std::string csvNumber(double value) {
  if (std::isnan(value)) return "";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return significantText(value, kSteppedTableDigits);
}

// The smallest step that keeps the table within its rows, rounded up to three
// significant figures.
double smallestStep(double end) {
  const double step = end / static_cast<double>(kSteppedTableMostRows - 1);
  const double unit = std::pow(10.0, std::floor(std::log10(step)) - 2.0);
  return std::ceil(step / unit) * unit;
}

}  // namespace

bool hasTableStep(const Case& c) { return !std::isnan(c.tableStep); }

bool tableStepValid(double step, std::string& problem) {
  if (std::isfinite(step) && step > 0.0) return true;
  problem = "the table step " + plainText(step) + " s is not above 0 s";
  return false;
}

std::size_t steppedRowCount(double step, double end) {
  if (!(end >= 0.0)) return 1;
  const double steps = std::floor(end / step);
  if (!(steps < static_cast<double>(kSteppedTableMostRows))) return kSteppedTableMostRows + 1;
  // The quotient is rounded: the last time must not pass the end, the next
  // one must.
  auto count = static_cast<std::size_t>(steps) + 1;
  while (count > 1 && static_cast<double>(count - 1) * step > end) --count;
  while (count <= kSteppedTableMostRows && static_cast<double>(count) * step <= end) ++count;
  return count;
}

std::string steppedTableFileName(double step) { return "pipe-every-" + plainText(step) + "s.csv"; }

bool readSteppedTable(VorlHandle model, const Case& c, double end, CaseResult& result) {
  if (!hasTableStep(c)) return true;
  const double step = c.tableStep;
  const std::size_t count = steppedRowCount(step, end);
  if (count > kSteppedTableMostRows) {
    result.failure = {kExitCaseValue, kTableStepKey,
                      "a step of " + plainText(step) + " s up to the end of the history at " +
                          significantText(end, 6) + " s gives " + significantText(std::floor(end / step) + 1.0, 6) +
                          " rows, more than the " + std::to_string(kSteppedTableMostRows) +
                          " a table takes: take a step of at least " + significantText(smallestStep(end), 3) + " s"};
    return false;
  }
  std::vector<double> times(count), tolerances(count);
  for (std::size_t k = 0; k < count; ++k) {
    times[k] = static_cast<double>(k) * step;
    tolerances[k] = kLookupTolerance * times[k];
  }
  result.pipeStepped = pipeTableAt(model, times, tolerances);
  // A row stands under the time asked for; the lookup's own time is within
  // the tolerance of it (or 0.0 where no branch is active).
  for (std::size_t k = 0; k < result.pipeStepped.rows.size(); ++k) result.pipeStepped.rows[k][0] = times[k];
  return true;
}

std::string steppedTableCsv(const Table& table) {
  std::string text;
  for (const Column& column : pipeColumns()) text += (text.empty() ? "" : ",") + std::string(column.name);
  text += '\n';
  for (const auto& row : table.rows) {
    for (std::size_t j = 0; j < row.size(); ++j) text += (j > 0 ? "," : "") + csvNumber(row[j]);
    text += '\n';
  }
  return text;
}

}  // namespace brimlow
