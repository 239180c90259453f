#pragma once

#include <vector>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace vorl::test {

// A realistic case: a 100 km methane line of 0.5 m bore (roughness 5e-5 m)
// at 70 bar, breached at 30 km. Inflow in kg/s.
inline VorlHandle methaneLine(double inflow = 0.0, double breach = 30000.0) {
  VorlHandle model = VorlModelCreateZel(kMethane);
  VorlPipeDiameterSet(model, 0.5);
  VorlPipeRoughnessSet(model, 5e-5);
  VorlPipeLengthSet(model, 100000.0);
  VorlUpstreamPressureSet(model, 7.0e6);
  VorlTotalInflowSet(model, inflow);
  VorlPipeBreachLocationSet(model, breach);
  return model;
}

// One branch's stored history as the host reads it.
struct BranchRecord {
  double time, exitFlux, exitPressure, upstreamPressure, upstreamFlux, mass, massExpelled, massTrapped,
      lengthDisturbed;
  int regime;
};

inline std::vector<BranchRecord> branchHistory(VorlHandle model, char branch) {
  std::vector<BranchRecord> records;
  const bool a = branch == 'A';
  const int n = a ? VorlBranchAFlowSequenceSize(model) : VorlBranchBFlowSequenceSize(model);
  for (int i = 0; i < n; ++i) {
    if (a) {
      records.push_back({VorlBranchATime(model, i), VorlBranchAExitFlux(model, i), VorlBranchAExitPressure(model, i),
                         VorlBranchAUpstreamPressure(model, i), VorlBranchAUpstreamFlux(model, i),
                         VorlBranchAMass(model, i), VorlBranchAMassExpelled(model, i),
                         VorlBranchAMassTrapped(model, i), VorlBranchALengthDisturbed(model, i),
                         VorlBranchARegime(model, i)});
    } else {
      records.push_back({VorlBranchBTime(model, i), VorlBranchBExitFlux(model, i), VorlBranchBExitPressure(model, i),
                         VorlBranchBUpstreamPressure(model, i), VorlBranchBUpstreamFlux(model, i),
                         VorlBranchBMass(model, i), VorlBranchBMassExpelled(model, i),
                         VorlBranchBMassTrapped(model, i), VorlBranchBLengthDisturbed(model, i),
                         VorlBranchBRegime(model, i)});
    }
  }
  return records;
}

}  // namespace vorl::test
