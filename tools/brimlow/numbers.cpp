#include "numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace brimlow {

double fromLibrary(double value) {
  return value > kLibraryInfinite ? std::numeric_limits<double>::infinity() : value;
}

std::string exactText(double value) {
  if (std::isnan(value)) return "";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string plainText(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
  }
  return exactText(value);
}

bool parseNumber(const std::string& text, double& value) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  std::size_t end = text.find_last_not_of(" \t") + 1;
  const std::string body = text.substr(begin, end - begin);
  if (body == "inf" || body == "+inf") {
    value = std::numeric_limits<double>::infinity();
    return true;
  }
  // strtod also takes hexadecimal and "nan": a case never needs them.
  if (body.find_first_of("xXnN") != std::string::npos) return false;
  char* stop = nullptr;
  const double parsed = std::strtod(body.c_str(), &stop);
  if (stop == body.c_str() || *stop != '\0') return false;
  value = parsed;
  return true;
}

std::string shortText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string roundedText(double value, int digits) {
  if (std::isnan(value)) return "-";
  if (std::isinf(value)) return "never";
  if (value == 0.0) return "0";
  char text[64];
  const double magnitude = std::fabs(value);
  if (magnitude != 0.0 && (magnitude >= 1e7 || magnitude < 1e-3)) {
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  } else {
    // Fixed notation with enough decimals for the significant figures asked.
    const int whole = magnitude < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    int decimals = digits - whole;
    if (magnitude < 1.0 && magnitude > 0.0) decimals = digits - 1 - static_cast<int>(std::floor(std::log10(magnitude)));
    if (decimals < 0) decimals = 0;
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
  }
  return text;
}

std::string significantText(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  const double shown = std::strtod(text, nullptr);
  constexpr double kLargestPlainWhole = 1e15;
  if (shown == value && value == std::floor(value) && std::fabs(value) < kLargestPlainWhole) {
    std::snprintf(text, sizeof text, "%.0f", value);
  }
  return text;
}

std::size_t decimalNumberLength(const std::string& text, std::size_t i) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t end = i;
  if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
  const std::size_t digitsStart = end;
  while (end < text.size() && isDigit(text[end])) ++end;
  if (end < text.size() && text[end] == '.' && end + 1 < text.size() && isDigit(text[end + 1])) {
    ++end;
    while (end < text.size() && isDigit(text[end])) ++end;
  }
  if (end == digitsStart) return 0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) ++exponent;
    if (exponent < text.size() && isDigit(text[exponent])) {
      end = exponent;
      while (end < text.size() && isDigit(text[end])) ++end;
    }
  }
  return end - i;
}

namespace {

bool isWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.'; }

// A number inside running text: not part of a word on either side.
std::size_t numberInTextLength(const std::string& text, std::size_t i) {
  if (i > 0 && isWordCharacter(text[i - 1])) return 0;
  const std::size_t length = decimalNumberLength(text, i);
  const std::size_t end = i + length;
  if (length == 0 || (end < text.size() && isWordCharacter(text[end]) && text[end] != '.')) return 0;
  return length;
}

}  // namespace

std::string withSignificantNumbers(const std::string& text, int digits) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = numberInTextLength(text, i);
    if (length == 0) {
      out += text[i++];
      continue;
    }
    out += significantText(std::strtod(text.substr(i, length).c_str(), nullptr), digits);
    i += length;
  }
  return out;
}

std::string durationText(double seconds) {
  if (std::isnan(seconds)) return "-";
  if (std::isinf(seconds)) return "never";
  char text[64];
  if (seconds < 120.0) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else if (seconds < 7200.0) {
    std::snprintf(text, sizeof text, "%.0f s (%.1f min)", seconds, seconds / 60.0);
  } else {
    std::snprintf(text, sizeof text, "%.0f s (%.2f h)", seconds, seconds / 3600.0);
  }
  return text;
}

}  // namespace brimlow
