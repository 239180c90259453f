#pragma once

#include "interface/handle_registry.h"
#include "model/vorl.h"

namespace vorl::test {

// The model behind a live handle, for white-box tests; it lives as long as
// the handle does.
inline VORL& modelBehind(VorlHandle handle) { return handles::acquire(handle).model(); }

}  // namespace vorl::test
