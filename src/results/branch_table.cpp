#include "results/branch_table.h"

#include <iterator>

#include "model/vorl.h"
#include "results/branch_history.h"
#include "results/post_flash.h"
#include "results/record_quantities.h"

namespace vorl {
namespace {

// What a row of the table is read from: record `index` of the branch's
// history and its outflow expanded to ambient pressure.
struct BranchRow {
  const GBSQ& history;
  BranchId branch;
  int index;
  const GB& record;
  PostFlashState flash;
};

double flag(bool value) noexcept { return value ? 1.0 : 0.0; }

using C = BranchColumn;
using Row = const BranchRow&;

// The names are those of the command-line tool's CSV files, each with its unit.
constexpr RowColumn<BranchColumn, BranchRow> kColumns[] = {
    {C::kTime, {"time_s", "s", "time since the breach (inf: the branch never finishes)", kToolCsv},
     [](Row r) { return r.record.time; }},
    {C::kRegime,
     {"regime", "", "-1 steady flow before the breach, 1 front running, 2 far-end outflow decaying, 3 blow-down, 4 finished",
      kToolCsv},
     [](Row r) { return static_cast<double>(static_cast<int>(r.record.phase)); }},
    {C::kUpstreamPressure, {"upstream_pressure_Pa", "Pa", "pressure at the far end of the branch", kToolCsv},
     [](Row r) { return r.record.upstream.p; }},
    {C::kUpstreamFlux,
     {"upstream_flux_kg_per_s", "kg/s", "mass flux at the far end, positive toward the breach", kToolCsv},
     [](Row r) { return upstreamFluxOf(r.record); }},
    {C::kUpstreamFluxDensity,
     {"upstream_flux_density_kg_per_m2_s", "kg/(m2 s)", "mass flux density at the far end, per bore area",
      kLibraryOnly},
     [](Row r) { return r.record.upstream.G; }},
    {C::kUpstreamVelocity, {"upstream_velocity_m_per_s", "m/s", "gas velocity at the far end", kToolCsv},
     [](Row r) { return upstreamVelocityOf(r.record); }},
    {C::kExitPressure, {"exit_pressure_Pa", "Pa", "pressure at the breach end", kToolCsv},
     [](Row r) { return r.record.exit.p; }},
    {C::kExitFlux, {"exit_flux_kg_per_s", "kg/s", "mass flux leaving through the breach", kToolCsv},
     [](Row r) { return exitFluxOf(r.record, r.branch); }},
    {C::kExitFluxDensity,
     {"exit_flux_density_kg_per_m2_s", "kg/(m2 s)", "mass flux density at the breach end, per bore area",
      kLibraryOnly},
     [](Row r) { return r.record.exit.G; }},
    {C::kExitVelocity, {"exit_velocity_m_per_s", "m/s", "gas velocity at the breach end, through the bore", kToolCsv},
     [](Row r) { return exitVelocityOf(r.record); }},
    {C::kOrificeFlux, {"orifice_flux_kg_per_s", "kg/s", "mass flux through the orifice", kToolCsv},
     [](Row r) { return orificeFluxOf(r.record); }},
    {C::kOrificeFluxDensity,
     {"orifice_flux_density_kg_per_m2_s", "kg/(m2 s)", "mass flux density through the orifice, per orifice area",
      kLibraryOnly},
     [](Row r) { return orificeFluxDensityOf(r.record); }},
    {C::kOrificeVelocity, {"orifice_velocity_m_per_s", "m/s", "velocity through the orifice", kToolCsv},
     [](Row r) { return orificeVelocityOf(r.record); }},
    {C::kMass, {"mass_kg", "kg", "gas in the open part of the branch", kToolCsv},
     [](Row r) { return massOf(r.record); }},
    {C::kMassInPipe, {"mass_in_pipe_kg", "kg", "gas in the open part and behind closed valves", kToolCsv},
     [](Row r) { return massInPipeOf(r.record); }},
    {C::kMassTrapped, {"mass_trapped_kg", "kg", "gas behind closed valves", kToolCsv},
     [](Row r) { return trappedMassOf(r.record); }},
    {C::kMassExpelled, {"mass_expelled_kg", "kg", "mass released through the breach since the breach", kToolCsv},
     [](Row r) { return massExpelled(r.history, r.index); }},
    {C::kLengthDisturbed,
     {"length_disturbed_m", "m", "distance of the decompression front from the breach", kToolCsv},
     [](Row r) { return r.record.lengthDisturbed; }},
    {C::kLengthToPressurePeak,
     {"length_to_pressure_peak_m", "m", "distance from the breach to the pressure maximum", kToolCsv},
     [](Row r) { return r.record.lengthToPressurePeak; }},
    {C::kTimeIsInfinite,
     {"time_is_infinite", "", "1 when the record's time is infinite (a fed branch that never finishes), else 0",
      kLibraryOnly},
     [](Row r) { return flag(isInfinite(r.record.time)); }},
    {C::kMassExpelledIsInfinite,
     {"mass_expelled_is_infinite", "",
      "1 when the mass expelled grows without end (a fed branch at infinite time), else 0", kLibraryOnly},
     [](Row r) { return flag(massExpelledIsInfiniteOf(r.record)); }},
    {C::kPostFlashTemperature, kPostFlashTemperatureColumn, [](Row r) { return r.flash.temperature; }},
    {C::kPostFlashVelocity, kPostFlashVelocityColumn, [](Row r) { return r.flash.velocity; }},
    {C::kPostFlashLiquidFraction, kPostFlashLiquidFractionColumn, [](Row r) { return r.flash.liquidFraction; }},
    {C::kPostFlashDropSize, kPostFlashDropSizeColumn, [](Row r) { return r.flash.dropSize; }},
};

static_assert(inIdOrder(kColumns), "one row per column, in the order of BranchColumn");

// One row: record `index` of the branch's history.
void fillRow(const GBSQ& history, BranchId branch, int index, TableExpansion& expansion, double* row) {
  const GB& record = history[index];
  const BranchRow source{history, branch, index, record, expansion.ofBranchState(record)};
  for (const auto& column : kColumns) row[static_cast<int>(column.id)] = column.value(source);
}

}  // namespace

ColumnList branchTableColumns() noexcept { return columnListOf<kColumns>(); }

int branchTableRows(const VORL& model, BranchId branch) noexcept {
  const GBSQ* history = model.sequenceOf(branch);
  return history != nullptr ? history->reportedSize() : 0;
}

void fillBranchTable(const VORL& model, BranchId branch, int rows, double* values) {
  const GBSQ& history = model.requireSequence(branch);
  TableExpansion expansion(model);
  for (int i = 0; i < rows; ++i) {
    fillRow(history, branch, i, expansion, values + static_cast<std::size_t>(i) * std::size(kColumns));
  }
}

}  // namespace vorl
