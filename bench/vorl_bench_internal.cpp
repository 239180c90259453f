// The cost the handle registry adds to every call that takes a handle: one
// lease (acquire and release) of a live model, alone and on two threads each
// with its own model, and a whole export that does little else. See
// docs/performance.md.
#include <benchmark/benchmark.h>

#include <vector>

#include "interface/handle_registry.h"
#include "vorl.h"

namespace {

// One lease of a live model, as every export that takes a handle makes it.
// With two threads each leases its own model: the figure should not grow.
void BM_HandleLease(benchmark::State& state) {
  VorlHandle model = VorlModelCreateSimple(16.043);
  for (auto _ : state) {
    const vorl::handles::Lease lease = vorl::handles::acquire(model);
    benchmark::DoNotOptimize(&lease.model());
  }
  VorlModelDelete(&model);
}
BENCHMARK(BM_HandleLease)->Threads(1)->Threads(2)->UseRealTime();

// Two threads leasing the same model: the slot's cache line moves between
// the cores (the case the registry does not optimise; a model is meant to be
// used by one thread at a time).
VorlHandle gShared = nullptr;
void BM_HandleLeaseOneModelTwoThreads(benchmark::State& state) {
  if (state.thread_index() == 0) gShared = VorlModelCreateSimple(16.043);
  for (auto _ : state) {
    const vorl::handles::Lease lease = vorl::handles::acquire(gShared);
    benchmark::DoNotOptimize(&lease.model());
  }
  if (state.thread_index() == 0) VorlModelDelete(&gShared);
}
BENCHMARK(BM_HandleLeaseOneModelTwoThreads)->Threads(2)->UseRealTime();

// A stale handle: refused without touching any model (the report is not
// part of the figure: the log is cleared outside the timing).
void BM_HandleLeaseStale(benchmark::State& state) {
  VorlHandle model = VorlModelCreateSimple(16.043);
  const VorlHandle stale = model;
  VorlModelDelete(&model);
  for (auto _ : state) {
    const vorl::handles::Lease lease = vorl::handles::acquire(stale);
    benchmark::DoNotOptimize(static_cast<bool>(lease));
  }
}
BENCHMARK(BM_HandleLeaseStale);

// A whole export that reads one value: the frame, the floating-point guard,
// the lease and the read.
void BM_CheapExport(benchmark::State& state) {
  VorlHandle model = VorlModelCreateSimple(16.043);
  for (auto _ : state) benchmark::DoNotOptimize(VorlPipeLength(model));
  VorlModelDelete(&model);
}
BENCHMARK(BM_CheapExport)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
