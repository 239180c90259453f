#include "run/debug_output.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace vorl {
namespace {

std::mutex sinkMutex;
DebugSink currentSink = nullptr;
void* currentUser = nullptr;
std::atomic<bool> sinkSet{false};

}  // namespace

void setDebugSink(DebugSink sink, void* user) noexcept {
  std::lock_guard<std::mutex> lock(sinkMutex);
  currentSink = sink;
  currentUser = sink != nullptr ? user : nullptr;
  sinkSet = sink != nullptr;
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
  DebugSink sink;
  void* user;
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink = currentSink;
    user = currentUser;
  }
  if (sink != nullptr) sink(line, user);
}

}  // namespace vorl
