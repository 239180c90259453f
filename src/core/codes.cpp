#include "core/codes.h"

namespace vorl {

const char* codeText(int code) noexcept {
  switch (code) {
#define VORL_CODE(name, value, text) \
  case value:                        \
    return text;
#include "vorl_codes.inc"
#undef VORL_CODE
    default:
      return nullptr;
  }
}

const char* codeTextOrGeneric(int code) noexcept {
  const char* text = codeText(code);
  return text != nullptr ? text : "error";
}

}  // namespace vorl
