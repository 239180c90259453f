#pragma once

#include <exception>
#include <new>
#include <utility>

#include <vorl.h>

#include "companion/error_log.h"
#include "companion/reporting.h"
#include "core/vorl_error.h"
#include "interface/fp_guard.h"
#include "interface/handle_registry.h"
#include "model/vorl.h"

namespace vorl {

// The frame every export runs in. No failure leaves the C interface: a
// VORLERROR is logged with its code and tag, anything else the library could
// throw (out of memory, a standard-library failure) is logged as code 1, and
// the export returns its null result.

void reportUnexpected(const std::exception* error) noexcept;

template <class Result, class Operation>
Result guarded(Result nullResult, Operation&& operation) noexcept {
  const errorlog::CallScope call;  // repeated warnings of one call are logged once
  const FpGuard floatingPoint;     // the host's FP control state is kept and restored
  try {
    return std::forward<Operation>(operation)();
  } catch (const MODELERROR& error) {
    reportError(error);
  } catch (const std::exception& error) {
    reportUnexpected(&error);
  } catch (...) {
    reportUnexpected(nullptr);
  }
  return nullResult;
}

template <class Operation>
void guarded(Operation&& operation) noexcept {
  guarded(0, [&] {
    std::forward<Operation>(operation)();
    return 0;
  });
}

// Reports a handle without a live model: code 2, no tag; the message tells
// a null handle from a stale or made-up one.
void reportNullHandle(VorlHandle handle = nullptr) noexcept;

// The handle rule, then the frame: a handle without a live model (null,
// deleted, never made) is reported and gives the null result without
// touching any model; a live model is held for the length of the call.
template <class Result, class Operation>
Result withModel(VorlHandle handle, Result nullResult, Operation&& operation) noexcept {
  const errorlog::CallScope call;
  const handles::Lease lease = handles::acquire(handle);
  if (!lease) {
    reportNullHandle(handle);
    return nullResult;
  }
  return guarded(nullResult, [&] { return std::forward<Operation>(operation)(lease.model()); });
}

template <class Operation>
void withModel(VorlHandle handle, Operation&& operation) noexcept {
  withModel(handle, 0, [&](VORL& model) {
    std::forward<Operation>(operation)(model);
    return 0;
  });
}

inline VorlBool toVorlBool(bool value) noexcept { return value ? 1 : 0; }

}  // namespace vorl
