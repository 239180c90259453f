#include "run/output_grid.h"

#include <algorithm>
#include <string>

#include "core/constants.h"
#include "core/vorl_error.h"
#include "model/argument_checks.h"
#include "model/inputs.h"
#include "model/vorl.h"

namespace vorl {
namespace {

// The least entries of an even grid: its two leading zeros and one time more,
// and the caller's end time too when the grid ends on it.
constexpr int kLeastEvenGrid = 3;
constexpr int kLeastEvenGridWithEndTime = 4;

std::vector<double> zeros(int n) { return std::vector<double>(static_cast<std::size_t>(std::max(n, 0)), 0.0); }

// 0, then n - 1 entries from 0 to tr in equal steps over `divisions`.
std::vector<double> evenGrid(int n, int divisions, double tr) {
  std::vector<double> times = zeros(n);
  for (int i = 1; i < n; ++i) times[static_cast<std::size_t>(i)] = (i - 1) * tr / divisions;
  return times;
}

// Mode 0: 0, 0, Tr / (n - 2), ..., Tr.
std::vector<double> evenToEndOfRun(int n, double tr) {
  if (n < kLeastEvenGrid) return zeros(n);
  return evenGrid(n, n - 2, tr);
}

// Mode 1: 0, 0, ..., Tr in n - 3 equal steps, then the caller's end time.
std::vector<double> evenThenEndTime(int n, double tr, double tu) {
  if (n < kLeastEvenGridWithEndTime) return zeros(n);
  std::vector<double> times = evenGrid(n - 1, n - 3, tr);
  times.push_back(tu);
  return times;
}

// One branch's stored times, walked in order.
struct Source {
  const GBSQ* sequence;
  int next = 0;
  bool active = false;
  double candidate() const { return (*sequence)[next].time; }
  void advance() {
    ++next;
    if (next >= sequence->size()) active = false;
  }
};

Source sourceOf(const GBSQ* sequence) {
  Source source{sequence};
  source.active = sequence != nullptr && sequence->size() > 0;
  return source;
}

// Modes 2 and 3: the distinct finite stored times of both branches in
// increasing order (beginning 0, 0 like the even grids), up to the caller's
// end time.
std::vector<double> runTimes(const VORL& model, double tu) {
  Source a = sourceOf(model.sequenceOf(BranchId::kA));
  Source b = sourceOf(model.sequenceOf(BranchId::kB));
  const double farEndFluxA = a.active ? (*a.sequence)[a.sequence->size() - 1].upstream.G : 0.0;

  std::vector<double> times{0.0};
  double last = 0.0;
  bool first = true;
  while (a.active || b.active) {
    Source& source = (a.active && (!b.active || a.candidate() <= b.candidate())) ? a : b;
    const double tc = source.candidate();
    if ((first || tc > last) && tc < kInfiniteThreshold) {
      last = tc;
      if (tu == 0.0 || tc <= tu) {
        times.push_back(tc);
        first = false;
      } else {
        source.active = false;  // beyond the caller's end time
        continue;
      }
    }
    source.advance();
  }
  // Branch A still fed by the supply at the end of its history: the grid is
  // carried to the caller's end time.
  if (last < tu && farEndFluxA != 0.0) times.push_back(tu);
  return times;
}

int sizeOf(const GBSQ* sequence) { return sequence != nullptr ? sequence->size() : 0; }

// Removes the entries at the given indices (ascending) of the current list,
// moving the kept ones forward in one pass.
void removeIndices(std::vector<double>& times, const std::vector<int>& indices) {
  std::size_t kept = 0;
  std::size_t next = 0;
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (next < indices.size() && static_cast<std::size_t>(indices[next]) == i) {
      ++next;
      continue;
    }
    times[kept++] = times[i];
  }
  times.resize(kept);
}

}  // namespace

double pipeTimeMax(const VORL& model) {
  const double tA = model.branchAExists() ? model.requireSequence(BranchId::kA).lastFiniteTime() : 0.0;
  const double tB = model.branchBExists() ? model.requireSequence(BranchId::kB).lastFiniteTime() : 0.0;
  return tB > tA ? tB : tA;
}

void thinTimes(std::vector<double>& times, int target) {
  // The first two and the last two entries are kept, so no list gets below four.
  const int k = std::max(target, 4);
  int s = static_cast<int>(times.size());
  if (s <= k) return;
  const int excess = s - k;
  int removed = 0;

  int stride = (s - 3) / (excess - removed);
  while (stride < 2) {  // more than half of the interior must go
    std::vector<int> every2nd;
    for (int i = 2; i < s - 2; i += 2) every2nd.push_back(i);
    removeIndices(times, every2nd);
    removed += static_cast<int>(every2nd.size());
    s = static_cast<int>(times.size());
    if (excess - removed < 1) break;
    stride = (s - 3) / (excess - removed);
  }
  if (excess - removed > 0) {
    const int r = excess - removed;
    stride = (s - 3) / r;
    int lo = 2;
    int hi = 2 + (r - 1) * stride;
    const int slack = (s - 3) - hi;
    lo += slack / 2;
    hi += slack / 2;
    std::vector<int> spaced;
    for (int i = lo; i <= hi; i += stride) spaced.push_back(i);
    removeIndices(times, spaced);
  }
}

void defineOutputTimes(VORL& model, int modeNumber, int n) {
  OutputTimes& grid = model.outputTimes();
  checkArgument(VORL_E_INVALID_GRID_MODE, modeNumber, "vlOutT");
  checkInputValue(input(InputId::kOutputEndTime), grid.tmax, model, "vlOutT");
  OutputGridMode mode = static_cast<OutputGridMode>(modeNumber);
  const bool even = mode == OutputGridMode::kEven || mode == OutputGridMode::kEvenThenEndTime;
  // An even grid is allocated at the size asked for: a garbage count must
  // get a report, not an allocation that can take the host process down.
  if (even && n > kMaxEvenGridSize) {
    grid.times.clear();
    throw VORLERROR(VORL_E_NOT_POSITIVE, "vlOutT",
                    "an output grid of " + std::to_string(n) + " times is larger than the " +
                        std::to_string(kMaxEvenGridSize) + " a grid may hold");
  }
  const double tu = grid.tmax;
  const double tr = pipeTimeMax(model);
  const GBSQ* sequenceA = model.sequenceOf(BranchId::kA);
  const bool infiniteA = sequenceA != nullptr && sequenceA->lastIsInfinite();

  if (even) {
    mode = (infiniteA && tu > tr) ? OutputGridMode::kEvenThenEndTime : OutputGridMode::kEven;
    // Fewer than the least would be a grid of zeros.
    const int least = mode == OutputGridMode::kEvenThenEndTime ? kLeastEvenGridWithEndTime : kLeastEvenGrid;
    if (n < least) refuseArgument(VORL_E_INVALID_GRID_COUNT, n, "vlOutT");
  }
  switch (mode) {
    case OutputGridMode::kEven:
      grid.times = evenToEndOfRun(n, tr);
      break;
    case OutputGridMode::kEvenThenEndTime:
      grid.times = evenThenEndTime(n, tr, tu);
      break;
    case OutputGridMode::kRunTimes:
    case OutputGridMode::kRunTimesCapped: {
      std::vector<double> times = runTimes(model, tu);
      const bool bothBranches = sizeOf(sequenceA) > 0 && sizeOf(model.sequenceOf(BranchId::kB)) > 0;
      if (mode == OutputGridMode::kRunTimes || bothBranches) {
        thinTimes(times, n);
      } else if (static_cast<int>(times.size()) > grid.outputMaxSteps) {
        thinTimes(times, grid.outputMaxSteps);
      }
      grid.times = std::move(times);
      break;
    }
  }
}

double outputTime(const OutputTimes& grid, int i) noexcept {
  if (i < 0 || i >= grid.count()) return -1.0;
  return grid.times[static_cast<std::size_t>(i)];
}

// An output time is looked up within this fraction of its smaller gap to a
// neighbour: close enough to be that time, far from the next.
constexpr double kToleranceFraction = 0.05;

double outputTimeTolerance(const OutputTimes& grid, int i) noexcept {
  const int last = grid.count() - 1;
  if (i < 0 || i > last) return -1.0;
  if (last == 0) return 0.0;  // a single entry has no neighbour to measure from
  const auto at = [&grid](int j) { return grid.times[static_cast<std::size_t>(j)]; };
  if (i == 0) return kToleranceFraction * (at(1) - at(0));
  if (i == last) return kToleranceFraction * (at(last) - at(last - 1));
  return kToleranceFraction * std::min(at(i) - at(i - 1), at(i + 1) - at(i));
}

}  // namespace vorl
