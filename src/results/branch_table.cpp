#include "results/branch_table.h"

#include <iterator>

#include "model/vorl.h"
#include "results/branch_history.h"
#include "results/post_flash.h"
#include "results/record_quantities.h"

namespace vorl {
namespace {

// The names are those of the command-line tool's CSV files, each with its unit.
constexpr TableColumn kColumns[] = {
    {"time_s", "s", "time since the breach (inf: the branch never finishes)", kToolCsv},
    {"regime", "", "-1 steady flow before the breach, 1 front running, 2 far-end outflow decaying, 3 blow-down, 4 finished",
     kToolCsv},
    {"upstream_pressure_Pa", "Pa", "pressure at the far end of the branch", kToolCsv},
    {"upstream_flux_kg_per_s", "kg/s", "mass flux at the far end, positive toward the breach", kToolCsv},
    {"upstream_flux_density_kg_per_m2_s", "kg/(m2 s)", "mass flux density at the far end, per bore area", kLibraryOnly},
    {"upstream_velocity_m_per_s", "m/s", "gas velocity at the far end", kToolCsv},
    {"exit_pressure_Pa", "Pa", "pressure at the breach end", kToolCsv},
    {"exit_flux_kg_per_s", "kg/s", "mass flux leaving through the breach", kToolCsv},
    {"exit_flux_density_kg_per_m2_s", "kg/(m2 s)", "mass flux density at the breach end, per bore area", kLibraryOnly},
    {"exit_velocity_m_per_s", "m/s", "gas velocity at the breach end, through the bore", kToolCsv},
    {"orifice_flux_kg_per_s", "kg/s", "mass flux through the orifice", kToolCsv},
    {"orifice_flux_density_kg_per_m2_s", "kg/(m2 s)", "mass flux density through the orifice, per orifice area",
     kLibraryOnly},
    {"orifice_velocity_m_per_s", "m/s", "velocity through the orifice", kToolCsv},
    {"mass_kg", "kg", "gas in the open part of the branch", kToolCsv},
    {"mass_in_pipe_kg", "kg", "gas in the open part and behind closed valves", kToolCsv},
    {"mass_trapped_kg", "kg", "gas behind closed valves", kToolCsv},
    {"mass_expelled_kg", "kg", "mass released through the breach since the breach", kToolCsv},
    {"length_disturbed_m", "m", "distance of the decompression front from the breach", kToolCsv},
    {"length_to_pressure_peak_m", "m", "distance from the breach to the pressure maximum", kToolCsv},
    {"time_is_infinite", "", "1 when the record's time is infinite (a fed branch that never finishes), else 0",
     kLibraryOnly},
    {"mass_expelled_is_infinite", "", "1 when the mass expelled grows without end (a fed branch at infinite time), else 0",
     kLibraryOnly},
    {"postflash_temperature_K", "K", "outflow after expansion to ambient pressure: temperature", kToolCsv},
    {"postflash_velocity_m_per_s", "m/s", "outflow after expansion: velocity", kToolCsv},
    {"postflash_liquid_fraction", "", "outflow after expansion: liquid mass fraction", kToolCsv},
    {"postflash_drop_size_m", "m", "outflow after expansion: drop size", kToolCsv},
};

static_assert(std::size(kColumns) == static_cast<std::size_t>(BranchColumn::kCount), "one column per quantity");

double flag(bool value) noexcept { return value ? 1.0 : 0.0; }

// One row: record `index` of the branch's history.
void fillRow(const GBSQ& history, BranchId branch, int index, TableExpansion& expansion, double* row) {
  const GB& e = history[index];
  const auto set = [row](BranchColumn column, double value) { row[static_cast<int>(column)] = value; };
  set(BranchColumn::kTime, e.time);
  set(BranchColumn::kRegime, static_cast<double>(static_cast<int>(e.phase)));
  set(BranchColumn::kUpstreamPressure, e.upstream.p);
  set(BranchColumn::kUpstreamFlux, upstreamFluxOf(e));
  set(BranchColumn::kUpstreamFluxDensity, e.upstream.G);
  set(BranchColumn::kUpstreamVelocity, upstreamVelocityOf(e));
  set(BranchColumn::kExitPressure, e.exit.p);
  set(BranchColumn::kExitFlux, exitFluxOf(e, branch));
  set(BranchColumn::kExitFluxDensity, e.exit.G);
  set(BranchColumn::kExitVelocity, exitVelocityOf(e));
  set(BranchColumn::kOrificeFlux, orificeFluxOf(e));
  set(BranchColumn::kOrificeFluxDensity, orificeFluxDensityOf(e));
  set(BranchColumn::kOrificeVelocity, orificeVelocityOf(e));
  set(BranchColumn::kMass, massOf(e));
  set(BranchColumn::kMassInPipe, massInPipeOf(e));
  set(BranchColumn::kMassTrapped, trappedMassOf(e));
  set(BranchColumn::kMassExpelled, massExpelled(history, index));
  set(BranchColumn::kLengthDisturbed, e.lengthDisturbed);
  set(BranchColumn::kLengthToPressurePeak, e.lengthToPressurePeak);
  set(BranchColumn::kTimeIsInfinite, flag(isInfinite(e.time)));
  set(BranchColumn::kMassExpelledIsInfinite, flag(massExpelledIsInfiniteOf(e)));
  const PostFlashState flash = expansion.ofBranchState(e);
  set(BranchColumn::kPostFlashTemperature, flash.temperature);
  set(BranchColumn::kPostFlashVelocity, flash.velocity);
  set(BranchColumn::kPostFlashLiquidFraction, flash.liquidFraction);
  set(BranchColumn::kPostFlashDropSize, flash.dropSize);
}

}  // namespace

ColumnList branchTableColumns() noexcept { return {kColumns, std::size(kColumns)}; }

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
