// Input check of the one-call entry, offered on its own to hosts of the handle API.
#include "interface/export_frame.h"
#include "interface/input_validation.h"

using namespace vorl;

extern "C" {

// The first failure is logged and its code returned; a failure of the check
// itself (out of memory while writing its message) is logged as code 1.
VORL_API int VORL_CALL VorlCheckInputs(const int* flags, const double* inputs, const double* valveFirst,
                                       const double* valveSecond, const int* timeDivision,
                                       const int* maxSteps, const int* valveCount) {
  return guarded(1, [&] {
    try {
      VorlCheckInput(flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount);
    } catch (const VORLERROR& error) {
      reportError(error);
      return error.eError();
    }
    return 0;
  });
}

}  // extern "C"
