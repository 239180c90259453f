// The materials of the property library for hosts: each material's number,
// name, CAS number, molecular weight and other accepted names, and the lookup
// of a material by any of them, so that a host resolves a name as the tool
// does.
#include <string>

#include "companion/property_library.h"
#include "interface/export_frame.h"
#include "interface/table_exports.h"
#include "interface/text_copy.h"

using namespace vorl;

namespace {

constexpr const char* kTag = "VorlMaterial";

// The material of an index; raises 4 for an index outside the table.
const Material& material(int index) {
  requireIndex(index, materialCount(), "material index", "materials of the library", kTag);
  return materialAt(static_cast<std::size_t>(index));
}

template <class Field>
int copyField(int index, char* buffer, int size, Field field) {
  return guarded(-1, [&] { return copyText(field(material(index)), buffer, size); });
}

}  // namespace

extern "C" {

VORL_API int VORL_CALL VorlMaterialCount(void) {
  return guarded(0, [] { return static_cast<int>(materialCount()); });
}

VORL_API int VORL_CALL VorlMaterialNumber(int index) {
  return guarded(0, [&] { return material(index).number; });
}

VORL_API int VORL_CALL VorlMaterialName(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Material& m) { return std::string(m.name); });
}

VORL_API int VORL_CALL VorlMaterialCas(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Material& m) { return std::string(m.cas); });
}

VORL_API double VORL_CALL VorlMaterialMolecularWeight(int index) {
  return guarded(0.0, [&] { return material(index).molarMass; });
}

VORL_API int VORL_CALL VorlMaterialAliases(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Material& m) { return std::string(m.aliases); });
}

VORL_API int VORL_CALL VorlMaterialFind(const char* text) {
  return guarded(0, [&] {
    if (text == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, "the text pointer is null");
    const Material* found = findMaterialByName(text);
    return found != nullptr ? found->number : 0;
  });
}

}  // extern "C"
