#include "results/pipe_table.h"

#include <iterator>
#include <string>

#include "core/constants.h"
#include "core/enums.h"
#include "core/vorl_error.h"
#include "model/argument_checks.h"
#include "model/inputs.h"
#include "model/vorl.h"
#include "results/kept_time_setting.h"
#include "results/pipe_results.h"
#include "results/post_flash.h"
#include "run/output_grid.h"

namespace vorl {
namespace {

// What a row of the table is read from: the model at the time set (the
// time the setting gave) and its outflow expanded to ambient pressure.
struct PipeRow {
  const VORL& model;
  double time;
  PostFlashState flash;
};

using C = PipeColumn;
using Row = const PipeRow&;

constexpr RowColumn<PipeColumn, PipeRow> kColumns[] = {
    {C::kTime,
     {"time_s", "s",
      "time the row's branch states belong to (the grid's first two rows: 0 before the breach and 0 at its instant)",
      kToolCsv},
     [](Row r) { return r.time; }},
    {C::kExitFlux,
     {"exit_flux_kg_per_s", "kg/s", "release rate: mass flux leaving the pipe through the breach", kToolCsv},
     [](Row r) { return pipeExitFlux(r.model); }},
    {C::kExitVelocity,
     {"exit_velocity_m_per_s", "m/s", "exit velocity through the bore, weighted by the branches' outflows", kToolCsv},
     [](Row r) { return exitVelocityMean(r.model); }},
    {C::kOrificeFluxDensity,
     {"orifice_flux_density_kg_per_m2_s", "kg/(m2 s)", "mean exit flux density over the orifice", kLibraryOnly},
     [](Row r) { return pipeOrificeFluxDensity(r.model); }},
    {C::kOrificeVelocity, {"orifice_velocity_m_per_s", "m/s", "exit velocity over the aperture", kLibraryOnly},
     [](Row r) { return pipeOrificeVelocity(r.model); }},
    {C::kMass, {"mass_kg", "kg", "gas in the open parts of the pipe", kToolCsv},
     [](Row r) { return pipeMass(r.model); }},
    {C::kMassInPipe, {"mass_in_pipe_kg", "kg", "gas in the open parts and behind closed valves", kToolCsv},
     [](Row r) { return pipeMassInPipe(r.model); }},
    {C::kMassTrapped, {"mass_trapped_kg", "kg", "gas behind closed valves", kToolCsv},
     [](Row r) { return pipeMassTrapped(r.model); }},
    {C::kMassExpelled, {"mass_expelled_kg", "kg", "mass released since the breach", kToolCsv},
     [](Row r) { return pipeMassExpelledIsInfinite(r.model) ? kInfinite : pipeMassExpelled(r.model); }},
    {C::kPostFlashTemperature, kPostFlashTemperatureColumn, [](Row r) { return r.flash.temperature; }},
    {C::kPostFlashVelocity, kPostFlashVelocityColumn, [](Row r) { return r.flash.velocity; }},
    {C::kPostFlashLiquidFraction, kPostFlashLiquidFractionColumn, [](Row r) { return r.flash.liquidFraction; }},
    {C::kPostFlashDropSize, kPostFlashDropSizeColumn, [](Row r) { return r.flash.dropSize; }},
};

static_assert(inIdOrder(kColumns), "one row per column, in the order of PipeColumn");

constexpr const char* kTableTag = "VorlPipeTable";

// The columns a table is filled with: every column, or a host's selection
// (its own order, repeats allowed), each value read only when asked for. The
// post-flash expansion, the costliest part of a row, runs only for a row that
// has a post-flash column.
class PipeRowWriter {
 public:
  PipeRowWriter(const VORL& model, const int* columns, int columnCount)
      : model_(model), expansion_(model), columns_(columns), count_(columns != nullptr ? columnCount : kWidth) {
    for (int j = 0; j < count_; ++j) expands_ = expands_ || isPostFlash(columnAt(j));
  }
  int width() const noexcept { return count_; }

  // The row of the time set; time is what the setting gave.
  void write(double time, double* row) {
    const PipeRow source{model_, time, expands_ ? expansion_.ofPipe() : PostFlashState{}};
    for (int j = 0; j < count_; ++j) row[j] = kColumns[columnAt(j)].value(source);
  }

 private:
  static constexpr int kWidth = static_cast<int>(std::size(kColumns));
  static bool isPostFlash(int column) noexcept {
    return column >= static_cast<int>(C::kPostFlashTemperature) && column <= static_cast<int>(C::kPostFlashDropSize);
  }
  int columnAt(int j) const noexcept { return columns_ != nullptr ? columns_[j] : j; }

  const VORL& model_;
  TableExpansion expansion_;
  const int* columns_;
  int count_;
  bool expands_ = false;
};

std::string plainCount(double value) { return std::to_string(static_cast<int>(value)); }

double* rowAt(double* values, int i, int width) { return values + static_cast<std::size_t>(i) * width; }

double toleranceOf(const double* tolerances, int toleranceCount, int i) {
  return tolerances[toleranceCount == 1 ? 0 : i];
}

}  // namespace

ColumnList pipeTableColumns() noexcept { return columnListOf<kColumns>(); }

void checkPipeTableTimes(const double* times, int count, const double* tolerances, int toleranceCount) {
  for (int i = 0; i < count; ++i) {
    checkArgument(VORL_E_INVALID_PIPE_TIME, times[i], kTableTag);
    checkArgument(VORL_E_INVALID_LOOKUP_TOLERANCE, toleranceOf(tolerances, toleranceCount, i), kTableTag);
  }
}

void checkPipeTableColumns(const int* columns, int columnCount) {
  if (columnCount < 1) {
    throw VORLERROR(VORL_E_COLUMN_COUNT, kTableTag, "the column count " + std::to_string(columnCount) + " is below 1");
  }
  if (columns == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTableTag, "the columns pointer is null");
  const int count = static_cast<int>(std::size(kColumns));
  for (int j = 0; j < columnCount; ++j) {
    if (columns[j] < 0 || columns[j] >= count) {
      throw VORLERROR(VORL_E_INDEX, kTableTag,
                      "column " + std::to_string(columns[j]) + " (selection entry " + std::to_string(j) +
                          ") is not one of the pipe table's " + std::to_string(count) + " columns");
    }
  }
}

void fillPipeTableAt(VORL& model, const double* times, const double* tolerances, int toleranceCount, int rows,
                     double* values, const int* columns, int columnCount) {
  const KeptTimeSetting kept(model);
  PipeRowWriter writer(model, columns, columnCount);
  PipeWalk walk;
  for (int i = 0; i < rows; ++i) {
    const double time = pipeTimeSetInWalk(model, times[i], toleranceOf(tolerances, toleranceCount, i), walk);
    writer.write(time, rowAt(values, i, writer.width()));
  }
}

int definePipeGrid(VORL& model, int count) {
  // The grid keeps at least its first and last two times, so a count below
  // the least the one-call entry takes would silently stand for that least.
  const double least = input(InputId::kOutputMaxSteps).oneCall.minimum;
  if (count < least) {
    refuseValue(VORL_E_INVALID_GRID_COUNT, "pipe grid table count", count, "",
                plainCount(least) + " or more (the run's own times thinned to it)", kTableTag);
  }
  model.outputTimes().tmax = kGridEndTime;
  defineOutputTimes(model, static_cast<int>(OutputGridMode::kRunTimesCapped), count);
  const int steps = model.outputTimes().count();
  const auto records = [&model](BranchId branch) {
    const GBSQ* history = model.sequenceOf(branch);
    return history != nullptr ? history->reportedSize() : 0;
  };
  if (steps <= 2 || (records(BranchId::kA) <= 0 && records(BranchId::kB) <= 0)) return 0;
  return steps;
}

void fillPipeGridTable(VORL& model, int rows, double* values) {
  const KeptTimeSetting kept(model);
  PipeRowWriter writer(model, nullptr, 0);
  PipeWalk walk;
  const OutputTimes& grid = model.outputTimes();
  for (int i = 0; i < rows; ++i) {
    double time = 0.0;  // the row before the breach
    if (i == 0) {
      pipeTimeSetToStart(model);
    } else {
      time = pipeTimeSetInWalk(model, outputTime(grid, i), outputTimeTolerance(grid, i), walk);
    }
    writer.write(time, rowAt(values, i, writer.width()));
  }
}

}  // namespace vorl
