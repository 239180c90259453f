// Benchmarks of the reference solution (the finite-volume solver of the full
// isothermal Euler equations with friction) on the default case: a 100 km
// methane line of 0.5 m bore at 70 bar fed by 20 kg/s, breached at full bore
// at 30 km, to 4 h of release. docs/performance.md gives the figures.
//
// The solver is not part of the C interface yet: this links the library's
// objects and calls it directly.
#include <benchmark/benchmark.h>

#include "reference/reference.h"

namespace {

using vorl::reference::CriticalConstants;
using vorl::reference::ReferenceCase;
using vorl::reference::ReferenceResult;

constexpr double kSimulatedHours = 4.0;

ReferenceCase defaultCase() {
  ReferenceCase c;  // the defaults are the default case
  c.endTime = kSimulatedHours * 3600.0;
  c.reportInterval = 60.0;
  return c;
}

void runAndCount(benchmark::State& state, const ReferenceCase& c) {
  ReferenceResult result;
  for (auto _ : state) {
    result = vorl::reference::runReference(c);
    benchmark::DoNotOptimize(result.releasedMass.back());
  }
  state.counters["steps"] = static_cast<double>(result.statistics.steps);
  state.counters["cells_start"] = static_cast<double>(result.statistics.initialCells);
  state.counters["cells_end"] = static_cast<double>(result.statistics.finalCells);
  // CPU seconds per simulated hour.
  state.counters["s_per_sim_h"] = benchmark::Counter(
      kSimulatedHours, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The default case, ideal gas, at the default resolution and twice as fine.
void BM_ReferenceDefaultCase(benchmark::State& state) {
  ReferenceCase c = defaultCase();
  c.numerics.refinement = static_cast<double>(state.range(0));
  runAndCount(state, c);
}
BENCHMARK(BM_ReferenceDefaultCase)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(1);

// The same with the Peng-Robinson gas (methane).
void BM_ReferenceDefaultCaseRealGas(benchmark::State& state) {
  ReferenceCase c = defaultCase();
  c.realGas = CriticalConstants{190.564, 4.5992e6, 0.01142};
  runAndCount(state, c);
}
BENCHMARK(BM_ReferenceDefaultCaseRealGas)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
