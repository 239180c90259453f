// Number text shared by the writers and the summary.
#ifndef BRIMLOW_NUMBERS_H
#define BRIMLOW_NUMBERS_H

#include <string>

namespace brimlow {

// The library's marker of an infinite time or an undefined value is 1e128;
// anything above 0.9e128 counts as infinite.
constexpr double kLibraryInfinite = 9e127;

// The library's value with its infinity marker turned into +infinity.
double fromLibrary(double value);

// Shortest text that reads back as the same double; "inf" for infinity, ""
// for not-a-number (a value that does not exist, such as the times of an
// absent branch).
std::string exactText(double value);

// Like exactText, but whole numbers below 1e15 in full: 7000000, not 7e+06.
std::string plainText(double value);

// Parses a whole cell or string as a number (leading and trailing blanks
// allowed); false when anything else is in it.
bool parseNumber(const std::string& text, double& value);

// The length of the decimal number that starts at text[i] ("-12.5e+03": sign,
// digits, a point followed by digits, exponent), 0 when none does.
std::size_t decimalNumberLength(const std::string& text, std::size_t i = 0);

// An input as people write it: up to six significant figures, "%g".
std::string shortText(double value);

// Compact text for people: about `digits` significant figures.
std::string roundedText(double value, int digits = 4);

// A number with at most `digits` significant figures, as "%g" writes it
// (7.123e+06, 0.01235); a whole number that this would only abbreviate is
// written in full (200000, not 2e+05).
std::string significantText(double value, int digits = 4);

// Every number of a message written by significantText: "saturation pressure
// 731434.0334761585 Pa" -> "saturation pressure 7.314e+05 Pa". Digits inside
// words ("C4H10") are no numbers.
std::string withSignificantNumbers(const std::string& text, int digits = 4);

// A duration for people: "268.9 s (4.5 min)", "never" for infinity.
std::string durationText(double seconds);

}  // namespace brimlow

#endif
