#include "companion/reporting.h"

#include <cmath>
#include <utility>

#include "companion/error_log.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace vorl {
namespace {

void showMessageBoxIfDue(const MODELERROR& error, const std::string& line) {
  const int threshold = messageBoxWarningLevel;
  if (threshold <= 0 || error.level() < threshold) return;
#if defined(_WIN32)
  MessageBoxA(nullptr, line.c_str(), error.product().c_str(), MB_OK | MB_ICONWARNING);
#else
  (void)line;
#endif
}

void reportQuoting(const MODELERROR& error, double quoted) noexcept {
  try {
    const std::string line = error.eGetErrorString();
    ErrorLogEntry entry{error.product(), error.level(), error.eError(), error.tag(), line};
    entry.warning = error.isWarning();
    entry.lowest = entry.highest = quoted;
    errorlog::append(std::move(entry));
    showMessageBoxIfDue(error, line);
  } catch (...) {
    // Reporting must never fail the call that reports; a log that cannot
    // take the entry (out of memory) loses it.
  }
}

void reportWarningQuoting(int code, const char* tag, std::string message, double quoted) noexcept {
  try {
    VORLERROR warning(code, tag, std::move(message));
    warning.markWarning();
    reportQuoting(warning, quoted);
  } catch (...) {
  }
}

}  // namespace

void reportError(const MODELERROR& error) noexcept { reportQuoting(error, std::nan("")); }

void reportWarning(int code, const char* tag, std::string message) noexcept {
  reportWarningQuoting(code, tag, std::move(message), std::nan(""));
}

void reportWarning(int code, const char* tag, std::string message, double quoted) noexcept {
  reportWarningQuoting(code, tag, std::move(message), quoted);
}

}  // namespace vorl
