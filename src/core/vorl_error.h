#pragma once

#include <string>

#include "core/codes.h"
#include "core/model_error.h"

namespace vorl {

// The error raised inside the library: a MODELERROR of product "VORL", level 2.
// Every failure is thrown as one and caught at the export that started the work.
class VORLERROR : public MODELERROR {
 public:
  VORLERROR(int code, const char* tag, std::string message = {});
};

// A number as a message shows it: shortest form that reads back the same value.
std::string numberText(double value);

}  // namespace vorl
