#pragma once

#include <vector>

#include "results/table_column.h"

namespace vorl {

class VORL;

// The release curve of a run as a host draws it: the release rate and the
// mass released against time for the pipe as a whole (the pipe grid table,
// the chosen model's) and for each branch (its records), from the instant of
// the breach to the end of the finite history, with what is carried past a
// branch's last record and where a logarithmic time axis should show it.
// Hosts only draw: a point of time 0 (the instant of the breach) belongs at
// the axis' start.

enum class CurveColumn : int { kSeries, kTime, kRate, kMass, kCount };

// The series a row belongs to (the values of its first column).
enum class CurveSeries : int { kTotal = 0, kBranchA = 1, kBranchB = 2 };

ColumnList releaseCurveColumns() noexcept;

// Where a plot of the curve starts and ends, and from when a branch fed by
// the supply is held at its last rate (1e128: not carried).
struct CurveRange {
  double start;  // s: a decade below the first time after the breach, at most six decades below the end
  double end;    // s: the end of the finite history, else the last output time
  double carriedFromA;
  double carriedFromB;
};

struct ReleaseCurve {
  CurveRange range;
  std::vector<double> rows;  // row-major, CurveColumn::kCount values a row; series by series, time ascending
  int rowCount() const noexcept { return static_cast<int>(rows.size()) / static_cast<int>(CurveColumn::kCount); }
};

// The curve at the output grid of `count` times (as the pipe grid table
// defines it; 383 for a count below 2). Raises 3 before a run.
ReleaseCurve releaseCurve(VORL& model, int count);

}  // namespace vorl
