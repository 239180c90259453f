#include "text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace brimlow {
namespace {

// The length of the valid UTF-8 sequence that starts at text[i], 0 when
// none does (a stray continuation byte, a sequence cut short, an overlong
// form).
std::size_t sequenceLength(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  else return 0;
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xF0 && byte(i + 1) < 0x90)) return 0;  // overlong
  return length;
}

// The code point of the valid sequence at text[i] of this length.
char32_t codePointAt(const std::string& text, std::size_t i, std::size_t length) {
  static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t point = static_cast<unsigned char>(text[i]) & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return point;
}

// The bidirectional controls: they reorder the text after them, so that a
// name can show other than it reads (U+202E turns a title backwards).
bool isBidirectionalControl(char32_t point) {
  return point == 0x061C || point == 0x200E || point == 0x200F || (point >= 0x202A && point <= 0x202E) ||
         (point >= 0x2066 && point <= 0x2069);
}

// Whether the sequence at text[i] of this length is a control character: C0
// (below a blank), DEL, C1 (U+0080 to U+009F, which some terminals obey as
// escapes), or a bidirectional control.
bool isControlAt(const std::string& text, std::size_t i, std::size_t length) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (length == 1) return lead < 0x20 || lead == 0x7f;
  if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) return true;
  return isBidirectionalControl(codePointAt(text, i, length));
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string escaped(char c) {
  switch (c) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: {
      char text[8];
      std::snprintf(text, sizeof text, "\\x%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      return text;
    }
  }
}

}  // namespace

std::string shownText(const std::string& text, std::size_t most) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (out.size() >= most) return out + "...";
    const std::size_t length = sequenceLength(text, i);
    if (length == 0 || isControlAt(text, i, length)) {
      // Escape every byte of it: a control character, or bytes that are no text.
      for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) out += escaped(text[i + k]);
      i += std::max<std::size_t>(length, 1);
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string withoutControlCharacters(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = std::max<std::size_t>(sequenceLength(text, i), 1);
    if (isControlAt(text, i, length)) {
      out += ' ';
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearestWord(const std::string& word, const std::vector<std::string>& candidates,
                        std::size_t maxDistance) {
  const std::string wanted = lower(word);
  std::string best;
  std::size_t bestDistance = maxDistance + 1;
  for (const std::string& candidate : candidates) {
    // Words whose lengths differ by more than the limit are farther apart
    // than it: no need to measure (a long cell against short names).
    const std::size_t lengthGap =
        wanted.size() > candidate.size() ? wanted.size() - candidate.size() : candidate.size() - wanted.size();
    if (lengthGap > maxDistance) continue;
    const std::size_t distance = editDistance(wanted, lower(candidate));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

std::string barText(std::size_t filled, std::size_t width) {
  filled = std::min(filled, width);
  return "[" + std::string(filled, '#') + std::string(width - filled, '.') + "]";
}

}  // namespace brimlow
