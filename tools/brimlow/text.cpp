#include "text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace brimlow {
namespace {

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
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
  for (char c : text) {
    if (out.size() >= most) return out + "...";
    out += isControl(c) ? escaped(c) : std::string(1, c);
  }
  return out;
}

std::string withoutControlCharacters(const std::string& text) {
  std::string out = text;
  std::replace_if(out.begin(), out.end(), isControl, ' ');
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

}  // namespace brimlow
