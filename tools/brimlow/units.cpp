#include "units.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "numbers.h"
#include "text.h"

namespace brimlow {
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

const std::vector<Family> kFamilies = {
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

const Family* familyOf(const std::string& siUnit) {
  for (const Family& family : kFamilies) {
    if (siUnit == family.siUnit) return &family;
  }
  return nullptr;
}

// Unit words compare without regard to case: "BAR", "Km", "kpa". No two
// words of one family differ in case only.
bool sameWord(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto lowerA = std::tolower(static_cast<unsigned char>(a[i]));
    if (lowerA != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && b[i] == '\0';
}

std::string trimmedText(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

double toSi(const Unit& unit, double value) {
  double si = value;
  if (unit.before != 0.0) si += unit.before;
  if (unit.multiply != 1.0) si *= unit.multiply;
  if (unit.divide != 1.0) si /= unit.divide;
  if (unit.after != 0.0) si += unit.after;
  return si;
}

}  // namespace

bool startsWithNumber(const std::string& text) { return decimalNumberLength(trimmedText(text)) > 0; }

std::string acceptedUnitWords(const std::string& siUnit) {
  const Family* family = familyOf(siUnit);
  if (family == nullptr) return siUnit;
  std::string words;
  for (const Unit& unit : family->units) words += (words.empty() ? "" : ", ") + std::string(unit.word);
  return words;
}

bool hasOtherUnits(const std::string& siUnit) { return familyOf(siUnit) != nullptr; }

bool parseQuantity(const std::string& raw, const std::string& siUnit, Quantity& out, std::string& problem) {
  const std::string text = trimmedText(raw);
  const std::size_t length = decimalNumberLength(text);
  double number = 0.0;
  if (length == 0 || !parseNumber(text.substr(0, length), number)) {
    problem = "'" + shownText(text) + "' is not a number" + (siUnit.empty() ? "" : " with a unit");
    return false;
  }
  const std::string word = trimmedText(text.substr(length));
  if (word.empty()) {
    out = {number, false};
  } else {
    const Family* family = familyOf(siUnit);
    const Unit* found = nullptr;
    if (family != nullptr) {
      for (const Unit& unit : family->units) {
        if (sameWord(word, unit.word)) found = &unit;
      }
    }
    if (found == nullptr && !siUnit.empty() && sameWord(word, siUnit.c_str())) {
      out = {number, false};
    } else if (found == nullptr) {
      const std::string accepted =
          siUnit.empty() ? "the key takes a plain number" : "accepted: " + acceptedUnitWords(siUnit);
      problem = "unknown unit '" + shownText(word) + "' in '" + shownText(text) + "' (" + accepted + ")";
      return false;
    } else {
      out = {toSi(*found, number), found->gauge};
    }
  }
  if (!std::isfinite(out.value)) {
    problem = "'" + shownText(text) + "' is beyond the range of a double";
    return false;
  }
  return true;
}

}  // namespace brimlow
