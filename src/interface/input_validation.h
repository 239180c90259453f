#pragma once

#include <cstddef>
#include <string>

namespace vorl {

// Where the one-call entry's argument list holds a checked value.
enum class InputSource : int {
  kFlags,         // flags[index]
  kInputs,        // inputs[index]
  kValveFirst,    // valveFirst[i] of every valve i
  kValveSecond,   // valveSecond[i] of every valve i
  kTimeDivision,  // *timeDivision
  kMaxSteps       // *maxSteps
};

// One checked input with its allowed range and the codes of its checks. An
// input fails below its minimum (at it too when the minimum is excluded) and
// above its maximum; a value that is not a number fails the first of these.
struct InputRange {
  InputSource source;
  int index;              // element of flags or inputs; 0 for the others
  const char* name;       // in plain words, as messages show it
  const char* unit;       // "" for fractions, counts, flags and the Weber number
  double minimum;
  double maximum;
  bool minimumExcluded;   // the minimum itself fails
  int belowCode;          // raised by the lower check
  int aboveCode;          // raised by the upper check; the same code when one check tests both ends
};

// The checked inputs in the order of their checks, lower before upper. The
// valve inputs form one group that is checked for valve 0, then valve 1, and
// so on, before the inputs after them.
std::size_t inputRangeCount() noexcept;
const InputRange& inputRangeAt(std::size_t index) noexcept;

// The input that a check code belongs to; null for a code that no check raises.
const InputRange* inputRangeForCode(int code) noexcept;

// The allowed range in words: "200 to 350 K", "above 0 up to 100000 s".
std::string allowedRangeText(const InputRange& range);

// Checks the inputs of the one-call entry (arrays laid out as it takes them)
// in their fixed order and raises VORLERROR(code, "VorlCheckInput") at the
// first value outside its range; the message names the input, its value and
// its allowed range. The valve arrays are read only for valveCount > 0. A
// null pointer where a value must be read raises 5 before any check.
void VorlCheckInput(const int* flags, const double* inputs, const double* valveFirst,
                    const double* valveSecond, const int* timeDivision, const int* maxSteps,
                    const int* valveCount);

}  // namespace vorl
