// Transitional: the one-call entry on the results layer against the path it
// replaces (the per-value exports), byte for byte, arrays pre-filled.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/process_settings.h"
#include "vorl.h"

namespace vorl {
void oneCallByExports(
    const int* flags, const double* inputs, const int* material, const int* valveCount, const double* valveFirst,
    const double* valveSecond, const int* timeDivision, const int* maxSteps, double* fanning,
    double* aTimeToDechoke, double* aTimeToDisturbEntireFlow, double* aTimeToDepressurise, int* recordsA,
    double* aTime, double* aUpstreamFlux, double* aUpstreamPressure, double* aUpstreamVelocity,
    double* aOrificeFlux, double* aOrificeVelocity, double* aExitPressure, double* aMass, double* aMassInPipe,
    double* aMassExpelled, double* aLengthDisturbed, double* aPostFlash1, double* aPostFlash2,
    double* aPostFlash3, double* aPostFlash4, double* bTimeToDechoke, double* bTimeToDisturbEntireFlow,
    double* bTimeToFlowReversal, double* bTimeToDepressurise, int* recordsB, double* bTime,
    double* bUpstreamFlux, double* bUpstreamPressure, double* bUpstreamVelocity, double* bOrificeFlux,
    double* bOrificeVelocity, double* bExitPressure, double* bMass, double* bMassInPipe, double* bMassExpelled,
    double* bLengthDisturbed, double* bLengthToPressurePeak, double* bPostFlash1, double* bPostFlash2,
    double* bPostFlash3, double* bPostFlash4, int* outputSteps, double* pipeTime,
    double* pipePostFlashTemperature, double* pipePostFlashVelocity, double* pipePostFlashLiquid,
    double* pipePostFlashDrop, double* pipeMass, double* pipeMassInPipe, double* pipeMassExpelled,
    double* pipeExitFlux);
}

namespace {

using Entry = decltype(&vorl::oneCallByExports);

struct Case {
  int flags[2] = {1, 0};
  double inputs[16] = {288.15, 101325.0, 0.7, 100000.0, 20.0, 7.0e6, 30000.0, 1.0,
                       0.5,    5e-5,     28.966, 12.5, 1000.0, 1e-6, 0.01, 288.15};
  int material = 74828;
  std::vector<double> first, second;
  int division = 100;
  int maxSteps = 400;
};

struct Output {
  double scalars[8];
  int counts[3];
  std::vector<double> arrays;  // 40 arrays of maxSteps + 4
  std::vector<int> codes;
};

Output run(Entry entry, const Case& c, double sentinel) {
  Output o;
  const std::size_t n = static_cast<std::size_t>(c.maxSteps) + 4;
  for (double& s : o.scalars) s = sentinel;
  for (int& k : o.counts) k = -3;
  o.arrays.assign(40 * n, sentinel);
  const auto a = [&](int k) { return &o.arrays[static_cast<std::size_t>(k) * n]; };
  const int valves = static_cast<int>(c.first.size());
  VorlErrorLogClear();
  entry(c.flags, c.inputs, &c.material, &valves, c.first.data(), c.second.data(), &c.division, &c.maxSteps,
        &o.scalars[0], &o.scalars[1], &o.scalars[2], &o.scalars[3], &o.counts[0], a(0), a(1), a(2), a(3), a(4),
        a(5), a(6), a(7), a(8), a(9), a(10), a(11), a(12), a(13), a(14), &o.scalars[4], &o.scalars[5],
        &o.scalars[6], &o.scalars[7], &o.counts[1], a(15), a(16), a(17), a(18), a(19), a(20), a(21), a(22), a(23),
        a(24), a(25), a(26), a(27), a(28), a(29), a(30), &o.counts[2], a(31), a(32), a(33), a(34), a(35), a(36),
        a(37), a(38), a(39));
  for (int i = 0; i < VorlErrorLogCount(); ++i) o.codes.push_back(VorlErrorLogCode(i));
  return o;
}

bool sameBytes(const Output& x, const Output& y) {
  return std::memcmp(x.scalars, y.scalars, sizeof x.scalars) == 0 &&
         std::memcmp(x.counts, y.counts, sizeof x.counts) == 0 && x.arrays.size() == y.arrays.size() &&
         std::memcmp(x.arrays.data(), y.arrays.data(), x.arrays.size() * sizeof(double)) == 0;
}

std::vector<Case> cases() {
  std::vector<Case> all;
  all.emplace_back();
  Case valves;
  valves.first = {20000.0, 50000.0};
  valves.second = {300.0, 600.0};
  all.push_back(valves);
  Case farEnd;
  farEnd.inputs[6] = farEnd.inputs[3];
  all.push_back(farEnd);
  Case atStart;
  atStart.inputs[6] = 0.0;
  all.push_back(atStart);
  Case unfed;  // the phases end: the line empties
  unfed.inputs[4] = 0.0;
  unfed.inputs[3] = 2000.0;
  unfed.inputs[6] = 500.0;
  all.push_back(unfed);
  std::mt19937_64 draw(22);
  const auto between = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(draw); };
  const int materials[] = {74828, 74840, 7727379, 1333740, 124389, 630080, 7782447, 132259100};
  const int steps[] = {3, 10, 50, 400, 2000};
  for (int i = 0; i < 120; ++i) {
    Case c;
    c.material = materials[draw() % 8];
    c.inputs[3] = std::exp(between(std::log(500.0), std::log(300000.0)));
    c.inputs[8] = between(0.1, 1.2);
    c.inputs[5] = std::exp(between(std::log(3e5), std::log(1.5e7)));
    c.inputs[4] = draw() % 3 == 0 ? 0.0 : std::exp(between(std::log(0.5), std::log(100.0)));
    const int kind = static_cast<int>(draw() % 6);
    c.inputs[6] = kind == 0 ? 0.0 : kind == 1 ? c.inputs[3] : c.inputs[3] * between(0.01, 0.99);
    c.inputs[7] = draw() % 3 == 0 ? 1.0 : between(0.2, 1.0);
    c.inputs[15] = between(260.0, 330.0);
    c.flags[0] = draw() % 5 != 0;
    c.flags[1] = static_cast<int>(draw() % 3);
    const int divisions[] = {100, 20, 50, 250, 3};
    c.division = divisions[draw() % 5];
    c.maxSteps = steps[draw() % 5];
    const int nValves = draw() % 3 == 0 ? 1 + static_cast<int>(draw() % 3) : 0;
    for (int v = 0; v < nValves; ++v) {
      c.first.push_back(c.inputs[3] * between(0.0, 1.0));
      c.second.push_back(std::exp(between(std::log(10.0), std::log(20000.0))));
    }
    all.push_back(c);
  }
  return all;
}

TEST(OneCallBytes, TheResultsLayerWritesWhatThePerValueExportsWrote) {
  const bool before = vorl::truncateAtInfinite;
  int compared = 0, ran = 0;
  for (const Case& c : cases()) {
    for (double sentinel : {-7.25, std::nan("")}) {
      const Output old = run(vorl::oneCallByExports, c, sentinel);
      const Output now = run(VorlGenericZel, c, sentinel);
      ++compared;
      if (old.counts[0] > 0) ++ran;
      EXPECT_TRUE(sameBytes(old, now)) << compared << " records " << old.counts[0] << " " << old.counts[1] << " "
                                       << old.counts[2];
      EXPECT_EQ(old.codes, now.codes) << compared;
    }
  }
  std::printf("compared %d calls, %d ran\n", compared, ran);
  vorl::truncateAtInfinite = before;
}

}  // namespace
