#include "units.h"

#include "library_text.h"
#include "numbers.h"
#include "text.h"
#include "vorl.h"

namespace brimlow {
namespace {

// What VorlQuantityRead answers.
constexpr int kRead = 0, kNotANumber = 1, kUnknownUnit = 2;

std::string trimmedText(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

}  // namespace

bool startsWithNumber(const std::string& text) { return decimalNumberLength(trimmedText(text)) > 0; }

// The unit rules are the library's (VorlQuantityRead, VorlUnitWords): hosts'
// scripts read case files by the same rules.
std::string acceptedUnitWords(const std::string& siUnit) {
  return libraryText([&](int, char* buffer, int size) { return VorlUnitWords(siUnit.c_str(), buffer, size); }, 0);
}

bool hasOtherUnits(const std::string& siUnit) { return acceptedUnitWords(siUnit) != siUnit; }

bool parseQuantity(const std::string& raw, const std::string& siUnit, Quantity& out, std::string& problem) {
  const std::string text = trimmedText(raw);
  double value = 0.0;
  int gauge = 0;
  // The library reads a C string: a NUL in the text is no unit word of it.
  const bool hasNul = text.find('\0') != std::string::npos;
  const int reading = !hasNul ? VorlQuantityRead(text.c_str(), siUnit.c_str(), &value, &gauge)
                      : decimalNumberLength(text) == 0 ? kNotANumber
                                                        : kUnknownUnit;
  if (reading == kRead) {
    out = {value, gauge != 0};
    return true;
  }
  if (reading == kNotANumber) {
    problem = "'" + shownText(text) + "' is not a number" + (siUnit.empty() ? "" : " with a unit");
  } else if (reading == kUnknownUnit) {
    const std::string word = trimmedText(text.substr(decimalNumberLength(text)));
    const std::string accepted =
        siUnit.empty() ? "the key takes a plain number" : "accepted: " + acceptedUnitWords(siUnit);
    problem = "unknown unit '" + shownText(word) + "' in '" + shownText(text) + "' (" + accepted + ")";
  } else {
    problem = "'" + shownText(text) + "' is beyond the range of a double";
  }
  return false;
}

}  // namespace brimlow
