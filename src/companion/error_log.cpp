#include "companion/error_log.h"

#include <deque>
#include <mutex>

namespace vorl::errorlog {
namespace {

struct Log {
  std::mutex mutex;
  std::deque<ErrorLogEntry> entries;
  ErrorHandler handler = nullptr;
  void* user = nullptr;
};

Log& theLog() {
  static Log log;
  return log;
}

}  // namespace

void append(ErrorLogEntry entry) {
  Log& log = theLog();
  ErrorHandler handler;
  void* user;
  {
    std::lock_guard<std::mutex> lock(log.mutex);
    handler = log.handler;
    user = log.user;
    log.entries.push_back(entry);
    if (log.entries.size() > kCapacity) log.entries.pop_front();
  }
  // The handler runs outside the lock, so that it may read the log itself.
  if (handler != nullptr) {
    handler(entry.code, entry.tag.c_str(), entry.level, entry.message.c_str(), user);
  }
}

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

void setHandler(ErrorHandler handler, void* user) {
  Log& log = theLog();
  std::lock_guard<std::mutex> lock(log.mutex);
  log.handler = handler;
  log.user = handler != nullptr ? user : nullptr;
}

}  // namespace vorl::errorlog
