// Model lifecycle, setters and simple queries of the C interface.
#include <memory>

#include "branch/branch_setup.h"
#include "interface/export_frame.h"

using namespace vorl;

namespace {

// Allocates and constructs a model with its steady flow; a failed
// allocation (code 1) or construction is logged and gives a null handle with
// nothing kept.
template <class Argument>
VorlHandle createModel(Argument argument) noexcept {
  return guarded(VorlHandle{nullptr}, [&] {
    auto model = std::make_unique<VORL>(argument);
    rebuildWholePipe(*model);
    return handles::add(std::move(model));
  });
}

// A setter of an input of the steady flow: the whole-pipe branch follows it.
template <class Set>
void setSteadyFlowInput(VorlHandle handle, Set set) noexcept {
  withModel(handle, [&](VORL& m) {
    set(m);
    rebuildWholePipe(m);
  });
}

}  // namespace

extern "C" {

VORL_API VorlHandle VORL_CALL VorlModelCreateZel(int material) { return createModel(material); }

VORL_API VorlHandle VORL_CALL VorlModelCreateSimple(double molecularWeight) {
  return createModel(VORL::SimpleGas{molecularWeight});
}

VORL_API void VORL_CALL VorlModelDelete(VorlHandle* handle) {
  if (handle == nullptr) {
    reportNullHandle();
    return;
  }
  // A copy of a deleted model's handle is refused like any stale handle.
  guarded([&] {
    if (*handle != nullptr && !handles::remove(*handle)) reportNullHandle(*handle);
  });
  *handle = nullptr;
}

VORL_API void VORL_CALL VorlAmbientTemperatureSet(VorlHandle model, double temperature) {
  setSteadyFlowInput(model, [&](VORL& m) { m.ambientTemperatureSet(temperature); });
}

VORL_API void VORL_CALL VorlAmbientPressureSet(VorlHandle model, double pressure) {
  withModel(model, [&](VORL& m) { m.ambientPressureSet(pressure); });
}

VORL_API void VORL_CALL VorlAmbientHumiditySet(VorlHandle model, double humidity) {
  withModel(model, [&](VORL& m) { m.ambientHumiditySet(humidity); });
}

VORL_API void VORL_CALL VorlAmbientMolecularWeightSet(VorlHandle model, double molecularWeight) {
  withModel(model, [&](VORL& m) { m.ambientMolecularWeightSet(molecularWeight); });
}

VORL_API void VORL_CALL VorlPipeDiameterSet(VorlHandle model, double diameter) {
  setSteadyFlowInput(model, [&](VORL& m) { m.pipeDiameterSet(diameter); });
}

VORL_API void VORL_CALL VorlPipeLengthSet(VorlHandle model, double length) {
  setSteadyFlowInput(model, [&](VORL& m) { m.pipeLengthSet(length); });
}

VORL_API void VORL_CALL VorlOrificeApertureSet(VorlHandle model, double aperture) {
  withModel(model, [&](VORL& m) { m.orificeApertureSet(aperture); });
}

VORL_API void VORL_CALL VorlTotalInflowSet(VorlHandle model, double inflow) {
  setSteadyFlowInput(model, [&](VORL& m) { m.totalInflowSet(inflow); });
}

VORL_API void VORL_CALL VorlPipeBreachLocationSet(VorlHandle model, double location) {
  withModel(model, [&](VORL& m) { m.breachLocationSet(location); });
}

VORL_API void VORL_CALL VorlUpstreamPressureSet(VorlHandle model, double pressure) {
  setSteadyFlowInput(model, [&](VORL& m) { m.upstreamPressureSet(pressure); });
}

VORL_API void VORL_CALL VorlPipeRoughnessSet(VorlHandle model, double roughness) {
  setSteadyFlowInput(model, [&](VORL& m) { m.pipeRoughnessSet(roughness); });
}

VORL_API void VORL_CALL VorlGasTemperatureSet(VorlHandle model, double temperature) {
  setSteadyFlowInput(model, [&](VORL& m) { m.gasTemperatureSet(temperature); });
}

VORL_API void VORL_CALL VorlAtmosExpanMethodSet(VorlHandle model, int method) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().ExpMethodSet(method); });
}

VORL_API void VORL_CALL VorlAtmosExpanWeNumSet(VorlHandle model, double weberNumber) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().WeberNumSet(weberNumber); });
}

VORL_API void VORL_CALL VorlAtmosExpanMaxVelSet(VorlHandle model, double velocity) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().MaxVelocitySet(velocity); });
}

VORL_API void VORL_CALL VorlAtmosExpanMinDropSet(VorlHandle model, double size) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().MinDropSizeSet(size); });
}

VORL_API void VORL_CALL VorlAtmosExpanMaxDropSet(VorlHandle model, double size) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().MaxDropSizeSet(size); });
}

VORL_API void VORL_CALL VorlAtmosExpanHoleSizeSet(VorlHandle model, double diameter, double aperture) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().HoleDiameterSet(diameter, aperture); });
}

VORL_API void VORL_CALL VorlAtmosExpanPhaseFlagSet(VorlHandle model, int flag) {
  withModel(model, [&](VORL& m) { m.atmosExpansion().InitialPhaseFlagSet(flag); });
}

VORL_API double VORL_CALL VorlFanning(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) { return m.pipeInterior().Fanning(); });
}

VORL_API double VORL_CALL VorlPipeLength(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) { return m.pipeSet().length; });
}

VORL_API double VORL_CALL VorlPipeBreachLocation(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) { return m.pipeSet().effectiveBreachLocation(); });
}

VORL_API VorlBool VORL_CALL VorlIsDoubleBranch(VorlHandle model) {
  return withModel(model, VorlBool{0}, [](VORL& m) { return toVorlBool(m.isDoubleBranch()); });
}

VORL_API VorlBool VORL_CALL VorlIsSingleBranchA(VorlHandle model) {
  return withModel(model, VorlBool{0}, [](VORL& m) { return toVorlBool(m.isSingleBranchA()); });
}

VORL_API VorlBool VORL_CALL VorlIsSingleBranchB(VorlHandle model) {
  return withModel(model, VorlBool{0}, [](VORL& m) { return toVorlBool(m.isSingleBranchB()); });
}

}  // extern "C"
