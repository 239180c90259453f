// A gas given by its composition: models of mixtures and of the library's
// named gases, the composition and properties of a model's gas, and the
// interaction coefficients the mixtures take.
#include <memory>
#include <string>

#include "companion/gas_mixture.h"
#include "companion/property_library.h"
#include "interface/export_frame.h"
#include "interface/table_exports.h"
#include "interface/text_copy.h"
#include "results/screening.h"
#include "run/model_setup.h"

using namespace vorl;

namespace {

constexpr const char* kTag = "VorlComposition";

std::shared_ptr<const GasMixture> mixtureOf(int count, const int* numbers, const double* fractions) {
  return std::make_shared<const GasMixture>(numbers, fractions, count, kTag);
}

std::shared_ptr<const GasMixture> mixtureOf(const NamedGas& gas) {
  return mixtureOf(static_cast<int>(gas.numbers.size()), gas.numbers.data(), gas.fractions.data());
}

const NamedGas& namedGas(int index) {
  requireIndex(index, namedGasCount(), "named gas index", "named gases of the library", kTag);
  return namedGasAt(static_cast<std::size_t>(index));
}

template <class Field>
int copyNamedGasField(int index, char* buffer, int size, Field field) {
  return guarded(-1, [&] { return copyText(field(namedGas(index)), buffer, size); });
}

const MixtureComponent& componentOf(const VORL& model, int index) {
  const GasMixture* mixture = model.mixture();
  const std::size_t count = mixture != nullptr ? mixture->size() : 0;
  requireIndex(index, count, "component index", "components of the model's gas", kTag);
  return mixture->component(static_cast<std::size_t>(index));
}

int componentCount(const VORL& model) {
  if (model.mixture() != nullptr) return static_cast<int>(model.mixture()->size());
  return model.gasId() != 0 ? 1 : 0;
}

double gasProperty(const VORL& model, int code, double x1, double x2) {
  if (model.mixture() != nullptr) return model.mixture()->property(code, x1, x2);
  if (const Material* material = findMaterial(model.gasId())) return materialProperty(*material, code, x1, x2);
  return code == kPropMolarMass ? model.gas()->molecularWeight() : 0.0;
}

}  // namespace

extern "C" {

VORL_API VorlHandle VORL_CALL VorlModelCreateComposition(int count, const int* numbers, const double* fractions) {
  return guarded(VorlHandle{nullptr}, [&] { return handles::add(newModel(mixtureOf(count, numbers, fractions))); });
}

VORL_API int VORL_CALL VorlModelComponentCount(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) { return componentCount(m); });
}

VORL_API int VORL_CALL VorlModelComponentNumber(VorlHandle model, int index) {
  return withModel(model, 0, [&](VORL& m) {
    if (m.mixture() == nullptr && m.gasId() != 0 && index == 0) return m.gasId();
    return componentOf(m, index).material->number;
  });
}

VORL_API double VORL_CALL VorlModelComponentFraction(VorlHandle model, int index) {
  return withModel(model, 0.0, [&](VORL& m) {
    if (m.mixture() == nullptr && m.gasId() != 0 && index == 0) return 1.0;
    return componentOf(m, index).fraction;
  });
}

VORL_API double VORL_CALL VorlModelGasProperty(VorlHandle model, int code, double x1, double x2) {
  return withModel(model, 0.0, [&](VORL& m) { return gasProperty(m, code, x1, x2); });
}

VORL_API int VORL_CALL VorlNamedGasCount(void) {
  return guarded(0, [] { return static_cast<int>(namedGasCount()); });
}

VORL_API int VORL_CALL VorlNamedGasName(int index, char* buffer, int size) {
  return copyNamedGasField(index, buffer, size, [](const NamedGas& g) { return std::string(g.name); });
}

VORL_API int VORL_CALL VorlNamedGasDescription(int index, char* buffer, int size) {
  return copyNamedGasField(index, buffer, size, [](const NamedGas& g) { return std::string(g.description); });
}

VORL_API int VORL_CALL VorlNamedGasAliases(int index, char* buffer, int size) {
  return copyNamedGasField(index, buffer, size, [](const NamedGas& g) { return std::string(g.aliases); });
}

VORL_API int VORL_CALL VorlNamedGasFind(const char* text) {
  return guarded(-1, [&] {
    if (text == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, "the text pointer is null");
    const NamedGas* found = findNamedGas(text);
    for (std::size_t i = 0; found != nullptr && i < namedGasCount(); ++i) {
      if (&namedGasAt(i) == found) return static_cast<int>(i);
    }
    return -1;
  });
}

VORL_API VorlHandle VORL_CALL VorlModelCreateNamedGas(int index) {
  return guarded(VorlHandle{nullptr}, [&] {
    if (index < 0 || static_cast<std::size_t>(index) >= namedGasCount()) {
      throw VORLERROR(VORL_E_UNKNOWN_NAMED_GAS, kTag,
                      "named gas " + std::to_string(index) + " is not one of the library's " +
                          std::to_string(namedGasCount()));
    }
    return handles::add(newModel(mixtureOf(namedGasAt(static_cast<std::size_t>(index)))));
  });
}

VORL_API double VORL_CALL VorlInteractionCoefficient(int materialA, int materialB) {
  return guarded(0.0, [&] { return interactionCoefficient(materialA, materialB); });
}

VORL_API VorlBool VORL_CALL VorlModelIsNaturalGas(VorlHandle model) {
  return withModel(model, VorlBool{0}, [](VORL& m) { return static_cast<VorlBool>(isNaturalGas(m) ? 1 : 0); });
}

VORL_API double VORL_CALL VorlPotentialImpactRadius(VorlHandle model, double* diameterInches, double* gaugePsi) {
  return withModel(model, 0.0, [&](VORL& m) {
    if (!isNaturalGas(m)) return 0.0;
    const ImpactRadius screening = potentialImpactRadius(m);
    if (diameterInches != nullptr) *diameterInches = screening.diameterInches;
    if (gaugePsi != nullptr) *gaugePsi = screening.gaugePsi;
    return screening.radius;
  });
}

}  // extern "C"
