#include "results/release_curve.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/constants.h"
#include "model/vorl.h"
#include "results/branch_table.h"
#include "results/pipe_table.h"
#include "results/reference_answer.h"
#include "run/output_grid.h"

namespace vorl {
namespace {

constexpr TableColumn kColumns[] = {
    {"series", "", "the curve the point belongs to: 0 the pipe as a whole, 1 branch A, 2 branch B", kLibraryOnly},
    {"time_s", "s", "time since the breach (0: its instant, drawn at the start of a logarithmic axis)", kLibraryOnly},
    {"release_rate_kg_per_s", "kg/s", "release rate through the breach", kLibraryOnly},
    {"mass_released_kg", "kg", "mass released since the breach", kLibraryOnly},
};
static_assert(std::size(kColumns) == static_cast<std::size_t>(CurveColumn::kCount), "one column per value");

// A logarithmic time axis starts at the decade below the first time after
// the breach, but spans at most six decades: a branch of a metre finishes in
// microseconds and would squeeze the rest.
constexpr double kDecade = 10.0;
constexpr double kTimeSpan = 1e6;
// A steady rate carried to the end is a straight line that a logarithmic
// axis bends: drawn through this many points a decade.
constexpr double kPointsPerDecade = 10.0;
// Records within this fraction of the end belong to the curve.
constexpr double kEndTolerance = 1e-9;

struct Point {
  double time, rate, mass;
};

struct Series {
  std::vector<Point> points;
  double carriedFrom = kInfinite;  // s: not carried
};

// A point after the breach up to the end; false once past the end.
bool addPoint(Series& s, double time, double rate, double mass, double end) {
  if (time > end * (1.0 + kEndTolerance)) return false;
  if (time >= 0.0 && std::isfinite(rate) && std::isfinite(mass)) s.points.push_back({time, rate, mass});
  return true;
}

// As the library's look-up beyond the last record: a finished branch stays
// at its last rate (zero), a branch fed by the supply holds its last rate,
// and what it releases grows by what the supply feeds in (feed, kg/s).
void carryToEnd(Series& s, double end, double feed) {
  if (s.points.empty() || s.points.back().time >= end) return;
  const Point last = s.points.back();
  if (feed > 0.0) s.carriedFrom = last.time;
  const double step = std::pow(kDecade, 1.0 / kPointsPerDecade);
  const auto carried = [&](double t) { return Point{t, last.rate, last.mass + feed * (t - last.time)}; };
  for (double t = std::max(last.time, end / kTimeSpan) * step; t < end; t *= step) s.points.push_back(carried(t));
  s.points.push_back(carried(end));
}

double cell(const std::vector<double>& table, std::size_t columns, std::size_t row, int column) {
  return table[row * columns + static_cast<std::size_t>(column)];
}

// A branch's records from the instant of the breach (row 0 is the steady
// flow before it), carried to the end.
Series branchSeries(const VORL& model, BranchId branch, double end) {
  Series s;
  const int rows = branchTableRows(model, branch);
  if (rows <= 0) return s;
  const std::size_t columns = branchTableColumns().count;
  std::vector<double> table(static_cast<std::size_t>(rows) * columns);
  fillBranchTable(model, branch, rows, table.data());
  const auto at = [&](std::size_t row, BranchColumn c) { return cell(table, columns, row, static_cast<int>(c)); };
  double feed = 0.0;
  for (std::size_t i = 1; i < static_cast<std::size_t>(rows); ++i) {
    if (isInfinite(at(i, BranchColumn::kTime))) {
      feed = std::max(at(i - 1, BranchColumn::kUpstreamFlux), 0.0);
      break;
    }
    if (!addPoint(s, at(i, BranchColumn::kTime), at(i, BranchColumn::kExitFlux), at(i, BranchColumn::kMassExpelled),
                  end)) {
      break;
    }
  }
  carryToEnd(s, end, feed);
  return s;
}

// The pipe grid table of the chosen model (row 0 is the pipe before the breach).
std::vector<double> gridTable(VORL& model, int count, int& rows) {
  const bool reference = model.modelChoice() == ModelChoice::kReference;
  rows = reference ? referencePipeGridRows(model, count) : definePipeGrid(model, count);
  std::vector<double> table(static_cast<std::size_t>(rows) * pipeTableColumns().count);
  if (rows > 0) {
    if (reference) {
      fillReferencePipeGrid(model, count, rows, table.data());
    } else {
      fillPipeGridTable(model, rows, table.data());
    }
  }
  return table;
}

Series totalSeries(const std::vector<double>& table, int rows, double end) {
  Series s;
  const std::size_t columns = pipeTableColumns().count;
  const auto at = [&](std::size_t row, PipeColumn c) { return cell(table, columns, row, static_cast<int>(c)); };
  for (std::size_t i = 1; i < static_cast<std::size_t>(rows); ++i) {
    if (!addPoint(s, at(i, PipeColumn::kTime), at(i, PipeColumn::kExitFlux), at(i, PipeColumn::kMassExpelled),
                  end)) {
      break;
    }
  }
  return s;
}

double lastFiniteTime(const std::vector<double>& table, int rows) {
  const std::size_t columns = pipeTableColumns().count;
  double last = 0.0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(rows); ++i) {
    const double t = cell(table, columns, i, static_cast<int>(PipeColumn::kTime));
    if (std::isfinite(t) && !isInfinite(t)) last = std::max(last, t);
  }
  return last;
}

double startOf(const std::vector<const Series*>& all, double end) {
  double first = end;
  for (const Series* s : all) {
    for (const Point& p : s->points) {
      if (p.time > 0.0) {
        first = std::min(first, p.time);
        break;
      }
    }
  }
  const double start = std::pow(kDecade, std::floor(std::log10(std::max(first, end / kTimeSpan))));
  return start < end ? start : end / kDecade;
}

void append(std::vector<double>& rows, CurveSeries series, const Series& s) {
  for (const Point& p : s.points) {
    rows.insert(rows.end(), {static_cast<double>(series), p.time, p.rate, p.mass});
  }
}

}  // namespace

ColumnList releaseCurveColumns() noexcept { return columnListOf<kColumns>(); }

ReleaseCurve releaseCurve(VORL& model, int count) {
  int gridRows = 0;
  const std::vector<double> grid = gridTable(model, count, gridRows);
  // The end of the finite history; the chosen reference's own last time.
  const bool reference = model.modelChoice() == ModelChoice::kReference;
  const double finite = reference ? 0.0 : pipeTimeMax(model);
  const double end = finite > 0.0 && !isInfinite(finite) ? finite : lastFiniteTime(grid, gridRows);
  const Series total = totalSeries(grid, gridRows, end);
  const Series a = model.branchAExists() ? branchSeries(model, BranchId::kA, end) : Series{};
  const Series b = model.branchBExists() ? branchSeries(model, BranchId::kB, end) : Series{};
  ReleaseCurve curve;
  curve.range = {startOf({&total, &a, &b}, end), end, a.carriedFrom, b.carriedFrom};
  append(curve.rows, CurveSeries::kTotal, total);
  append(curve.rows, CurveSeries::kBranchA, a);
  append(curve.rows, CurveSeries::kBranchB, b);
  return curve;
}

}  // namespace vorl
