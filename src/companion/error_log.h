#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace vorl {

// One logged report.
struct ErrorLogEntry {
  std::string product;
  int level = 0;
  int code = 0;
  std::string tag;
  std::string message;
  bool warning = false;  // the work went on after it
  int repeats = 1;       // reports this entry stands for (a repeated warning is kept once)
  // The least and greatest of the value the reports quote (a velocity for
  // every state), over the repeats; NaN for a report that quotes none.
  double lowest = std::numeric_limits<double>::quiet_NaN();
  double highest = std::numeric_limits<double>::quiet_NaN();
  // The outermost library call that logged it (0: none), within which a
  // warning of the same code and tag counts as a repeat.
  std::uint64_t thread = 0;
  std::uint64_t call = 0;
};

// Host callback: code, tag, level, message, user pointer. The calling
// convention matches the C interface's (see vorl.h).
#if defined(_WIN32) && !defined(_WIN64)
using ErrorHandler = void(__stdcall*)(int, const char*, int, const char*, void*);
#else
using ErrorHandler = void (*)(int, const char*, int, const char*, void*);
#endif

// The process-wide error log: the newest entries, oldest first, guarded by a
// mutex so that models on several threads may report at once. Nothing is
// printed; hosts read the log or install a handler.
//
// A warning repeated with the same code and tag within one library call (a
// run, a one-call entry, a query) is kept once, with its count of repeats,
// the message of its first report and the range of the value its reports
// quote. When the log is full the oldest warning
// makes room before any error does, so warnings never push an error out.
// The handler is called for every report, repeats included, on the thread
// that made it; a report made while that thread is inside the handler is
// logged but not handed to the handler again.
namespace errorlog {

constexpr std::size_t kCapacity = 1000;

void append(ErrorLogEntry entry);
std::size_t count();
// Copies entry i into *out; false when i is out of range.
bool entry(std::size_t index, ErrorLogEntry* out);
void clear();
// Once it returns, the previous handler is never called again, on any thread
// (calls already running elsewhere are waited for; a handler may call it).
void setHandler(ErrorHandler handler, void* user);

// The code of the last error (not warning) logged on the calling thread
// within its latest outermost library call; 0 when that call logged none.
// Each outermost call starts it at 0, so a host can tell a null result from
// a real 0 without reading the log.
int lastCallCode() noexcept;
// While a handler runs: the value the report handed to it quotes (the
// velocity of an orifice-velocity warning), so that a host that counts the
// repeats of a warning can give their range without reading numbers out of
// messages; NaN for a report that quotes none and outside a handler.
double handedReportValue() noexcept;
// Starts the calling thread's last code again at 0: a call that ran cases in
// frames of their own (a sweep) did not fail when only some of them did.
void clearLastCallCode() noexcept;

// Marks one library call on the calling thread, from the outermost export
// to its return; nested scopes belong to the outermost.
class CallScope {
 public:
  CallScope() noexcept;
  ~CallScope();
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;
};

// The first error and the first warning reported on the calling thread while
// it is held (held scopes nest: the innermost sees them): what a sweep keeps
// of each case, which the log alone cannot tell apart among many threads.
class CodeCapture {
 public:
  CodeCapture() noexcept;
  ~CodeCapture();
  CodeCapture(const CodeCapture&) = delete;
  CodeCapture& operator=(const CodeCapture&) = delete;
  int firstError() const noexcept { return firstError_; }
  int firstWarning() const noexcept { return firstWarning_; }
  void note(int code, bool warning) noexcept;

 private:
  CodeCapture* outer_;
  int firstError_ = 0;
  int firstWarning_ = 0;
};

}  // namespace errorlog
}  // namespace vorl
