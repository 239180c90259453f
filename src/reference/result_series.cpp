#include "reference/result_series.h"

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

}  // namespace

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
