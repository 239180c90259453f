#include "core/model_error.h"

#include <utility>

#include "core/codes.h"

namespace vorl {

MODELERROR::MODELERROR(int code, const char* tag, std::string message)
    : code_(code), tag_(tag != nullptr ? tag : ""), message_(std::move(message)) {}

MODELERROR::~MODELERROR() = default;

std::string MODELERROR::eGetErrorString() const {
  std::string line = product_;
  if (!line.empty()) line += ' ';
  line += std::to_string(code_);
  if (!tag_.empty()) line += ' ' + tag_;
  line += ": ";
  line += message_.empty() ? codeTextOrGeneric(code_) : message_;
  return line;
}

}  // namespace vorl
