#include "interface/vorl_error.h"

#include <cstdio>
#include <utility>

#include "model/vorl.h"

namespace vorl {

VORLERROR::VORLERROR(int code, const char* tag, std::string message)
    : MODELERROR(code, tag, std::move(message)) {
  setProduct("VORL");
  setLevel(2);
}

void reportError(const MODELERROR& error) noexcept {
  try {
    error.eLogError(VORL::sharedProperties());
  } catch (...) {
    // Reporting must never fail the call that reports; a log that cannot
    // take the entry (out of memory) loses it.
  }
}

void reportWarning(int code, const char* tag, std::string message) noexcept {
  try {
    VORLERROR warning(code, tag, std::move(message));
    warning.markWarning();
    reportError(warning);
  } catch (...) {
  }
}

std::string numberText(double value) {
  char text[32];
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    double back = 0.0;
    if (std::sscanf(text, "%lf", &back) == 1 && (back == value || value != value)) break;
  }
  return text;
}

}  // namespace vorl
