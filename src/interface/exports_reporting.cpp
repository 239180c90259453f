// Process-wide switches and the error log of the C interface.
#include <cmath>
#include <string>

#include "companion/error_log.h"
#include "core/codes.h"
#include "core/process_settings.h"
#include "interface/export_frame.h"
#include "interface/text_copy.h"

using namespace vorl;

namespace {

// Entry i of the log, or false when i is out of range.
bool logEntry(int index, ErrorLogEntry* out) {
  return index >= 0 && errorlog::entry(static_cast<std::size_t>(index), out);
}

}  // namespace

extern "C" {

VORL_API void VORL_CALL VorlSetBrimlowMessageBoxWarningLevel(int level) {
  guarded([&] { messageBoxWarningLevel = level; });
}

VORL_API void VORL_CALL VorlChokeModelAllow(VorlBool allow) {
  guarded([&] { chokeModelAllowed = allow != 0; });
}

// Outside the frame: reading the code must not start a call that clears it.
VORL_API int VORL_CALL VorlLastCode(void) { return errorlog::lastCallCode(); }

VORL_API double VORL_CALL VorlReportValue(void) { return errorlog::handedReportValue(); }

VORL_API void VORL_CALL VorlError(int code, const char* tag) {
  guarded([&] { reportError(VORLERROR(code, tag)); });
}

VORL_API int VORL_CALL VorlErrorLogCount(void) {
  return guarded(0, [] { return static_cast<int>(errorlog::count()); });
}

VORL_API int VORL_CALL VorlErrorLogCode(int index) {
  return guarded(0, [&] {
    ErrorLogEntry entry;
    return logEntry(index, &entry) ? entry.code : 0;
  });
}

VORL_API int VORL_CALL VorlErrorLogTag(int index, char* buffer, int size) {
  return guarded(-1, [&] {
    ErrorLogEntry entry;
    return logEntry(index, &entry) ? copyText(entry.tag, buffer, size) : -1;
  });
}

VORL_API int VORL_CALL VorlErrorLogMessage(int index, char* buffer, int size) {
  return guarded(-1, [&] {
    ErrorLogEntry entry;
    return logEntry(index, &entry) ? copyText(entry.message, buffer, size) : -1;
  });
}

VORL_API VorlBool VORL_CALL VorlErrorLogRange(int index, double* lowest, double* highest) {
  return guarded(VorlBool{0}, [&] {
    ErrorLogEntry entry;
    if (!logEntry(index, &entry) || std::isnan(entry.lowest)) return VorlBool{0};
    if (lowest != nullptr) *lowest = entry.lowest;
    if (highest != nullptr) *highest = entry.highest;
    return VorlBool{1};
  });
}

VORL_API int VORL_CALL VorlErrorLogRepeatCount(int index) {
  return guarded(0, [&] {
    ErrorLogEntry entry;
    return logEntry(index, &entry) ? entry.repeats : 0;
  });
}

VORL_API int VORL_CALL VorlCodeText(int code, char* buffer, int size) {
  return guarded(-1, [&] {
    const char* text = codeText(code);
    return text != nullptr ? copyText(text, buffer, size) : -1;
  });
}

VORL_API void VORL_CALL VorlErrorLogClear(void) {
  guarded([] { errorlog::clear(); });
}

VORL_API void VORL_CALL VorlErrorHandlerSet(VorlErrorHandler handler, void* user) {
  guarded([&] { errorlog::setHandler(handler, user); });
}

}  // extern "C"
