#pragma once

#include "core/enums.h"
#include "results/table_column.h"

namespace vorl {

class VORL;

// The record table of a branch: one row per stored record, every per-record
// quantity of the branch queries in a fixed column order, each value exactly
// as its query gives it (1e128 for an infinite time or flux, the flags 0 or
// 1, the post-flash state as VorlBranchAPostFlash writes it).
enum class BranchColumn : int {
  kTime,
  kRegime,
  kUpstreamPressure,
  kUpstreamFlux,
  kUpstreamFluxDensity,
  kUpstreamVelocity,
  kExitPressure,
  kExitFlux,
  kExitFluxDensity,
  kExitVelocity,
  kOrificeFlux,
  kOrificeFluxDensity,
  kOrificeVelocity,
  kMass,
  kMassInPipe,
  kMassTrapped,
  kMassExpelled,
  kLengthDisturbed,
  kLengthToPressurePeak,
  kTimeIsInfinite,
  kMassExpelledIsInfinite,
  kPostFlashTemperature,
  kPostFlashVelocity,
  kPostFlashLiquidFraction,
  kPostFlashDropSize,
  kCount
};

ColumnList branchTableColumns() noexcept;

// Rows of the branch's table: the records a host is told of (the branch's
// flow-sequence size), 0 before a run.
int branchTableRows(const VORL& model, BranchId branch) noexcept;

// Writes the first `rows` rows (at most branchTableRows), row-major.
void fillBranchTable(const VORL& model, BranchId branch, int rows, double* values);

}  // namespace vorl
