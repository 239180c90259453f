// Text from a user in the tool's own messages and titles, and the spelling
// distance behind its "did you mean" suggestions.
#ifndef BRIMLOW_TEXT_H
#define BRIMLOW_TEXT_H

#include <cstddef>
#include <string>
#include <vector>

namespace brimlow {

// User text quoted in a message: control characters (C0, DEL, C1, and the
// bidirectional controls U+061C, U+200E, U+200F, U+202A to U+202E, U+2066
// to U+2069) and bytes
// that are no UTF-8 shown as escapes ("\n", "\x1b"), and cut to about `most`
// bytes with "..." so that a cell of a megabyte does not become a message of
// a megabyte.
std::string shownText(const std::string& text, std::size_t most = 80);

// A title for a plot or the terminal: every control character (as above,
// the bidirectional ones included) turned into a blank.
std::string withoutControlCharacters(const std::string& text);

// A progress bar of width cells, filled of them done: "[#####.....]".
std::string barText(std::size_t filled, std::size_t width);

// Levenshtein distance: insertions, deletions and substitutions.
std::size_t editDistance(const std::string& a, const std::string& b);

// The candidate nearest to word within maxDistance edits (the first of equal
// ones), or "" when none is that near. Case is ignored.
std::string nearestWord(const std::string& word, const std::vector<std::string>& candidates,
                        std::size_t maxDistance);

}  // namespace brimlow

#endif
