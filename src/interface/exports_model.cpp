// Model lifecycle, setters and simple queries of the C interface.
#include <memory>

#include "interface/export_frame.h"
#include "run/model_setup.h"

using namespace vorl;

namespace {

// Allocates and constructs a model with its steady flow; a failed
// allocation (code 1) or construction is logged and gives a null handle with
// nothing kept.
template <class Argument>
VorlHandle createModel(Argument argument) noexcept {
  return guarded(VorlHandle{nullptr}, [&] { return handles::add(newModel(argument)); });
}

// A setter export: the input table's writer (the steady flow rebuilt after an
// input of it).
void setInputOf(VorlHandle handle, InputId id, double value) noexcept {
  withModel(handle, [&](VORL& m) { setInput(m, id, value); });
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
  setInputOf(model, InputId::kAmbientTemperature, temperature);
}

VORL_API void VORL_CALL VorlAmbientPressureSet(VorlHandle model, double pressure) {
  setInputOf(model, InputId::kAmbientPressure, pressure);
}

VORL_API void VORL_CALL VorlAmbientHumiditySet(VorlHandle model, double humidity) {
  setInputOf(model, InputId::kAmbientHumidity, humidity);
}

VORL_API void VORL_CALL VorlAmbientMolecularWeightSet(VorlHandle model, double molecularWeight) {
  setInputOf(model, InputId::kAirMolecularWeight, molecularWeight);
}

VORL_API void VORL_CALL VorlPipeDiameterSet(VorlHandle model, double diameter) {
  setInputOf(model, InputId::kPipeDiameter, diameter);
}

VORL_API void VORL_CALL VorlPipeLengthSet(VorlHandle model, double length) {
  setInputOf(model, InputId::kPipeLength, length);
}

VORL_API void VORL_CALL VorlOrificeApertureSet(VorlHandle model, double aperture) {
  setInputOf(model, InputId::kAperture, aperture);
}

VORL_API void VORL_CALL VorlTotalInflowSet(VorlHandle model, double inflow) {
  setInputOf(model, InputId::kTotalInflow, inflow);
}

VORL_API void VORL_CALL VorlPipeBreachLocationSet(VorlHandle model, double location) {
  setInputOf(model, InputId::kBreachLocation, location);
}

VORL_API void VORL_CALL VorlUpstreamPressureSet(VorlHandle model, double pressure) {
  setInputOf(model, InputId::kUpstreamPressure, pressure);
}

VORL_API void VORL_CALL VorlPipeRoughnessSet(VorlHandle model, double roughness) {
  setInputOf(model, InputId::kPipeRoughness, roughness);
}

VORL_API void VORL_CALL VorlGasTemperatureSet(VorlHandle model, double temperature) {
  setInputOf(model, InputId::kGasTemperature, temperature);
}

VORL_API void VORL_CALL VorlAtmosExpanMethodSet(VorlHandle model, int method) {
  setInputOf(model, InputId::kExpansionMethod, method);
}

VORL_API void VORL_CALL VorlAtmosExpanWeNumSet(VorlHandle model, double weberNumber) {
  setInputOf(model, InputId::kWeberNumber, weberNumber);
}

VORL_API void VORL_CALL VorlAtmosExpanMaxVelSet(VorlHandle model, double velocity) {
  setInputOf(model, InputId::kMaxVelocity, velocity);
}

VORL_API void VORL_CALL VorlAtmosExpanMinDropSet(VorlHandle model, double size) {
  setInputOf(model, InputId::kMinDropSize, size);
}

VORL_API void VORL_CALL VorlAtmosExpanMaxDropSet(VorlHandle model, double size) {
  setInputOf(model, InputId::kMaxDropSize, size);
}

VORL_API void VORL_CALL VorlAtmosExpanHoleSizeSet(VorlHandle model, double diameter, double aperture) {
  withModel(model, [&](VORL& m) {
    setInput(m, InputId::kHoleDiameter, diameter);
    setInput(m, InputId::kHoleAperture, aperture);
  });
}

VORL_API void VORL_CALL VorlAtmosExpanPhaseFlagSet(VorlHandle model, int flag) {
  setInputOf(model, InputId::kPhaseFlag, flag);
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

extern "C" {

VORL_API void VORL_CALL VorlBackPressureSet(VorlHandle model, double pressure) {
  setInputOf(model, InputId::kBackPressure, pressure);
}

VORL_API void VORL_CALL VorlWaterDepthSet(VorlHandle model, double depth) {
  setInputOf(model, InputId::kWaterDepth, depth);
}

VORL_API void VORL_CALL VorlSeawaterDensitySet(VorlHandle model, double density) {
  setInputOf(model, InputId::kSeawaterDensity, density);
}

VORL_API void VORL_CALL VorlSupplyModeSet(VorlHandle model, int mode) {
  setInputOf(model, InputId::kSupplyMode, mode);
}

VORL_API void VORL_CALL VorlSupplyTripTimeSet(VorlHandle model, double time) {
  setInputOf(model, InputId::kSupplyTripTime, time);
}

VORL_API void VORL_CALL VorlValveDetectionDelaySet(VorlHandle model, double delay) {
  setInputOf(model, InputId::kValveDetectionDelay, delay);
}

VORL_API void VORL_CALL VorlValveClosingDurationSet(VorlHandle model, double duration) {
  setInputOf(model, InputId::kValveClosingDuration, duration);
}

VORL_API double VORL_CALL VorlOutletPressure(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) { return m.outlet().pressure; });
}

}  // extern "C"
