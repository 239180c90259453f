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
  const bool a = branch == 'A';
  using Value = double(VORL_CALL*)(VorlHandle, int);
  const auto q = [a](Value forA, Value forB) { return a ? forA : forB; };
  const Value time = q(VorlBranchATime, VorlBranchBTime), exitFlux = q(VorlBranchAExitFlux, VorlBranchBExitFlux),
              exitPressure = q(VorlBranchAExitPressure, VorlBranchBExitPressure),
              upstreamPressure = q(VorlBranchAUpstreamPressure, VorlBranchBUpstreamPressure),
              upstreamFlux = q(VorlBranchAUpstreamFlux, VorlBranchBUpstreamFlux), mass = q(VorlBranchAMass, VorlBranchBMass),
              expelled = q(VorlBranchAMassExpelled, VorlBranchBMassExpelled),
              trapped = q(VorlBranchAMassTrapped, VorlBranchBMassTrapped),
              disturbed = q(VorlBranchALengthDisturbed, VorlBranchBLengthDisturbed);
  std::vector<BranchRecord> records;
  const int n = a ? VorlBranchAFlowSequenceSize(model) : VorlBranchBFlowSequenceSize(model);
  for (int i = 0; i < n; ++i) {
    records.push_back({time(model, i), exitFlux(model, i), exitPressure(model, i), upstreamPressure(model, i),
                       upstreamFlux(model, i), mass(model, i), expelled(model, i), trapped(model, i),
                       disturbed(model, i), a ? VorlBranchARegime(model, i) : VorlBranchBRegime(model, i)});
  }
  return records;
}

}  // namespace vorl::test
