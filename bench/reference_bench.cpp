// Benchmarks of the reference solution (the finite-volume solver of the full
// isothermal Euler equations with friction) through the C interface, as a
// host runs it: the default case (a 100 km methane line of 0.5 m bore at
// 70 bar fed by 20 kg/s, breached at full bore at 30 km) to 1, 4 and 24 h,
// ideal and Peng-Robinson gas; the 1,000 km line of docs/accuracy.md to
// 24 h; the default line breached 1 m and 10 m from either end; a fed
// hydrogen line; a 25 mm hole in the default line to the release's own end.
// docs/performance.md gives the figures.
#include <benchmark/benchmark.h>

#include <vector>

#include "vorl.h"

namespace {

constexpr double kHour = 3600.0;
constexpr int kMethane = 74828;    // the property library's numbers
constexpr int kHydrogen = 1333740;

// The default case on a new model of the material; the caller deletes it.
VorlHandle defaultCase(int material) {
  VorlHandle model = VorlModelCreateZel(material);
  VorlPipeLengthSet(model, 100000.0);
  VorlPipeDiameterSet(model, 0.5);
  VorlPipeRoughnessSet(model, 5e-5);  // Fanning factor 0.0029950
  VorlUpstreamPressureSet(model, 7.0e6);
  VorlTotalInflowSet(model, 20.0);
  VorlPipeBreachLocationSet(model, 30000.0);
  VorlOrificeApertureSet(model, 1.0);
  VorlAmbientPressureSet(model, 101325.0);
  return model;
}

// Reports every minute up to the end (0: the release's own end, 100 reports).
void reportEveryMinute(VorlHandle model, double endTime) {
  VorlReferenceEndTimeSet(model, endTime);
  std::vector<double> reportTimes;
  for (double t = 0.0; t <= endTime; t += 60.0) reportTimes.push_back(t);
  VorlReferenceReportTimesSet(model, reportTimes.data(), static_cast<int>(reportTimes.size()));
}

void runThroughTheInterface(benchmark::State& state, VorlHandle model, double simulatedHours) {
  int rows = 0;
  for (auto _ : state) {
    rows = VorlReferenceRun(model, nullptr, nullptr);
    benchmark::DoNotOptimize(rows);
  }
  if (rows == 0) state.SkipWithError("the reference run failed");
  state.counters["rows"] = rows;
  if (simulatedHours > 0.0) {
    // CPU milliseconds per simulated hour.
    state.counters["ms_per_sim_h"] = benchmark::Counter(
        1e-3 * simulatedHours, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  }
  VorlModelDelete(&model);
}

// The default case to 4 h, ideal gas, at the default resolution and twice as fine.
void BM_ReferenceDefaultCase(benchmark::State& state) {
  VorlHandle model = defaultCase(kMethane);
  reportEveryMinute(model, 4.0 * kHour);
  VorlReferenceRefinementSet(model, static_cast<double>(state.range(0)));
  runThroughTheInterface(state, model, 4.0);
}
BENCHMARK(BM_ReferenceDefaultCase)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The same with the Peng-Robinson gas (methane's constants from the property library).
void BM_ReferenceDefaultCaseRealGas(benchmark::State& state) {
  VorlHandle model = defaultCase(kMethane);
  reportEveryMinute(model, 4.0 * kHour);
  VorlReferenceRealGasSet(model, 1);
  runThroughTheInterface(state, model, 4.0);
}
BENCHMARK(BM_ReferenceDefaultCaseRealGas)->Unit(benchmark::kMillisecond);

// The default case to 1, 4 and 24 h: the cost per simulated hour as the line blows down.
void BM_ReferenceDefaultCaseHours(benchmark::State& state) {
  VorlHandle model = defaultCase(kMethane);
  const double hours = static_cast<double>(state.range(0));
  reportEveryMinute(model, hours * kHour);
  runThroughTheInterface(state, model, hours);
}
BENCHMARK(BM_ReferenceDefaultCaseHours)->Arg(1)->Arg(4)->Arg(24)->Unit(benchmark::kMillisecond);

// The 1,000 km line of docs/accuracy.md (1.15 m bore, 165 bar, 282 K, closed,
// full bore at its far end into 8.6 bar) to 24 h, Peng-Robinson gas.
void BM_ReferenceLongLineRealGas(benchmark::State& state) {
  VorlHandle model = VorlModelCreateZel(kMethane);
  VorlPipeLengthSet(model, 1.0e6);
  VorlPipeDiameterSet(model, 1.15);
  VorlPipeRoughnessSet(model, 5e-5);
  VorlUpstreamPressureSet(model, 165e5);
  VorlTotalInflowSet(model, 0.0);
  VorlGasTemperatureSet(model, 282.0);
  VorlPipeBreachLocationSet(model, 1.0e6);
  VorlOrificeApertureSet(model, 1.0);
  VorlAmbientPressureSet(model, 8.6e5);
  VorlReferenceRealGasSet(model, 1);
  reportEveryMinute(model, 24.0 * kHour);
  runThroughTheInterface(state, model, 24.0);
}
BENCHMARK(BM_ReferenceLongLineRealGas)->Unit(benchmark::kMillisecond);

// The default line breached 1 m and 10 m from its upstream end and from its
// downstream end, to 24 h.
void BM_ReferenceBreachNearAnEnd(benchmark::State& state) {
  VorlHandle model = defaultCase(kMethane);
  VorlPipeBreachLocationSet(model, static_cast<double>(state.range(0)));
  reportEveryMinute(model, 24.0 * kHour);
  runThroughTheInterface(state, model, 24.0);
}
BENCHMARK(BM_ReferenceBreachNearAnEnd)->Arg(1)->Arg(10)->Arg(99990)->Arg(99999)->Unit(benchmark::kMillisecond);

// The default line carrying hydrogen (70 bar, 2 kg/s fed), Peng-Robinson, to 24 h.
void BM_ReferenceFedHydrogenLine(benchmark::State& state) {
  VorlHandle model = defaultCase(kHydrogen);
  VorlTotalInflowSet(model, 2.0);
  VorlReferenceRealGasSet(model, 1);
  reportEveryMinute(model, 24.0 * kHour);
  runThroughTheInterface(state, model, 24.0);
}
BENCHMARK(BM_ReferenceFedHydrogenLine)->Unit(benchmark::kMillisecond);

// A 25 mm hole in the default line without inflow, to the release's own end
// (the line within 1 % of the ambient pressure: about 6 days).
void BM_ReferenceSmallHoleToItsEnd(benchmark::State& state) {
  VorlHandle model = defaultCase(kMethane);
  VorlTotalInflowSet(model, 0.0);
  VorlOrificeApertureSet(model, 0.0025);
  VorlReferenceEndTimeSet(model, 0.0);
  VorlReferenceReportTimesSet(model, nullptr, 0);
  runThroughTheInterface(state, model, 0.0);
}
BENCHMARK(BM_ReferenceSmallHoleToItsEnd)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
