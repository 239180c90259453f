// Results of the stored steps of branch A and branch B. The two families are
// twins: every rule below is written once and gives both exports.
#include "core/constants.h"
#include "interface/export_frame.h"
#include "results/branch_history.h"
#include "results/record_quantities.h"

using namespace vorl;

namespace {

// One range-tested read of element `index` of the branch's sequence, then the
// rule. Raises 3 "BAFH" before any run and 4 "GBSQ[]" for a bad index.
template <class Result, class Rule>
Result recordQuery(VorlHandle model, BranchId branch, int index, Result nullResult, Rule rule) {
  return withModel(model, nullResult, [&](VORL& m) { return rule(m.requireSequence(branch)[index]); });
}

// A query of the whole history. Raises 3 "BAFH" before any run.
template <class Rule>
double historyQuery(VorlHandle model, BranchId branch, Rule rule) {
  return withModel(model, 0.0, [&](VORL& m) { return rule(m.requireSequence(branch)); });
}

// Gas expelled through the breach since the breach, by the branch's mass balance.
double massExpelledQuery(VorlHandle model, BranchId branch, int index) {
  return withModel(model, 0.0, [&](VORL& m) { return massExpelled(m.requireSequence(branch), index); });
}

}  // namespace

// Both families of an indexed query from one rule on the element `e`.
#define VORL_RECORD_QUERY(Name, Result, NullResult, Rule)                                   \
  VORL_API Result VORL_CALL VorlBranchA##Name(VorlHandle model, int index) {                 \
    return recordQuery(model, BranchId::kA, index, Result(NullResult), [](const GB& e) { return Result(Rule); }); \
  }                                                                                          \
  VORL_API Result VORL_CALL VorlBranchB##Name(VorlHandle model, int index) {                 \
    return recordQuery(model, BranchId::kB, index, Result(NullResult), [](const GB& e) { return Result(Rule); }); \
  }

#define VORL_HISTORY_QUERY(Name, Scan)                                                       \
  VORL_API double VORL_CALL VorlBranchA##Name(VorlHandle model) {                            \
    return historyQuery(model, BranchId::kA, [](const GBSQ& s) { return Scan(s); });            \
  }                                                                                          \
  VORL_API double VORL_CALL VorlBranchB##Name(VorlHandle model) {                            \
    return historyQuery(model, BranchId::kB, [](const GBSQ& s) { return Scan(s); });            \
  }

extern "C" {

VORL_API int VORL_CALL VorlBranchAFlowSequenceSize(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) {
    const GBSQ* sequence = m.sequenceOf(BranchId::kA);
    return sequence != nullptr ? sequence->reportedSize() : 0;
  });
}

VORL_API int VORL_CALL VorlBranchBFlowSequenceSize(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) {
    const GBSQ* sequence = m.sequenceOf(BranchId::kB);
    return sequence != nullptr ? sequence->reportedSize() : 0;
  });
}

VORL_HISTORY_QUERY(TimeToDechoke, timeToDechoke)
VORL_HISTORY_QUERY(TimeToDepressurise, timeToDepressurise)
VORL_HISTORY_QUERY(TimeToDisturbEntireFlow, timeToDisturbEntireFlow)

VORL_API double VORL_CALL VorlBranchBTimeToFlowReversal(VorlHandle model) {
  return historyQuery(model, BranchId::kB, [](const GBSQ& s) { return timeToFlowReversal(s); });
}

VORL_RECORD_QUERY(UpstreamFlux, double, 0.0, upstreamFluxOf(e))
VORL_RECORD_QUERY(UpstreamFluxDensity, double, 0.0, e.upstream.G)
VORL_RECORD_QUERY(UpstreamPressure, double, 0.0, e.upstream.p)
VORL_RECORD_QUERY(UpstreamVelocity, double, 0.0, upstreamVelocityOf(e))
VORL_RECORD_QUERY(ExitFluxDensity, double, 0.0, e.exit.G)
VORL_RECORD_QUERY(ExitPressure, double, 0.0, e.exit.p)
VORL_RECORD_QUERY(ExitVelocity, double, 0.0, exitVelocityOf(e))
VORL_RECORD_QUERY(OrificeFluxDensity, double, 0.0, orificeFluxDensityOf(e))
VORL_RECORD_QUERY(OrificeVelocity, double, 0.0, orificeVelocityOf(e))
VORL_RECORD_QUERY(OrificeFlux, double, 0.0, orificeFluxOf(e))
VORL_RECORD_QUERY(LengthToPressurePeak, double, 0.0, e.lengthToPressurePeak)
VORL_RECORD_QUERY(LengthDisturbed, double, 0.0, e.lengthDisturbed)
VORL_RECORD_QUERY(Mass, double, 0.0, massOf(e))
VORL_RECORD_QUERY(MassExpelledIsInfinite, VorlBool, 0, massExpelledIsInfiniteOf(e))
VORL_RECORD_QUERY(Time, double, 0.0, e.time)
VORL_RECORD_QUERY(TimeIsInfinite, VorlBool, 0, isInfinite(e.time))
VORL_RECORD_QUERY(MassTrapped, double, 0.0, trappedMassOf(e))
VORL_RECORD_QUERY(MassInPipe, double, 0.0, massInPipeOf(e))
VORL_RECORD_QUERY(Regime, int, -1, static_cast<int>(e.phase))

VORL_API double VORL_CALL VorlBranchAExitFlux(VorlHandle model, int index) {
  return recordQuery(model, BranchId::kA, index, 0.0, [](const GB& e) { return exitFluxOf(e, BranchId::kA); });
}

VORL_API double VORL_CALL VorlBranchBExitFlux(VorlHandle model, int index) {
  return recordQuery(model, BranchId::kB, index, 0.0, [](const GB& e) { return exitFluxOf(e, BranchId::kB); });
}

VORL_API double VORL_CALL VorlBranchAMassExpelled(VorlHandle model, int index) {
  return massExpelledQuery(model, BranchId::kA, index);
}

VORL_API double VORL_CALL VorlBranchBMassExpelled(VorlHandle model, int index) {
  return massExpelledQuery(model, BranchId::kB, index);
}

}  // extern "C"
