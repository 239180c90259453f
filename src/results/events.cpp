#include "results/events.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/constants.h"
#include "model/vorl.h"
#include "results/branch_history.h"
#include "results/record_quantities.h"
#include "vorl.h"

namespace vorl {
namespace {

constexpr double kNoValve = std::numeric_limits<double>::quiet_NaN();

// The first two records are the steady flow and the breach instant: a valve
// can only have shut after them.
constexpr int kFirstRecordAfterBreach = 2;

// The valve on the branch's side of the breach whose closure time is nearest
// to t; NaN when there is none.
double valveNear(const VORL& model, BranchId branch, double t) {
  const double breach = model.pipeSet().effectiveBreachLocation();
  double position = kNoValve, gap = std::numeric_limits<double>::infinity();
  for (const VALVE& valve : model.pipeSet().valves.valves) {
    const double at = valve.valvePosition();
    const bool onThisSide = branch == BranchId::kA ? at <= breach : at >= breach;
    const double distance = std::abs(valve.valveClosureTime() - t);
    if (onThisSide && distance < gap) {
      position = at;
      gap = distance;
    }
  }
  return position;
}

// A closure cuts the branch at the valve, and the gas beyond it is trapped
// from that record on: a record holding more trapped gas than the one before.
void addValveClosures(const VORL& model, BranchId branch, const GBSQ& history, std::vector<RunEvent>& events) {
  for (int i = kFirstRecordAfterBreach; i < history.reportedSize(); ++i) {
    const double t = history[i].time;
    if (!(trappedMassOf(history[i]) > trappedMassOf(history[i - 1])) || isInfinite(t)) continue;
    events.push_back({VORL_EVENT_VALVE_CLOSURE, branch, t, valveNear(model, branch, t)});
  }
}

void addBranchEvents(const VORL& model, BranchId branch, std::vector<RunEvent>& events) {
  const GBSQ* stored = model.sequenceOf(branch);
  if (stored == nullptr || stored->reportedSize() <= 0) return;
  const GBSQ& history = *stored;
  std::vector<RunEvent> ofBranch;
  addValveClosures(model, branch, history, ofBranch);
  const auto add = [&](int kind, double t) {
    if (!isInfinite(t)) ofBranch.push_back({kind, branch, t, kNoValve});
  };
  add(VORL_EVENT_WHOLE_BRANCH_DISTURBED, timeToDisturbEntireFlow(history));
  if (branch == BranchId::kB) add(VORL_EVENT_FLOW_REVERSAL, timeToFlowReversal(history));
  add(VORL_EVENT_DECHOKE, timeToDechoke(history));
  add(VORL_EVENT_DEPRESSURISED, timeToDepressurise(history));
  events.insert(events.end(), ofBranch.begin(), ofBranch.end());
}

}  // namespace

std::vector<RunEvent> runEvents(const VORL& model) {
  std::vector<RunEvent> events;
  if (model.branchAExists()) addBranchEvents(model, BranchId::kA, events);
  if (model.branchBExists()) addBranchEvents(model, BranchId::kB, events);
  std::stable_sort(events.begin(), events.end(), [](const RunEvent& a, const RunEvent& b) { return a.time < b.time; });
  return events;
}

}  // namespace vorl
