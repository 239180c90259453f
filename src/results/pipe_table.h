#pragma once

#include "results/table_column.h"

namespace vorl {

class VORL;

// The pipe table: the pipe-level results at a time set, one row per time,
// each value as the pipe-level query gives it after VorlPipeTimeSet (the
// mass expelled 1e128 when it grows without end).
enum class PipeColumn : int {
  kTime,
  kExitFlux,
  kExitVelocity,
  kOrificeFluxDensity,
  kOrificeVelocity,
  kMass,
  kMassInPipe,
  kMassTrapped,
  kMassExpelled,
  kPostFlashTemperature,
  kPostFlashVelocity,
  kPostFlashLiquidFraction,
  kPostFlashDropSize,
  kCount
};

ColumnList pipeTableColumns() noexcept;

// Raises 380 or 381 for the first time or tolerance the time setting would
// refuse, so that a table is refused before any row is written. tolerances
// holds one value for every time (toleranceCount 1) or one per time.
void checkPipeTableTimes(const double* times, int count, const double* tolerances, int toleranceCount);

// Raises 503 for a column count below 1, 5 for null columns and 4 for a
// column that is not one of the table's.
void checkPipeTableColumns(const int* columns, int columnCount);

// Rows at the given times (rows of them), each looked up as VorlPipeTimeSet
// looks it up, one walk over the times: in ascending order each lookup goes
// on from where the one before found its branch. A row holds every column, or
// with columns given (checked by checkPipeTableColumns) the columnCount
// columns named there, in their order; the post-flash expansion runs only for
// a post-flash column. Every value is the one VorlPipeTimeSet and the pipe
// queries give at its time. The model's time setting is kept as it was.
void fillPipeTableAt(VORL& model, const double* times, const double* tolerances, int toleranceCount, int rows,
                     double* values, const int* columns = nullptr, int columnCount = 0);

// The grid of the one-call entry and the command-line tool: the output end
// time set to kGridEndTime, the run's own times thinned to count (grid mode
// 3). Returns the rows of its table: one per output time, none when the grid
// holds two times or fewer or no branch has a record.
constexpr double kGridEndTime = 900000.0;  // s: a branch fed without end is carried to it
int definePipeGrid(VORL& model, int count);

// The first `rows` rows of the grid's table: the pipe before the breach at
// time 0, then each output time looked up with its own tolerance. The model's
// time setting is kept as it was.
void fillPipeGridTable(VORL& model, int rows, double* values);

}  // namespace vorl
