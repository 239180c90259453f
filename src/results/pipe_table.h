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

// Rows at the given times (rows of them), each looked up as VorlPipeTimeSet
// looks it up. The model's time setting is kept as it was.
void fillPipeTableAt(VORL& model, const double* times, const double* tolerances, int toleranceCount, int rows,
                     double* values);

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
