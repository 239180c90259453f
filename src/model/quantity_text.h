#pragma once

#include <string>

namespace vorl {

// Values as engineers write them in a case: "70 bar", "69 barg", "15 degC",
// "20 in", "72 t/h". A value is read into the SI unit of its input; text with
// another unit of the same dimension is converted with exact factors. The
// tool and the hosts' scripts read case files by these rules.

enum class QuantityReading : int {
  kRead = 0,
  kNotANumber = 1,    // no number at the start, or more than blanks around it and its word
  kUnknownUnit = 2,   // a unit word that is not one of the SI unit's
  kBeyondDouble = 3,  // a number or a converted value beyond the range of a double
};

struct QuantityValue {
  double value = 0.0;
  bool gauge = false;  // relative to the ambient pressure ("barg", "psig")
};

// Reads "<number> [unit]" (blanks around both) for an input whose SI unit is
// siUnit ("Pa", "K", "m", "kg/s", "s"; any other unit takes only its own
// word, "" no word at all). No unit word means the SI unit; unit words
// compare without regard to case.
QuantityReading readQuantity(const std::string& text, const std::string& siUnit, QuantityValue& out);

// The unit words a value in siUnit takes, comma-separated, the SI unit first:
// "Pa, kPa, MPa, bar, ..."; siUnit itself when it takes no other.
std::string unitWords(const std::string& siUnit);

}  // namespace vorl
