// Values with units, as case files write them, for hosts and the tool.
#include "interface/export_frame.h"
#include "interface/text_copy.h"
#include "model/quantity_text.h"

using namespace vorl;

namespace {

constexpr const char* kTag = "VorlQuantityRead";

void requireText(const char* text, const char* what) {
  if (text == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, std::string("the ") + what + " pointer is null");
}

}  // namespace

extern "C" {

VORL_API int VORL_CALL VorlQuantityRead(const char* text, const char* siUnit, double* value, int* gauge) {
  return guarded(-1, [&] {
    requireText(text, "text");
    requireText(siUnit, "unit");
    QuantityValue read;
    const QuantityReading reading = readQuantity(text, siUnit, read);
    if (reading == QuantityReading::kRead) {
      if (value != nullptr) *value = read.value;
      if (gauge != nullptr) *gauge = read.gauge ? 1 : 0;
    }
    return static_cast<int>(reading);
  });
}

VORL_API int VORL_CALL VorlUnitWords(const char* siUnit, char* buffer, int size) {
  return guarded(-1, [&] {
    requireText(siUnit, "unit");
    return copyText(unitWords(siUnit), buffer, size);
  });
}

}  // extern "C"
