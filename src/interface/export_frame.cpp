#include "interface/export_frame.h"

#include <string>

namespace vorl {

void reportUnexpected(const std::exception* error) noexcept {
  try {
    if (dynamic_cast<const std::bad_alloc*>(error) != nullptr) {
      reportError(VORLERROR(1, "memory", "out of memory"));
    } else {
      reportError(VORLERROR(1, "internal", std::string("internal failure: ") +
                                               (error != nullptr ? error->what() : "unknown")));
    }
  } catch (...) {
  }
}

void reportNullHandle(VorlHandle handle) noexcept {
  try {
    if (handle == nullptr) {
      reportError(VORLERROR(2, nullptr));
    } else {
      reportError(VORLERROR(2, nullptr, "no model: the handle is not that of a live model (deleted, or not made "
                                        "by this library)"));
    }
  } catch (...) {
  }
}

}  // namespace vorl
