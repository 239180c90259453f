#include "core/vorl_error.h"

#include <cstdio>
#include <utility>

namespace vorl {

VORLERROR::VORLERROR(int code, const char* tag, std::string message)
    : MODELERROR(code, tag, std::move(message)) {
  setProduct("VORL");
  setLevel(2);
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
