#pragma once

#include <cstddef>
#include <string>

namespace vorl {

// One logged report.
struct ErrorLogEntry {
  std::string product;
  int level = 0;
  int code = 0;
  std::string tag;
  std::string message;
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
namespace errorlog {

constexpr std::size_t kCapacity = 1000;

void append(ErrorLogEntry entry);
std::size_t count();
// Copies entry i into *out; false when i is out of range.
bool entry(std::size_t index, ErrorLogEntry* out);
void clear();
void setHandler(ErrorHandler handler, void* user);

}  // namespace errorlog
}  // namespace vorl
