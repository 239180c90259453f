// Texts the library copies into a caller's buffer (names, units, keys of its
// tables), read into a string.
#ifndef BRIMLOW_LIBRARY_TEXT_H
#define BRIMLOW_LIBRARY_TEXT_H

#include <string>

namespace brimlow {

// The text of row `index` of a library table, as `copy` (an export of the form
// int (int index, char* buffer, int size)) gives it; "" for none.
template <class Copy>
std::string libraryText(Copy copy, int index) {
  const int length = copy(index, nullptr, 0);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  copy(index, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace brimlow

#endif
