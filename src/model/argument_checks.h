#pragma once

#include <cstddef>

namespace vorl {

// The plain arguments of the queries that a computation cannot take (codes
// 380 to 391): a pipe time, a lookup tolerance, the output grid's mode and
// count, the analytic comparison's inputs; and the reference solution's
// report times and table rows (404, 406). The scalar settings a host keeps on
// a model (the output end time, the reference's settings) are rows of the
// input table. A refusal raises
// VORLERROR(code, tag) whose message names the argument, its value and its
// valid range.

// One plain argument of a query with its valid range.
struct ArgumentCheck {
  int code;
  const char* name;
  const char* unit;
  const char* validRange;  // in words, for messages and the documentation
  bool (*accepts)(double value);
};

// The table, for the documentation and the tests.
std::size_t argumentCheckCount() noexcept;
const ArgumentCheck& argumentCheckAt(std::size_t index) noexcept;

// Checks one argument by the code of its row; raises when it is refused.
void checkArgument(int code, double value, const char* tag);
// Raises the refusal of an argument that a caller has found outside the
// valid range of its row.
[[noreturn]] void refuseArgument(int code, double value, const char* tag);

}  // namespace vorl
