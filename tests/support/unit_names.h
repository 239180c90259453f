#pragma once

#include <string>

#include "vorl.h"

namespace vorl::test {

// A unit as a column name or case key carries it: "kg/(m2 s)" -> "kg_per_m2_s".
inline std::string unitInName(const std::string& unit) {
  std::string out;
  for (char c : unit) {
    if (c == '/') {
      out += "_per_";
    } else if (c == ' ') {
      out += '_';
    } else if (c != '(' && c != ')') {
      out += c;
    }
  }
  return out;
}

// The text an export copies for an entry of its table (name, unit, key, ...).
inline std::string textOf(int(VORL_CALL* copy)(int, char*, int), int index) {
  char text[256] = "";
  copy(index, text, sizeof text);
  return text;
}

inline bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace vorl::test
