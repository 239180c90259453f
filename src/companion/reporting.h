#pragma once

#include <string>

#include "core/model_error.h"

namespace vorl {

// Logs a report and goes on: appends it to the process-wide error log, hands
// it to the host's handler and, on Windows, shows a message box when its
// level reaches the message-box warning level. Used for the warnings (1001,
// 1002, 1004) and by the export frame for every failure it catches. Never
// fails the call that reports: a log that cannot take the entry loses it.
void reportError(const MODELERROR& error) noexcept;
void reportWarning(int code, const char* tag, std::string message = {}) noexcept;
// A warning about a value (a velocity, a pressure) that may repeat with
// another value for every state: the log keeps the range of the values its
// repeats quote.
void reportWarning(int code, const char* tag, std::string message, double quoted) noexcept;

}  // namespace vorl
