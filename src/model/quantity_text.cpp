#include "model/quantity_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace vorl {
namespace {

// A unit word and its way to the SI unit: ((value + before) * multiply) /
// divide + after. The factors are kept as whole numbers where the unit's
// definition is a ratio (an inch is 254/10000 m), so that a whole number of
// the unit converts with one rounding only, to the double nearest the exact
// value.
struct Unit {
  const char* word;
  double multiply;
  double divide;
  double before;
  double after;
  bool gauge;  // relative to the ambient pressure
};

// The pound-force per square inch: 0.45359237 kg * 9.80665 m/s^2 / (0.0254 m)^2.
constexpr double kPascalsPerPsi = 6894.757293168361;
constexpr double kPascalsPerBar = 1e5;
constexpr double kPascalsPerAtmosphere = 101325.0;
constexpr double kKelvinAtZeroCelsius = 273.15;

struct Family {
  const char* siUnit;
  std::vector<Unit> units;  // the SI unit first
};

const std::vector<Family>& families() {
  static const std::vector<Family> kFamilies = {
      {"Pa",
       {{"Pa", 1, 1, 0, 0, false},
        {"kPa", 1e3, 1, 0, 0, false},
        {"MPa", 1e6, 1, 0, 0, false},
        {"bar", kPascalsPerBar, 1, 0, 0, false},
        {"bara", kPascalsPerBar, 1, 0, 0, false},
        {"barg", kPascalsPerBar, 1, 0, 0, true},
        {"psi", kPascalsPerPsi, 1, 0, 0, false},
        {"psia", kPascalsPerPsi, 1, 0, 0, false},
        {"psig", kPascalsPerPsi, 1, 0, 0, true},
        {"atm", kPascalsPerAtmosphere, 1, 0, 0, false}}},
      {"K",
       {{"K", 1, 1, 0, 0, false},
        {"degC", 1, 1, 0, kKelvinAtZeroCelsius, false},
        {"\xC2\xB0" "C", 1, 1, 0, kKelvinAtZeroCelsius, false},
        {"degF", 5, 9, -32, kKelvinAtZeroCelsius, false},
        {"\xC2\xB0" "F", 5, 9, -32, kKelvinAtZeroCelsius, false}}},
      {"m",
       {{"m", 1, 1, 0, 0, false},
        {"km", 1000, 1, 0, 0, false},
        {"cm", 1, 100, 0, 0, false},
        {"mm", 1, 1000, 0, 0, false},
        {"in", 254, 10000, 0, 0, false},
        {"ft", 3048, 10000, 0, 0, false},
        {"mi", 1609344, 1000, 0, 0, false}}},
      {"kg/s",
       {{"kg/s", 1, 1, 0, 0, false},
        {"kg/min", 1, 60, 0, 0, false},
        {"kg/h", 1, 3600, 0, 0, false},
        {"t/h", 1000, 3600, 0, 0, false}}},
      {"s",
       {{"s", 1, 1, 0, 0, false},
        {"min", 60, 1, 0, 0, false},
        {"h", 3600, 1, 0, 0, false}}},
  };
  return kFamilies;
}

const Family* familyOf(const std::string& siUnit) {
  for (const Family& family : families()) {
    if (siUnit == family.siUnit) return &family;
  }
  return nullptr;
}

// Unit words compare without regard to case: "BAR", "Km", "kpa". No two
// words of one family differ in case only.
bool sameWord(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && b[i] == '\0';
}

std::string trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

// The length of the decimal number at the start of text: an optional sign,
// digits with an optional fraction, an optional exponent; 0 for none.
std::size_t numberLength(const std::string& text) {
  const auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
  std::size_t end = 0;
  if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
  const std::size_t digitsStart = end;
  while (isDigit(end)) ++end;
  if (end < text.size() && text[end] == '.' && isDigit(end + 1)) {
    ++end;
    while (isDigit(end)) ++end;
  }
  if (end == digitsStart) return 0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) ++exponent;
    if (isDigit(exponent)) {
      end = exponent;
      while (isDigit(end)) ++end;
    }
  }
  return end;
}

double toSi(const Unit& unit, double value) {
  double si = value;
  if (unit.before != 0.0) si += unit.before;
  if (unit.multiply != 1.0) si *= unit.multiply;
  if (unit.divide != 1.0) si /= unit.divide;
  if (unit.after != 0.0) si += unit.after;
  return si;
}

const Unit* unitOf(const std::string& word, const std::string& siUnit) {
  const Family* family = familyOf(siUnit);
  if (family == nullptr) return nullptr;
  const Unit* found = nullptr;
  for (const Unit& unit : family->units) {
    if (sameWord(word, unit.word)) found = &unit;
  }
  return found;
}

}  // namespace

QuantityReading readQuantity(const std::string& raw, const std::string& siUnit, QuantityValue& out) {
  const std::string text = trimmed(raw);
  const std::size_t length = numberLength(text);
  if (length == 0) return QuantityReading::kNotANumber;
  // strtod on the number alone: its grammar above is a part of strtod's.
  const std::string digits = text.substr(0, length);
  const double number = std::strtod(digits.c_str(), nullptr);
  const std::string word = trimmed(text.substr(length));
  if (word.empty() || (!siUnit.empty() && familyOf(siUnit) == nullptr && sameWord(word, siUnit.c_str()))) {
    out = {number, false};
  } else if (const Unit* unit = unitOf(word, siUnit)) {
    out = {toSi(*unit, number), unit->gauge};
  } else {
    return QuantityReading::kUnknownUnit;
  }
  return std::isfinite(out.value) ? QuantityReading::kRead : QuantityReading::kBeyondDouble;
}

std::string unitWords(const std::string& siUnit) {
  const Family* family = familyOf(siUnit);
  if (family == nullptr) return siUnit;
  std::string words;
  for (const Unit& unit : family->units) words += (words.empty() ? "" : ", ") + std::string(unit.word);
  return words;
}

}  // namespace vorl
