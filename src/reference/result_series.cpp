#include "reference/result_series.h"

#include <algorithm>

namespace vorl::reference {
namespace {

void appendBranch(BranchSeries& series, const BranchSample& sample) {
  if (!series.present) return;
  series.releaseRate.push_back(sample.releaseRate);
  series.releasedMass.push_back(sample.releasedMass);
  series.breachEndPressure.push_back(sample.breachEndPressure);
  series.farEndPressure.push_back(sample.farEndPressure);
  series.mass.push_back(sample.mass);
}

BranchSample blend(const BranchSample& a, const BranchSample& b, double w) {
  const auto mix = [w](double x, double y) { return x + w * (y - x); };
  return {mix(a.releaseRate, b.releaseRate), mix(a.releasedMass, b.releasedMass),
          mix(a.breachEndPressure, b.breachEndPressure), mix(a.farEndPressure, b.farEndPressure),
          mix(a.mass, b.mass)};
}

}  // namespace

Sample sampleAtTime(const std::vector<Sample>& history, double time) {
  const auto later = std::upper_bound(history.begin(), history.end(), time,
                                      [](double t, const Sample& s) { return t < s.time; });
  if (later == history.begin()) return history.front();
  if (later == history.end()) return history.back();
  const Sample& a = *(later - 1);
  const Sample& b = *later;
  const double w = (time - a.time) / (b.time - a.time);
  if (w == 0.0) return a;
  const auto mix = [w](double x, double y) { return x + w * (y - x); };
  Sample s;
  s.time = time;
  s.upstream = blend(a.upstream, b.upstream, w);
  s.downstream = blend(a.downstream, b.downstream, w);
  s.inflowRate = mix(a.inflowRate, b.inflowRate);
  s.inflowDelivered = mix(a.inflowDelivered, b.inflowDelivered);
  s.sinkRate = mix(a.sinkRate, b.sinkRate);
  s.sinkDelivered = mix(a.sinkDelivered, b.sinkDelivered);
  s.lineMass = mix(a.lineMass, b.lineMass);
  return s;
}

void appendSample(ReferenceResult& result, const Sample& sample) {
  result.time.push_back(sample.time);
  appendBranch(result.upstream, sample.upstream);
  appendBranch(result.downstream, sample.downstream);
  result.releaseRate.push_back(sample.upstream.releaseRate + sample.downstream.releaseRate);
  result.releasedMass.push_back(sample.upstream.releasedMass + sample.downstream.releasedMass);
  result.inflowRate.push_back(sample.inflowRate);
  result.inflowDelivered.push_back(sample.inflowDelivered);
  result.sinkRate.push_back(sample.sinkRate);
  result.sinkDelivered.push_back(sample.sinkDelivered);
  result.lineMass.push_back(sample.lineMass);
}

}  // namespace vorl::reference
