#include "results/release_report.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include "core/constants.h"
#include "model/vorl.h"
#include "results/branch_history.h"
#include "results/kept_time_setting.h"
#include "results/pipe_results.h"
#include "results/pipe_table.h"
#include "results/post_flash.h"
#include "results/record_quantities.h"
#include "run/output_grid.h"

namespace vorl {
namespace {

constexpr double kNotApplicable = std::numeric_limits<double>::quiet_NaN();
constexpr double kNever = std::numeric_limits<double>::infinity();

// A time of the report is looked up to within this fraction of itself.
constexpr double kLookupTolerance = 1e-6;

// The marks of the rates and the gas in the pipe (s).
constexpr double kTenSeconds = 10.0, kOneMinute = 60.0, kTenMinutes = 600.0, kOneHour = 3600.0;
// The spans of the mean release rates (s).
constexpr double kFirstTwentySeconds = 20.0, kFirstMinute = 60.0;
// Fractions of the initial content released whose times are reported.
constexpr double kHalf = 0.5, kNinetyPercent = 0.9;
// The bisection between two stored times stops when the bracket is this
// fraction of its upper end, or after this many halvings.
constexpr double kBisectionResolution = 1e-9;
constexpr int kMaxHalvings = 200;

enum class Field : int {
  kFanningFactor,
  kInitialMass,
  kInitialReleaseRate,
  kATimeToDechoke,
  kATimeToDisturbEntireBranch,
  kATimeToDepressurise,
  kBTimeToDechoke,
  kBTimeToDisturbEntireBranch,
  kBTimeToFlowReversal,
  kBTimeToDepressurise,
  kMassReleased1min,
  kMassReleased10min,
  kMassReleased1h,
  kEndTime,
  kMassReleasedEnd,
  kMassTrappedEnd,
  kPostFlashTemperature,
  kPostFlashVelocity,
  kPostFlashLiquidFraction,
  kPostFlashDropSize,
  kReleaseRate10s,
  kReleaseRate1min,
  kReleaseRate10min,
  kReleaseRate1h,
  kAReleaseRate10s,
  kAReleaseRate1min,
  kAReleaseRate10min,
  kAReleaseRate1h,
  kBReleaseRate10s,
  kBReleaseRate1min,
  kBReleaseRate10min,
  kBReleaseRate1h,
  kMeanReleaseRate20s,
  kMeanReleaseRate60s,
  kGasInPipe10s,
  kGasInPipe1min,
  kGasInPipe10min,
  kGasInPipe1h,
  kTimeToReleaseHalf,
  kTimeToRelease90pct,
  kBreachLocation,
  kHoleDiameter,
  kCount
};

constexpr TableColumn kFields[] = {
    {"fanning_factor", "", "Fanning friction factor of the bore", kToolCsv},
    {"initial_mass_kg", "kg", "gas in the pipe before the breach", kToolCsv},
    {"initial_release_rate_kg_per_s", "kg/s", "release rate at the instant of the breach", kToolCsv},
    {"a_time_to_dechoke_s", "s", "branch A (upstream): outflow no longer choked", kToolCsv},
    {"a_time_to_disturb_entire_branch_s", "s", "branch A: decompression front reaches the supply end", kToolCsv},
    {"a_time_to_depressurise_s", "s", "branch A: blown down (inf: fed by the supply, never)", kToolCsv},
    {"b_time_to_dechoke_s", "s", "branch B (downstream): outflow no longer choked", kToolCsv},
    {"b_time_to_disturb_entire_branch_s", "s", "branch B: decompression front reaches the far end", kToolCsv},
    {"b_time_to_flow_reversal_s", "s", "branch B: far-end flow turned toward the breach", kToolCsv},
    {"b_time_to_depressurise_s", "s", "branch B: blown down", kToolCsv},
    {"mass_released_1min_kg", "kg", "mass released 60 s after the breach", kToolCsv},
    {"mass_released_10min_kg", "kg", "mass released 600 s after the breach", kToolCsv},
    {"mass_released_1h_kg", "kg", "mass released 3600 s after the breach", kToolCsv},
    {"end_time_s", "s", "end of the finite history: last finite time of the run", kToolCsv},
    {"mass_released_end_kg", "kg", "mass released at the end of the finite history", kToolCsv},
    {"mass_trapped_end_kg", "kg", "gas behind closed valves at the end of the finite history", kToolCsv},
    {"postflash_temperature_K", "K", "outflow at the instant of the breach after expansion: temperature", kToolCsv},
    {"postflash_velocity_m_per_s", "m/s", "the same: velocity", kToolCsv},
    {"postflash_liquid_fraction", "", "the same: liquid mass fraction", kToolCsv},
    {"postflash_drop_size_m", "m", "the same: drop size", kToolCsv},
    {"release_rate_10s_kg_per_s", "kg/s", "release rate 10 s after the breach, both branches", kToolCsv},
    {"release_rate_1min_kg_per_s", "kg/s", "release rate 60 s after the breach, both branches", kToolCsv},
    {"release_rate_10min_kg_per_s", "kg/s", "release rate 600 s after the breach, both branches", kToolCsv},
    {"release_rate_1h_kg_per_s", "kg/s", "release rate 3600 s after the breach, both branches", kToolCsv},
    {"a_release_rate_10s_kg_per_s", "kg/s", "branch A's outflow at the breach 10 s after it", kToolCsv},
    {"a_release_rate_1min_kg_per_s", "kg/s", "branch A's outflow at the breach 60 s after it", kToolCsv},
    {"a_release_rate_10min_kg_per_s", "kg/s", "branch A's outflow at the breach 600 s after it", kToolCsv},
    {"a_release_rate_1h_kg_per_s", "kg/s", "branch A's outflow at the breach 3600 s after it", kToolCsv},
    {"b_release_rate_10s_kg_per_s", "kg/s", "branch B's outflow at the breach 10 s after it", kToolCsv},
    {"b_release_rate_1min_kg_per_s", "kg/s", "branch B's outflow at the breach 60 s after it", kToolCsv},
    {"b_release_rate_10min_kg_per_s", "kg/s", "branch B's outflow at the breach 600 s after it", kToolCsv},
    {"b_release_rate_1h_kg_per_s", "kg/s", "branch B's outflow at the breach 3600 s after it", kToolCsv},
    {"mean_release_rate_20s_kg_per_s", "kg/s", "mass released in the first 20 s, over 20 s", kToolCsv},
    {"mean_release_rate_60s_kg_per_s", "kg/s", "mass released in the first 60 s, over 60 s", kToolCsv},
    {"gas_in_pipe_10s_kg", "kg", "gas in the pipe (behind shut valves too) 10 s after the breach", kToolCsv},
    {"gas_in_pipe_1min_kg", "kg", "gas in the pipe 60 s after the breach", kToolCsv},
    {"gas_in_pipe_10min_kg", "kg", "gas in the pipe 600 s after the breach", kToolCsv},
    {"gas_in_pipe_1h_kg", "kg", "gas in the pipe 3600 s after the breach", kToolCsv},
    {"time_to_release_half_s", "s", "time by which half the initial content has been released (inf: never)", kToolCsv},
    {"time_to_release_90pct_s", "s", "time by which 90 % of the initial content has been released (inf: never)",
     kToolCsv},
    {"breach_location_m", "m", "breach location used, from the upstream end (the pipe end for one beyond it)",
     kToolCsv},
    {"hole_diameter_m", "m", "diameter of the round hole the aperture stands for: bore x sqrt(aperture)", kToolCsv},
};

static_assert(std::size(kFields) == static_cast<std::size_t>(Field::kCount), "one field per quantity");

// A value the library holds as 1e128 for "without end", as +inf.
double withInfinity(double value) noexcept { return isInfinite(value) ? kNever : value; }

// The mass released by the time set; +inf when it grows without end.
double massReleasedNow(const VORL& model) {
  return pipeMassExpelledIsInfinite(model) ? kNever : pipeMassExpelled(model);
}

// Sets the time t, looked up as the report looks every time up.
void setTime(VORL& model, double t) { pipeTimeSet(model, t, kLookupTolerance * t); }

// The exit flux of a branch at the time set; NaN when the layout has no such
// branch, 0 when the branch holds no state then.
double branchRateNow(const VORL& model, BranchId branch) {
  const PipeTimeState& state = requireTimeSetting(model);
  const PipeTimeState::Branch& kept = branch == BranchId::kA ? state.a : state.b;
  if (!kept.present) return kNotApplicable;
  return kept.contributes() ? withInfinity(exitFluxOf(*kept.currentRecord, branch)) : 0.0;
}

// The finite stored times of the present branches, in order, and the end
// time a fed branch is carried to.
std::vector<double> storedTimes(const VORL& model) {
  std::vector<double> times;
  bool carried = false;
  for (BranchId branch : {BranchId::kA, BranchId::kB}) {
    const GBSQ* history = model.sequenceOf(branch);
    if (history == nullptr) continue;
    for (int i = 0; i < history->reportedSize(); ++i) {
      const double t = (*history)[i].time;
      if (isInfinite(t)) {
        carried = true;
      } else {
        times.push_back(t);
      }
    }
  }
  if (carried) times.push_back(kGridEndTime);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

double massReleasedAt(VORL& model, double t) {
  pipeTimeSet(model, t, 0.0);
  return massReleasedNow(model);
}

// The first time at which the pipe has released `target` kg: the first
// stored time that reaches it brackets the crossing with the one before, and
// bisection on the released mass narrows it. +inf when no stored time
// reaches it (a fed line may release more than its initial content, a
// line cut by valves less). The released mass never falls, so the first
// stored time that reaches the target is found by bisection too: a few
// lookups instead of one per stored time.
double timeToRelease(VORL& model, const std::vector<double>& times, double target) {
  const auto first = std::partition_point(times.begin(), times.end(),
                                          [&](double t) { return massReleasedAt(model, t) < target; });
  if (first == times.end()) return kNever;
  double low = first == times.begin() ? 0.0 : *(first - 1), high = *first;
  for (int i = 0; i < kMaxHalvings && high - low > kBisectionResolution * high; ++i) {
    const double middle = low + (high - low) / 2.0;
    (massReleasedAt(model, middle) < target ? low : high) = middle;
  }
  return high;
}

class ReportWriter {
 public:
  ReportWriter(VORL& model, double* values) : model_(model), values_(values) {
    std::fill(values_, values_ + std::size(kFields), kNotApplicable);
  }
  void write();

 private:
  void set(Field field, double value) { values_[static_cast<int>(field)] = value; }
  void atTheBreach();
  void branchTimes();
  void massesReleased();
  void atTheMarks();
  void releaseTimes();
  VORL& model_;
  double* values_;
};

// The tool's summary came first: its fields keep their order of lookups
// (and so the order of any reports), the new fields follow.
void ReportWriter::write() {
  set(Field::kFanningFactor, model_.pipeInterior().Fanning());
  atTheBreach();
  branchTimes();
  massesReleased();
  atTheMarks();
  releaseTimes();
  set(Field::kBreachLocation, model_.pipeSet().effectiveBreachLocation());
  set(Field::kHoleDiameter, model_.pipeInterior().Diameter() * std::sqrt(model_.pipeSet().orificeAperture));
}

void ReportWriter::atTheBreach() {
  pipeTimeSet(model_, 0.0, 0.0);
  set(Field::kInitialMass, pipeMassInitial(model_));
  set(Field::kInitialReleaseRate, pipeExitFlux(model_));
  TableExpansion expansion(model_);
  const PostFlashState flash = expansion.ofPipe();
  set(Field::kPostFlashTemperature, flash.temperature);
  set(Field::kPostFlashVelocity, flash.velocity);
  set(Field::kPostFlashLiquidFraction, flash.liquidFraction);
  set(Field::kPostFlashDropSize, flash.dropSize);
}

void ReportWriter::branchTimes() {
  if (model_.branchAExists()) {
    const GBSQ& a = model_.requireSequence(BranchId::kA);
    set(Field::kATimeToDechoke, withInfinity(timeToDechoke(a)));
    set(Field::kATimeToDisturbEntireBranch, withInfinity(timeToDisturbEntireFlow(a)));
    set(Field::kATimeToDepressurise, withInfinity(timeToDepressurise(a)));
  }
  if (model_.branchBExists()) {
    const GBSQ& b = model_.requireSequence(BranchId::kB);
    set(Field::kBTimeToDechoke, withInfinity(timeToDechoke(b)));
    set(Field::kBTimeToDisturbEntireBranch, withInfinity(timeToDisturbEntireFlow(b)));
    set(Field::kBTimeToFlowReversal, withInfinity(timeToFlowReversal(b)));
    set(Field::kBTimeToDepressurise, withInfinity(timeToDepressurise(b)));
  }
}

void ReportWriter::massesReleased() {
  const std::pair<Field, double> marks[] = {
      {Field::kMassReleased1min, kOneMinute},
      {Field::kMassReleased10min, kTenMinutes},
      {Field::kMassReleased1h, kOneHour}};
  for (const auto& [field, t] : marks) {
    setTime(model_, t);
    set(field, massReleasedNow(model_));
  }
  const double end = pipeTimeMax(model_);
  set(Field::kEndTime, end);
  setTime(model_, end);
  set(Field::kMassReleasedEnd, massReleasedNow(model_));
  set(Field::kMassTrappedEnd, pipeMassTrapped(model_));
}

void ReportWriter::atTheMarks() {
  struct Mark {
    double time;
    Field total, a, b, gasInPipe;
  };
  const Mark marks[] = {
      {kTenSeconds, Field::kReleaseRate10s, Field::kAReleaseRate10s, Field::kBReleaseRate10s, Field::kGasInPipe10s},
      {kOneMinute, Field::kReleaseRate1min, Field::kAReleaseRate1min, Field::kBReleaseRate1min, Field::kGasInPipe1min},
      {kTenMinutes, Field::kReleaseRate10min, Field::kAReleaseRate10min, Field::kBReleaseRate10min,
       Field::kGasInPipe10min},
      {kOneHour, Field::kReleaseRate1h, Field::kAReleaseRate1h, Field::kBReleaseRate1h, Field::kGasInPipe1h},
  };
  for (const Mark& mark : marks) {
    setTime(model_, mark.time);
    set(mark.total, pipeExitFlux(model_));
    set(mark.a, branchRateNow(model_, BranchId::kA));
    set(mark.b, branchRateNow(model_, BranchId::kB));
    set(mark.gasInPipe, pipeMassInPipe(model_));
  }
  for (const auto& [field, span] : {std::pair{Field::kMeanReleaseRate20s, kFirstTwentySeconds},
                                    std::pair{Field::kMeanReleaseRate60s, kFirstMinute}}) {
    setTime(model_, span);
    set(field, massReleasedNow(model_) / span);
  }
}

void ReportWriter::releaseTimes() {
  const std::vector<double> times = storedTimes(model_);
  const double initial = pipeMassInitial(model_);
  set(Field::kTimeToReleaseHalf, timeToRelease(model_, times, kHalf * initial));
  set(Field::kTimeToRelease90pct, timeToRelease(model_, times, kNinetyPercent * initial));
}

}  // namespace

ColumnList releaseReportFields() noexcept { return columnListOf<kFields>(); }

void fillReleaseReport(VORL& model, double* values) {
  const KeptTimeSetting kept(model);
  ReportWriter(model, values).write();
}

}  // namespace vorl
