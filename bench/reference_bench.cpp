// Benchmarks of the reference solution (the finite-volume solver of the full
// isothermal Euler equations with friction) through the C interface, as a
// host runs it, on the default case: a 100 km methane line of 0.5 m bore at
// 70 bar fed by 20 kg/s, breached at full bore at 30 km, to 4 h of release,
// reporting every minute. docs/performance.md gives the figures.
#include <benchmark/benchmark.h>

#include <vector>

#include "vorl.h"

namespace {

constexpr double kSimulatedHours = 4.0;
constexpr double kReportInterval = 60.0;  // s
constexpr int kMethane = 74828;           // the property library's number of methane

// The default case on a new methane model; the caller deletes it.
VorlHandle defaultCase(double refinement, bool realGas) {
  VorlHandle model = VorlModelCreateZel(kMethane);
  VorlPipeLengthSet(model, 100000.0);
  VorlPipeDiameterSet(model, 0.5);
  VorlPipeRoughnessSet(model, 5e-5);  // Fanning factor 0.0029950
  VorlUpstreamPressureSet(model, 7.0e6);
  VorlTotalInflowSet(model, 20.0);
  VorlPipeBreachLocationSet(model, 30000.0);
  VorlOrificeApertureSet(model, 1.0);
  VorlAmbientPressureSet(model, 101325.0);
  const double endTime = kSimulatedHours * 3600.0;
  std::vector<double> reportTimes;
  for (double t = 0.0; t <= endTime; t += kReportInterval) reportTimes.push_back(t);
  VorlReferenceEndTimeSet(model, endTime);
  VorlReferenceReportTimesSet(model, reportTimes.data(), static_cast<int>(reportTimes.size()));
  VorlReferenceRefinementSet(model, refinement);
  VorlReferenceRealGasSet(model, realGas ? 1 : 0);
  return model;
}

void runThroughTheInterface(benchmark::State& state, double refinement, bool realGas) {
  VorlHandle model = defaultCase(refinement, realGas);
  int rows = 0;
  for (auto _ : state) {
    rows = VorlReferenceRun(model, nullptr, nullptr);
    benchmark::DoNotOptimize(rows);
  }
  if (rows == 0) state.SkipWithError("the reference run failed");
  state.counters["rows"] = rows;
  // CPU seconds per simulated hour.
  state.counters["s_per_sim_h"] = benchmark::Counter(
      kSimulatedHours, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  VorlModelDelete(&model);
}

// The default case, ideal gas, at the default resolution and twice as fine.
void BM_ReferenceDefaultCase(benchmark::State& state) {
  runThroughTheInterface(state, static_cast<double>(state.range(0)), false);
}
BENCHMARK(BM_ReferenceDefaultCase)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(1);

// The same with the Peng-Robinson gas (methane's constants from the property library).
void BM_ReferenceDefaultCaseRealGas(benchmark::State& state) { runThroughTheInterface(state, 1.0, true); }
BENCHMARK(BM_ReferenceDefaultCaseRealGas)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
