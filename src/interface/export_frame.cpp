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

void reportNullHandle() noexcept {
  try {
    reportError(VORLERROR(2, nullptr));
  } catch (...) {
  }
}

}  // namespace vorl
