#include "interface/export_frame.h"

#include <string>

namespace vorl {

void reportUnexpected(const std::exception* error) noexcept {
  try {
    if (dynamic_cast<const std::bad_alloc*>(error) != nullptr) {
      reportError(VORLERROR(VORL_E_INTERNAL, "memory", "out of memory"));
    } else {
      reportError(VORLERROR(VORL_E_INTERNAL, "internal", std::string("internal failure: ") +
                                               (error != nullptr ? error->what() : "unknown")));
    }
  } catch (...) {
  }
}

void reportNullHandle(VorlHandle handle) noexcept {
  try {
    if (handle == nullptr) {
      reportError(VORLERROR(VORL_E_NO_MODEL, nullptr));
    } else {
      reportError(VORLERROR(VORL_E_NO_MODEL, nullptr,
                            "no model: the handle is not that of a live model (deleted, or not made "
                            "by this library)"));
    }
  } catch (...) {
  }
}

}  // namespace vorl
