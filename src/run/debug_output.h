#pragma once

namespace vorl {

// Progress lines of a run ("A1 t=12.000000 Lambda=350.000000"), one per step
// attempt. On Windows they go to the debugger output channel; on every
// platform a host may receive them through a sink of its own. Formatting is
// skipped when nobody listens.

#if defined(_WIN32) && !defined(_WIN64)
using DebugSink = void(__stdcall*)(const char* line, void* user);
#else
using DebugSink = void (*)(const char* line, void* user);
#endif

// Once it returns the previous sink is never called again (see HostCallback).
void setDebugSink(DebugSink sink, void* user) noexcept;
bool debugOutputWanted() noexcept;
// printf-style; writes nothing when debugOutputWanted() is false.
void debugLine(const char* format, ...) noexcept
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace vorl
