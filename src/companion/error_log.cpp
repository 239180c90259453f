#include "companion/error_log.h"

#include <cmath>

#include <atomic>
#include <deque>
#include <mutex>

#include "companion/host_callback.h"

namespace vorl::errorlog {
namespace {

struct Log {
  std::mutex mutex;
  std::deque<ErrorLogEntry> entries;
  HostCallback<ErrorHandler> handler;
};

Log& theLog() {
  static Log log;
  return log;
}

// The calling thread's current library call: a thread number given once per
// thread, and a count of its outermost calls.
std::atomic<std::uint64_t> threadsSeen{0};
thread_local std::uint64_t threadNumber = 0;
thread_local std::uint64_t callNumber = 0;
thread_local int callDepth = 0;
thread_local int lastCode = 0;
thread_local double handedValue = std::numeric_limits<double>::quiet_NaN();
thread_local CodeCapture* capture = nullptr;

bool sameReport(const ErrorLogEntry& a, const ErrorLogEntry& b) {
  return a.warning && a.call != 0 && a.call == b.call && a.thread == b.thread && a.code == b.code && a.tag == b.tag;
}

// The earlier report of the same warning in the same call, or null.
ErrorLogEntry* earlierReport(std::deque<ErrorLogEntry>& entries, const ErrorLogEntry& entry) {
  if (!entry.warning || entry.call == 0) return nullptr;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (sameReport(*it, entry)) return &*it;
  }
  return nullptr;
}

// A repeat's quoted value widens the range its entry keeps (NaN: none quoted).
void widenRange(ErrorLogEntry& kept, const ErrorLogEntry& repeat) noexcept {
  if (std::isnan(repeat.lowest)) return;
  kept.lowest = std::isnan(kept.lowest) ? repeat.lowest : std::fmin(kept.lowest, repeat.lowest);
  kept.highest = std::isnan(kept.highest) ? repeat.highest : std::fmax(kept.highest, repeat.highest);
}

// Room for one more entry: the oldest warning goes, or else the oldest entry.
void makeRoom(std::deque<ErrorLogEntry>& entries) {
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->warning) {
      entries.erase(it);
      return;
    }
  }
  entries.pop_front();
}

}  // namespace

CallScope::CallScope() noexcept {
  if (callDepth++ > 0) return;
  if (threadNumber == 0) threadNumber = ++threadsSeen;
  ++callNumber;
  lastCode = 0;
}

CallScope::~CallScope() { --callDepth; }

CodeCapture::CodeCapture() noexcept : outer_(capture) { capture = this; }

CodeCapture::~CodeCapture() { capture = outer_; }

void CodeCapture::note(int code, bool warning) noexcept {
  int& first = warning ? firstWarning_ : firstError_;
  if (first == 0) first = code;
}

void append(ErrorLogEntry entry) {
  Log& log = theLog();
  if (capture != nullptr) capture->note(entry.code, entry.warning);
  if (callDepth > 0) {
    entry.thread = threadNumber;
    entry.call = callNumber;
    if (!entry.warning) lastCode = entry.code;
  }
  {
    std::lock_guard<std::mutex> lock(log.mutex);
    if (ErrorLogEntry* earlier = earlierReport(log.entries, entry)) {
      ++earlier->repeats;
      widenRange(*earlier, entry);
    } else {
      if (log.entries.size() >= kCapacity) makeRoom(log.entries);
      log.entries.push_back(entry);
    }
  }
  // The handler runs outside the lock, so that it may read the log itself.
  const double outer = handedValue;
  handedValue = entry.lowest;  // a single report's range is its one quoted value
  log.handler.call(entry.code, entry.tag.c_str(), entry.level, entry.message.c_str());
  handedValue = outer;
}

int lastCallCode() noexcept { return lastCode; }

double handedReportValue() noexcept { return handedValue; }

void clearLastCallCode() noexcept { lastCode = 0; }

std::size_t count() {
  Log& log = theLog();
  std::lock_guard<std::mutex> lock(log.mutex);
  return log.entries.size();
}

bool entry(std::size_t index, ErrorLogEntry* out) {
  Log& log = theLog();
  std::lock_guard<std::mutex> lock(log.mutex);
  if (index >= log.entries.size()) return false;
  *out = log.entries[index];
  return true;
}

void clear() {
  Log& log = theLog();
  std::lock_guard<std::mutex> lock(log.mutex);
  log.entries.clear();
}

void setHandler(ErrorHandler handler, void* user) { theLog().handler.set(handler, user); }

}  // namespace vorl::errorlog
