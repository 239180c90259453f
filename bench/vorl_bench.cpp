// Benchmarks of the C interface on the paths a study of many release cases
// takes: a run of the default case at several time divisions, the one-call
// entry, a pipe-level time setting between stored records, a valve closure
// cut while the breach is choked, and the post-flash query. docs/performance.md
// gives the figures and how they were taken.
//
// Only the interface is used, as a host would. A case that does not behave as
// its benchmark needs (no records, no choke at the closure) stops that
// benchmark with an error instead of timing something else.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "vorl.h"

namespace {

constexpr int kMethane = 74828;

// The default case of the command-line tool: a 100 km methane line of 0.5 m
// bore (roughness 5e-5 m) at 70 bar, fed by 20 kg/s, breached at 30 km: two
// branches.
struct DefaultCase {
  double length = 100000.0;   // m
  double diameter = 0.5;      // m
  double roughness = 5e-5;    // m
  double pressure = 7.0e6;    // Pa at the supply end
  double inflow = 20.0;       // kg/s
  double breach = 30000.0;    // m from the upstream end
};

VorlHandle makeModel(const DefaultCase& c, int division) {
  VorlHandle model = VorlModelCreateZel(kMethane);
  VorlPipeDiameterSet(model, c.diameter);
  VorlPipeRoughnessSet(model, c.roughness);
  VorlPipeLengthSet(model, c.length);
  VorlUpstreamPressureSet(model, c.pressure);
  VorlTotalInflowSet(model, c.inflow);
  VorlPipeBreachLocationSet(model, c.breach);
  VorlTimeDivisionSet(model, division);
  return model;
}

// The run of the default case, on one model run again and again: the cost of
// VorlRun itself. Grows linearly with the time division (records per branch).
void BM_DefaultCaseRun(benchmark::State& state) {
  const int division = static_cast<int>(state.range(0));
  VorlHandle model = makeModel(DefaultCase{}, division);
  if (!VorlIsDoubleBranch(model) || VorlRun(model) <= 0) state.SkipWithError("the default case did not run");
  int records = 0;
  for (auto _ : state) {
    records = VorlRun(model);
    benchmark::DoNotOptimize(records);
  }
  state.counters["records"] = records;
  state.counters["ns_per_record"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
  VorlModelDelete(&model);
}
BENCHMARK(BM_DefaultCaseRun)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
// The sweep over the time division.
BENCHMARK(BM_DefaultCaseRun)
    ->Name("BM_DefaultCaseRunSweep")
    ->DenseRange(50, 300, 50)
    ->DenseRange(400, 1000, 200)
    ->Unit(benchmark::kMicrosecond);

// What a batch host does per case: create, set, run, read the pipe-level
// outflow at ten times, delete.
void BM_DefaultCaseWholeCase(benchmark::State& state) {
  const int division = static_cast<int>(state.range(0));
  for (auto _ : state) {
    VorlHandle model = makeModel(DefaultCase{}, division);
    VorlRun(model);
    double sum = 0.0;
    for (int k = 1; k <= 10; ++k) {
      VorlPipeTimeSet(model, 300.0 * k, 0.0);
      sum += VorlPipeExitFlux(model);
    }
    benchmark::DoNotOptimize(sum);
    VorlModelDelete(&model);
  }
}
BENCHMARK(BM_DefaultCaseWholeCase)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// ---- The one-call entry ----

// Arrays of the one-call entry for the default case: inputs in the order of
// the entry, every output array of *maxSteps doubles.
struct GenericCall {
  int flags[2] = {0, 0};  // valves off, expansion method 0
  double inputs[16] = {288.15,  101325.0, 0.6,     100000.0, 20.0, 7.0e6, 30000.0, 1.0,
                       0.5,     5e-5,     28.96,   12.0,     500.0, 1e-6, 1e-3,   288.15};
  int material = kMethane;
  int valveCount = 0;
  double valveFirst[1] = {0.0};
  double valveSecond[1] = {1.0};
  int timeDivision;
  int maxSteps;
  std::vector<std::vector<double>> out;

  GenericCall(int division, int steps) : timeDivision(division), maxSteps(steps), out(59) {
    for (auto& array : out) array.assign(static_cast<std::size_t>(steps), 0.0);
  }
  double* d(int i) { return out[static_cast<std::size_t>(i)].data(); }
  int* n(int i) { return reinterpret_cast<int*>(out[static_cast<std::size_t>(i)].data()); }

  void call() {
    VorlGenericZel(flags, inputs, &material, &valveCount, valveFirst, valveSecond, &timeDivision, &maxSteps,
                   d(8), d(9), d(10), d(11), n(12), d(13), d(14), d(15), d(16), d(17), d(18), d(19), d(20), d(21),
                   d(22), d(23), d(24), d(25), d(26), d(27), d(28), d(29), d(30), d(31), n(32), d(33), d(34), d(35),
                   d(36), d(37), d(38), d(39), d(40), d(41), d(42), d(43), d(44), d(45), d(46), d(47), d(48), n(49),
                   d(50), d(51), d(52), d(53), d(54), d(55), d(56), d(57), d(58));
  }
  int recordsA() { return *n(12); }
  int recordsB() { return *n(32); }
  int outputSteps() { return *n(49); }
};

// The default case through the one-call entry: create, check, set, run,
// copy both histories with their post-flash states and fill the pipe-level
// table, delete. Division 1000 with *maxSteps 1000 gives 1000 output steps.
void BM_GenericEntry(benchmark::State& state) {
  GenericCall call(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  call.call();
  if (call.recordsA() <= 0 || call.recordsB() <= 0) state.SkipWithError("the one-call entry gave no records");
  for (auto _ : state) {
    call.call();
    benchmark::ClobberMemory();
  }
  state.counters["records"] = call.recordsA() + call.recordsB();
  state.counters["output_steps"] = call.outputSteps();
}
BENCHMARK(BM_GenericEntry)->Args({1000, 1000})->Args({100, 1000})->Unit(benchmark::kMicrosecond);

// ---- Pipe-level time setting ----

// VorlPipeTimeSet at times that fall between stored records: each branch is
// looked up and brought forward to the time from the stored state before it.
void BM_PipeTimeSetBetweenRecords(benchmark::State& state) {
  const int division = static_cast<int>(state.range(0));
  VorlHandle model = makeModel(DefaultCase{}, division);
  VorlRun(model);
  // Times half-way between consecutive stored times of branch B.
  std::vector<double> times;
  const int n = VorlBranchBFlowSequenceSize(model);
  for (int i = 2; i + 1 < n && !VorlBranchBTimeIsInfinite(model, i + 1); ++i) {
    const double t0 = VorlBranchBTime(model, i);
    const double t1 = VorlBranchBTime(model, i + 1);
    if (t1 > t0) times.push_back((t0 + t1) / 2.0);
  }
  if (times.empty()) state.SkipWithError("no times between records");
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(VorlPipeTimeSet(model, times[k], 0.0));
    if (++k == times.size()) k = 0;
  }
  state.counters["records"] = VorlBranchAFlowSequenceSize(model) + n;
  VorlModelDelete(&model);
}
BENCHMARK(BM_PipeTimeSetBetweenRecords)->Arg(100)->Arg(1000)->Arg(100000)->Unit(benchmark::kNanosecond);

// The pipe table at 200 times spaced evenly in logarithm from 1 s to 1 h, as
// brimlow.run's result.pipe(times) asks it: each time looked up, its row of
// pipe-level quantities and the post-flash state.
void BM_PipeTableAt200Times(benchmark::State& state) {
  VorlHandle model = makeModel(DefaultCase{}, 100);
  VorlRun(model);
  constexpr int kTimes = 200;
  std::vector<double> times(kTimes);
  for (int i = 0; i < kTimes; ++i) times[i] = std::pow(3600.0, i / (kTimes - 1.0));
  std::vector<double> values(static_cast<std::size_t>(kTimes * VorlPipeTableColumnCount()));
  const double tolerance = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(VorlPipeTableFill(model, times.data(), kTimes, &tolerance, 1, values.data(), kTimes));
  }
  VorlModelDelete(&model);
}
BENCHMARK(BM_PipeTableAt200Times)->Unit(benchmark::kMicrosecond);

// The library's share of brimlow.run with both branch tables and the pipe at
// 200 times: a new model of the default case, run, both branch tables, the
// pipe table of BM_PipeTableAt200Times, deleted.
void BM_RunWithTablesAndPipe(benchmark::State& state) {
  constexpr int kTimes = 200;
  std::vector<double> times(kTimes);
  for (int i = 0; i < kTimes; ++i) times[i] = std::pow(3600.0, i / (kTimes - 1.0));
  std::vector<double> pipe(static_cast<std::size_t>(kTimes * VorlPipeTableColumnCount()));
  std::vector<double> records;
  const double tolerance = 0.0;
  for (auto _ : state) {
    VorlHandle model = makeModel(DefaultCase{}, 100);
    if (VorlRun(model) <= 0) state.SkipWithError("the default case did not run");
    for (int branch : {VORL_BRANCH_A, VORL_BRANCH_B}) {
      const int rows = VorlBranchTableFill(model, branch, nullptr, 0);
      records.resize(static_cast<std::size_t>(rows * VorlBranchTableColumnCount()));
      VorlBranchTableFill(model, branch, records.data(), rows);
    }
    benchmark::DoNotOptimize(VorlPipeTableFill(model, times.data(), kTimes, &tolerance, 1, pipe.data(), kTimes));
    VorlModelDelete(&model);
  }
}
BENCHMARK(BM_RunWithTablesAndPipe)->Unit(benchmark::kMicrosecond);

// ---- Output time grid over a long history ----

// The run's own times thinned to 100 (grid mode 2, as the one-call entry's
// table does with mode 3): the cost grows with the history, which a high
// time division (or a short choked branch) makes long.
void BM_OutputTimesThinned(benchmark::State& state) {
  const int division = static_cast<int>(state.range(0));
  VorlHandle model = makeModel(DefaultCase{}, division);
  const int records = VorlRun(model);
  if (records <= 0) state.SkipWithError("the default case did not run");
  for (auto _ : state) {
    VorlPipeOutputTimesDefine(model, VORL_GRID_RUN_TIMES, 100);
    benchmark::DoNotOptimize(VorlPipeOutputSteps(model));
  }
  state.counters["records"] = records;
  VorlModelDelete(&model);
}
BENCHMARK(BM_OutputTimesThinned)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ---- Valve closure while the breach is choked ----

// Branch A is cut by a valve 2 km upstream of the breach that shuts 5 s after
// the breach, while the breach is still choked: the cut solves the choked
// outflow of the closed part for its exit pressure. The run with the cut is
// timed against the same run without valves (BM_DefaultCaseRun/100).
void BM_ValveClosureChokedRun(benchmark::State& state) {
  const double closureTime = 5.0;  // s
  VorlHandle model = makeModel(DefaultCase{}, 100);
  VorlValveAdd(model, 28000.0, closureTime);
  VorlValvesActivate(model, 1);
  VorlErrorLogClear();
  VorlRun(model);
  if (VorlErrorLogCount() != 0 || !(VorlBranchATimeToDechoke(model) > closureTime) ||
      !(VorlBranchAMassTrapped(model, VorlBranchAFlowSequenceSize(model) - 1) > 0.0)) {
    state.SkipWithError("the valve did not cut branch A while its breach was choked");
  }
  int records = 0;
  for (auto _ : state) {
    records = VorlRun(model);
    benchmark::DoNotOptimize(records);
  }
  state.counters["records"] = records;
  VorlModelDelete(&model);
}
BENCHMARK(BM_ValveClosureChokedRun)->Unit(benchmark::kMicrosecond);

// ---- Many valves ----

// The default case with n valves, active. Arrangement 0: spread evenly along
// the whole pipe, every one closing at 10^6 s, after the blow-down: branch A,
// fed, is carried to the closures and cut at each valve in turn (the most
// cuts). Arrangement 1: random positions and closure times within the first
// hour. Arrangement 2: all beyond the far end, closing at 10 s: none can
// ever act.
void BM_ManyValves(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int arrangement = static_cast<int>(state.range(1));
  VorlHandle model = makeModel(DefaultCase{}, 100);
  std::uint64_t seed = 12345;
  const auto uniform = [&seed] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(seed >> 11) * 0x1.0p-53;
  };
  for (int i = 0; i < n; ++i) {
    if (arrangement == 0) VorlValveAdd(model, 100000.0 * (i + 0.5) / n, 1.0e6);
    if (arrangement == 1) VorlValveAdd(model, 100000.0 * uniform(), 3600.0 * uniform());
    if (arrangement == 2) VorlValveAdd(model, 200000.0 + i, 10.0);
  }
  VorlValvesActivate(model, 1);
  int records = 0;
  for (auto _ : state) {
    records = VorlRun(model);
    benchmark::DoNotOptimize(records);
  }
  if (records <= 0) state.SkipWithError("the run failed");
  state.counters["records"] = records;
  VorlModelDelete(&model);
}
BENCHMARK(BM_ManyValves)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);

// ---- Post-flash ----

// VorlPipePostFlash at a set time of the default case: both branches flow,
// each exit state is expanded to ambient pressure and the two are weighted.
void BM_PipePostFlash(benchmark::State& state) {
  VorlHandle model = makeModel(DefaultCase{}, 100);
  VorlRun(model);
  VorlPipeTimeSet(model, 600.0, 0.0);
  double v = 0.0, t = 0.0, l = 0.0, d = 0.0;
  VorlPipePostFlash(model, &v, &t, &l, &d);
  if (!(v > 0.0) || !(t > 0.0)) state.SkipWithError("no outflow at 600 s");
  for (auto _ : state) {
    VorlPipePostFlash(model, &v, &t, &l, &d);
    benchmark::DoNotOptimize(v);
    benchmark::DoNotOptimize(t);
  }
  VorlModelDelete(&model);
}
BENCHMARK(BM_PipePostFlash)->Unit(benchmark::kNanosecond);

// The same for one stored record of a branch (the one-call entry calls it for
// every record it copies).
void BM_BranchPostFlash(benchmark::State& state) {
  VorlHandle model = makeModel(DefaultCase{}, 100);
  VorlRun(model);
  double t = 0.0, v = 0.0, l = 0.0, d = 0.0;
  for (auto _ : state) {
    VorlBranchAPostFlash(model, 40, &t, &v, &l, &d);
    benchmark::DoNotOptimize(t);
  }
  VorlModelDelete(&model);
}
BENCHMARK(BM_BranchPostFlash)->Unit(benchmark::kNanosecond);

}  // namespace

// One case of a sweep as a host reads it whole: a new model of the default
// case with the breach moved along the line, run, its release report, both
// branch tables and the pipe at the output grid, deleted. On 1 and 2 threads:
// models are independent, so two threads should do twice the cases.
void BM_SweepCaseWithTables(benchmark::State& state) {
  std::vector<double> report(static_cast<std::size_t>(VorlReleaseReportColumnCount()));
  std::vector<double> table;
  int k = state.thread_index() * 1000;
  for (auto _ : state) {
    DefaultCase c;
    c.breach = 20000.0 + 1000.0 * (k++ % 50);
    VorlHandle model = makeModel(c, 100);
    if (VorlRun(model) <= 0) state.SkipWithError("a sweep case did not run");
    VorlReleaseReportFill(model, report.data(), 1);
    for (int branch : {VORL_BRANCH_A, VORL_BRANCH_B}) {
      table.resize(static_cast<std::size_t>(VorlBranchTableFill(model, branch, nullptr, 0) *
                                            VorlBranchTableColumnCount()));
      VorlBranchTableFill(model, branch, table.data(), static_cast<int>(table.size()) / VorlBranchTableColumnCount());
    }
    const int rows = VorlPipeGridTableFill(model, 100, nullptr, 0);
    table.resize(static_cast<std::size_t>(rows * VorlPipeTableColumnCount()));
    benchmark::DoNotOptimize(VorlPipeGridTableFill(model, 100, table.data(), rows));
    VorlModelDelete(&model);
  }
}
BENCHMARK(BM_SweepCaseWithTables)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMicrosecond);

// 10,000 default-like cases (the breach along the line) with their release
// reports in one call of the sweep entry, on Arg threads of the library: the
// library's share of a Python sweep (bench/python_bench.py) and of a batch.
void BM_SweepRun(benchmark::State& state) {
  constexpr int kCases = 10000;
  const int flagWidth = VorlOneCallSlotSize(VORL_SLOT_FLAGS), inputWidth = VorlOneCallSlotSize(VORL_SLOT_INPUTS);
  std::vector<int> materials(kCases, kMethane), flags, divisions(kCases, 100), steps(kCases, 200);
  std::vector<double> inputs;
  for (int i = 0; i < kCases; ++i) {
    const double row[16] = {288.15, 101325.0, 0.7, 100000.0, 20.0, 7.0e6, 1000.0 + 9.8 * i, 1.0,
                            0.5,    5e-5,     28.966, 12.5, 1000.0, 1e-6, 0.01, 288.15};
    inputs.insert(inputs.end(), row, row + inputWidth);
    flags.insert(flags.end(), {1, 0});
    flags.resize(static_cast<std::size_t>((i + 1) * flagWidth));
  }
  std::vector<double> report(static_cast<std::size_t>(kCases * VorlReleaseReportColumnCount()));
  std::vector<int> status(kCases), codes(kCases);
  const double tolerance = 0.0;
  for (auto _ : state) {
    const int finished = VorlSweepRun(kCases, materials.data(), nullptr, nullptr, flags.data(), inputs.data(),
                                      divisions.data(), steps.data(), nullptr, nullptr, nullptr,
                                      static_cast<int>(state.range(0)), nullptr, 0, &tolerance, 1, report.data(),
                                      nullptr, status.data(), codes.data(), nullptr, nullptr);
    if (finished != kCases) state.SkipWithError("a sweep case did not finish");
  }
  state.counters["us_per_case"] =
      benchmark::Counter(static_cast<double>(kCases) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
}
BENCHMARK(BM_SweepRun)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
