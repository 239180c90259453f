#include "run/debug_output.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "companion/host_callback.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace vorl {
namespace {

HostCallback<DebugSink>& theSink() {
  static HostCallback<DebugSink> sink;
  return sink;
}
std::atomic<bool> sinkSet{false};

}  // namespace

void setDebugSink(DebugSink sink, void* user) noexcept {
  sinkSet = sink != nullptr;
  theSink().set(sink, user);
}

bool debugOutputWanted() noexcept {
#if defined(_WIN32)
  return true;
#else
  return sinkSet.load(std::memory_order_relaxed);
#endif
}

void debugLine(const char* format, ...) noexcept {
  if (!debugOutputWanted()) return;
  char line[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
#if defined(_WIN32)
  OutputDebugStringA(line);
#endif
  theSink().call(static_cast<const char*>(line));
}

}  // namespace vorl
