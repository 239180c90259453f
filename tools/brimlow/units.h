// Values with units, as engineers write them: "70 bar", "69 barg", "15 degC",
// "20 in", "72 t/h". A key's value is stored in the SI unit of its name; text
// with another unit of the same dimension is converted with exact factors, by
// the library's rules (VorlQuantityRead), which hosts' scripts read by too.
#ifndef BRIMLOW_UNITS_H
#define BRIMLOW_UNITS_H

#include <string>

namespace brimlow {

// A value read from text in the SI unit of its key. A gauge pressure ("barg",
// "psig") is relative to the air: the case's ambient pressure is added once
// every key has been read.
struct Quantity {
  double value = 0.0;
  bool gauge = false;
};

// Reads "<number> [unit]" for a key whose SI unit is siUnit ("Pa", "K",
// "m", "kg/s", "s", or any other, which then is its only unit word). No unit
// means the SI unit. False with a problem that lists the accepted unit words
// when the unit is not one of them.
bool parseQuantity(const std::string& text, const std::string& siUnit, Quantity& out, std::string& problem);

// Whether text starts with a number (blanks before it allowed), as a value
// with a unit does.
bool startsWithNumber(const std::string& text);

// The unit words accepted for a key of this SI unit, comma-separated
// ("Pa, kPa, MPa, bar, ..."); just the SI unit when it has no others, "" for
// no unit.
std::string acceptedUnitWords(const std::string& siUnit);

// Whether a key of this SI unit takes other unit words than its own.
bool hasOtherUnits(const std::string& siUnit);

}  // namespace brimlow

#endif
