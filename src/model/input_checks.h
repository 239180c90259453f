#pragma once

#include <cstddef>
#include <string>

namespace vorl {

class VORL;

// The checks of the handle interface's inputs: what a model needs before it
// runs or expands its outflow, and the plain arguments of the queries. Each
// input has its own code (350 and up; 301 to 343 stay with the one-call
// entry's ranges), so that the code alone tells a host which input it was.
// A refusal raises VORLERROR(code, tag) whose message names the input, its
// value and its valid range.

// Which operations check a model input.
enum InputUse : unsigned {
  kCheckedByRun = 1U,        // VorlRun, before anything is computed
  kCheckedByExpansion = 2U,  // the post-flash queries, before each expansion
};

// Where a model input is read: from the model, or from each valve in turn.
enum class InputSource : int { kModel, kValve };

// One model input with its valid range.
struct ModelInputCheck {
  int code;
  const char* name;        // in plain words, as messages show it
  const char* unit;        // "" for fractions, counts and switches
  const char* validRange;  // in words, for messages and the documentation
  unsigned uses;           // InputUse bits
  InputSource source;
  // The value (of valve `valve` for kValve rows) and whether the model can
  // compute with it.
  double (*read)(const VORL& model, std::size_t valve);
  bool (*accepts)(double value, const VORL& model);
  // A limit that depends on the model, appended to the valid range; may be null.
  std::string (*limit)(const VORL& model);
};

// One plain argument of a query with its valid range.
struct ArgumentCheck {
  int code;
  const char* name;
  const char* unit;
  const char* validRange;
  bool (*accepts)(double value);
};

// The tables, for the documentation and the tests.
std::size_t modelInputCheckCount() noexcept;
const ModelInputCheck& modelInputCheckAt(std::size_t index) noexcept;
std::size_t argumentCheckCount() noexcept;
const ArgumentCheck& argumentCheckAt(std::size_t index) noexcept;

// Checks, in table order, every model input the operation uses (valves only
// while they are active) and raises at the first one refused.
void checkModelInputs(const VORL& model, InputUse use, const char* tag);

// Checks one argument by the code of its row; raises when it is refused.
void checkArgument(int code, double value, const char* tag);
// Raises the refusal of an argument that a caller has found outside the
// valid range of its row.
[[noreturn]] void refuseArgument(int code, double value, const char* tag);

// The smallest positive total inflow (kg/s) whose friction pressure drop the
// run resolves in branch A of the model: below it the drop vanishes in the
// rounding of p^2 and the blow-down cannot reach the inflow's limit state.
double smallestResolvedInflow(const VORL& model);

}  // namespace vorl
