#include "results/reference_answer.h"

#include <vorl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "core/vorl_error.h"
#include "model/vorl.h"
#include "results/pipe_table.h"
#include "results/release_report.h"

namespace vorl {
namespace {

using reference::BranchSeries;
using reference::ReferenceResult;
using Series = std::vector<double>;

constexpr double kNotApplicable = std::numeric_limits<double>::quiet_NaN();
constexpr double kNever = std::numeric_limits<double>::infinity();

// The report's marks (s) and release fractions, as the fast model's report has them.
constexpr double kTenSeconds = 10.0, kOneMinute = 60.0, kTenMinutes = 600.0, kOneHour = 3600.0;
constexpr double kFirstTwentySeconds = 20.0;
constexpr double kHalf = 0.5, kNinetyPercent = 0.9;

// The throat counts as choked while its sonic pressure exceeds the ambient
// pressure by more than this fraction: below it the difference is the
// solution's rounding at an open end.
constexpr double kChokeMargin = 1e-6;

// Index of the first report time after t (the series are ascending).
std::size_t after(const Series& time, double t) {
  return static_cast<std::size_t>(std::upper_bound(time.begin(), time.end(), t) - time.begin());
}

// The time between report times i-1 and i at which a series, linear between
// them, reaches target.
double crossing(const Series& time, const Series& values, std::size_t i, double target) {
  if (i == 0) return time[0];
  const double rise = values[i] - values[i - 1];
  const double share = rise != 0.0 ? (target - values[i - 1]) / rise : 1.0;
  return time[i - 1] + std::clamp(share, 0.0, 1.0) * (time[i] - time[i - 1]);
}

// The first time the series reaches target from below; +inf when it never does.
double firstReaching(const Series& time, const Series& values, double target) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] >= target) return crossing(time, values, i, target);
  }
  return kNever;
}

class Answer {
 public:
  explicit Answer(const VORL& model)
      : model_(model), result_(requireReferenceResult(model, "VorlReleaseReportFill")) {}

  double at(const Series& series, double t) const { return seriesAt(result_, series, t); }
  const ReferenceResult& result() const { return result_; }
  double endTime() const { return result_.time.empty() ? 0.0 : result_.time.back(); }
  bool valvesShut() const { return model_.pipeSet().valvesActive && !model_.pipeSet().valves.valves.empty(); }

  // By how much the orifice's throat at the sound speed stays above the
  // ambient pressure, as a fraction of it, at each report time: the pipe
  // end's state accelerated isothermally, u^2/2 + a2 ln p kept.
  Series chokeExcess(const BranchSeries& branch) const {
    const double a2 = model_.gas()->a2();
    const double area = model_.pipeInterior().Area();
    const double ambient = model_.ambient().pressure;
    Series excess;
    for (std::size_t i = 0; i < branch.releaseRate.size(); ++i) {
      const double pressure = branch.breachEndPressure[i];
      const double velocity = branch.releaseRate[i] * a2 / (pressure * area);
      const double throat = pressure * std::exp((velocity * velocity - a2) / (2.0 * a2));
      excess.push_back(throat / ambient - 1.0);
    }
    return excess;
  }

  // 0 when the outflow is not choked at the breach instant, +inf when it
  // stays choked to the end.
  double timeToDechoke(const BranchSeries& branch) const {
    const Series excess = chokeExcess(branch);
    for (std::size_t i = 0; i < excess.size(); ++i) {
      if (!(excess[i] > kChokeMargin)) return crossing(result_.time, excess, i, kChokeMargin);
    }
    return kNever;
  }

  // The sink takes gas from branch B until its non-return valve shuts: the
  // far end's flow would turn toward the breach. +inf when it never does,
  // NaN when the sink takes nothing from the start (a line without inflow).
  double timeToFlowReversal() const {
    const Series& sink = result_.sinkRate;
    if (sink.empty() || !(sink[0] > 0.0)) return kNotApplicable;
    for (std::size_t i = 1; i < sink.size(); ++i) {
      if (!(sink[i] > 0.0)) return crossing(result_.time, sink, i, 0.0);
    }
    return kNever;
  }

 private:
  const VORL& model_;
  const ReferenceResult& result_;
};

// Writes the release report's fields by name.
class ReportFields {
 public:
  explicit ReportFields(double* values) : values_(values), fields_(releaseReportFields()) {
    std::fill(values_, values_ + fields_.count, kNotApplicable);
  }
  void set(const char* name, double value) {
    for (std::size_t i = 0; i < fields_.count; ++i) {
      if (std::strcmp(fields_[i].name, name) == 0) values_[i] = value;
    }
  }

 private:
  double* values_;
  ColumnList fields_;
};

void branchFields(const Answer& answer, ReportFields& report) {
  const ReferenceResult& r = answer.result();
  if (r.upstream.present) report.set("a_time_to_dechoke_s", answer.timeToDechoke(r.upstream));
  if (r.downstream.present) {
    report.set("b_time_to_dechoke_s", answer.timeToDechoke(r.downstream));
    report.set("b_time_to_flow_reversal_s", answer.timeToFlowReversal());
  }
}

void markFields(const Answer& answer, ReportFields& report) {
  const ReferenceResult& r = answer.result();
  struct Mark {
    double time;
    const char *total, *a, *b, *gas, *released;
  };
  const Mark marks[] = {
      {kTenSeconds, "release_rate_10s_kg_per_s", "a_release_rate_10s_kg_per_s", "b_release_rate_10s_kg_per_s",
       "gas_in_pipe_10s_kg", nullptr},
      {kOneMinute, "release_rate_1min_kg_per_s", "a_release_rate_1min_kg_per_s", "b_release_rate_1min_kg_per_s",
       "gas_in_pipe_1min_kg", "mass_released_1min_kg"},
      {kTenMinutes, "release_rate_10min_kg_per_s", "a_release_rate_10min_kg_per_s",
       "b_release_rate_10min_kg_per_s", "gas_in_pipe_10min_kg", "mass_released_10min_kg"},
      {kOneHour, "release_rate_1h_kg_per_s", "a_release_rate_1h_kg_per_s", "b_release_rate_1h_kg_per_s",
       "gas_in_pipe_1h_kg", "mass_released_1h_kg"},
  };
  for (const Mark& mark : marks) {
    report.set(mark.total, answer.at(r.releaseRate, mark.time));
    if (r.upstream.present) report.set(mark.a, answer.at(r.upstream.releaseRate, mark.time));
    if (r.downstream.present) report.set(mark.b, answer.at(r.downstream.releaseRate, mark.time));
    report.set(mark.gas, answer.at(r.lineMass, mark.time));
    if (mark.released != nullptr) report.set(mark.released, answer.at(r.releasedMass, mark.time));
  }
  report.set("mean_release_rate_20s_kg_per_s", answer.at(r.releasedMass, kFirstTwentySeconds) / kFirstTwentySeconds);
  report.set("mean_release_rate_60s_kg_per_s", answer.at(r.releasedMass, kOneMinute) / kOneMinute);
}

void endFields(const Answer& answer, ReportFields& report) {
  const ReferenceResult& r = answer.result();
  report.set("end_time_s", answer.endTime());
  report.set("mass_released_end_kg", r.releasedMass.empty() ? kNotApplicable : r.releasedMass.back());
  // The reference keeps the gas behind shut valves in its branches' content.
  report.set("mass_trapped_end_kg", answer.valvesShut() ? kNotApplicable : 0.0);
  report.set("time_to_release_half_s", firstReaching(r.time, r.releasedMass, kHalf * r.initialMass));
  report.set("time_to_release_90pct_s", firstReaching(r.time, r.releasedMass, kNinetyPercent * r.initialMass));
}

void pipeRow(const Answer& answer, const VORL& model, double t, double* row) {
  const ReferenceResult& r = answer.result();
  std::fill(row, row + pipeTableColumns().count, kNotApplicable);
  const auto set = [&](PipeColumn column, double value) { row[static_cast<int>(column)] = value; };
  const double rate = answer.at(r.releaseRate, t);
  const double content = answer.at(r.lineMass, t);
  set(PipeColumn::kTime, t);
  set(PipeColumn::kExitFlux, rate);
  set(PipeColumn::kOrificeFluxDensity, rate / (model.pipeSet().orificeAperture * model.pipeInterior().Area()));
  set(PipeColumn::kMassInPipe, content);
  set(PipeColumn::kMassExpelled, answer.at(r.releasedMass, t));
  if (!answer.valvesShut()) {
    set(PipeColumn::kMass, content);
    set(PipeColumn::kMassTrapped, 0.0);
  }
}

double gridTime(double end, int k, int count) { return k == count ? end : end * k / count; }

}  // namespace

const ReferenceResult& requireReferenceResult(const VORL& model, const char* tag) {
  const ReferenceResult* result = model.referenceResult();
  if (result == nullptr || result->time.empty()) {
    throw VORLERROR(VORL_E_NO_RESULTS, tag,
                    "the reference solution is the model chosen, and it has no result: it has not run, or its "
                    "last run failed");
  }
  return *result;
}

double seriesAt(const ReferenceResult& result, const Series& series, double t) noexcept {
  const Series& time = result.time;
  if (time.empty() || series.size() != time.size() || !(t >= time.front() && t <= time.back())) {
    return kNotApplicable;
  }
  const std::size_t i = after(time, t);
  if (i >= time.size()) return series.back();
  if (i == 0) return series.front();
  const double share = (t - time[i - 1]) / (time[i] - time[i - 1]);
  return series[i - 1] + share * (series[i] - series[i - 1]);
}

void fillReferenceReleaseReport(const VORL& model, double* values) {
  const Answer answer(model);
  const ReferenceResult& r = answer.result();
  ReportFields report(values);
  report.set("fanning_factor", model.pipeInterior().Fanning());
  report.set("initial_mass_kg", r.initialMass);
  report.set("initial_release_rate_kg_per_s", r.releaseRate.front());
  branchFields(answer, report);
  markFields(answer, report);
  endFields(answer, report);
  report.set("breach_location_m", model.pipeSet().effectiveBreachLocation());
  report.set("hole_diameter_m", model.pipeInterior().Diameter() * std::sqrt(model.pipeSet().orificeAperture));
}

void fillReferencePipeTableAt(const VORL& model, const double* times, int rows, double* values) {
  const Answer answer(model);
  const std::size_t width = pipeTableColumns().count;
  for (int i = 0; i < rows; ++i) pipeRow(answer, model, times[i], values + static_cast<std::size_t>(i) * width);
}

int referencePipeGridRows(const VORL& model, int count) {
  requireReferenceResult(model, "VorlPipeGridTableFill");
  return count >= 1 ? count + 1 : 0;
}

void fillReferencePipeGrid(const VORL& model, int count, int rows, double* values) {
  const Answer answer(model);
  const std::size_t width = pipeTableColumns().count;
  for (int k = 0; k < rows && k <= count; ++k) {
    pipeRow(answer, model, gridTime(answer.endTime(), k, count), values + static_cast<std::size_t>(k) * width);
  }
}

std::vector<RunEvent> referenceRunEvents(const VORL& model) {
  const Answer answer(model);
  const ReferenceResult& r = answer.result();
  const double breach = model.pipeSet().effectiveBreachLocation();
  std::vector<RunEvent> events;
  const auto add = [&](int kind, BranchId branch, double t, double position) {
    if (std::isfinite(t) && t <= answer.endTime()) events.push_back({kind, branch, t, position});
  };
  for (BranchId branch : {BranchId::kA, BranchId::kB}) {
    const bool upstream = branch == BranchId::kA;
    const BranchSeries& series = upstream ? r.upstream : r.downstream;
    if (!series.present) continue;
    if (model.pipeSet().valvesActive) {
      // A valve's closure is the instant it is shut, after its delay and its motion.
      const ReferenceSettings& settings = model.referenceSettings();
      const double motion = settings.valveDetectionDelay + settings.valveClosingDuration;
      for (const VALVE& valve : model.pipeSet().valves.valves) {
        const double at = valve.valvePosition();
        if (upstream ? at < breach : at > breach) add(VORL_EVENT_VALVE_CLOSURE, branch, valve.valveClosureTime() + motion, at);
      }
    }
    if (!upstream) add(VORL_EVENT_FLOW_REVERSAL, branch, answer.timeToFlowReversal(), kNotApplicable);
    add(VORL_EVENT_DECHOKE, branch, answer.timeToDechoke(series), kNotApplicable);
  }
  std::stable_sort(events.begin(), events.end(), [](const RunEvent& x, const RunEvent& y) { return x.time < y.time; });
  return events;
}

}  // namespace vorl
