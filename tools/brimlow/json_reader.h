// Reading the JSON of a case file into a document, refusing before the
// document is built what would make trouble later: nesting deeper than a
// fixed limit (the document's writers and readers recurse), numbers beyond
// the range of a double, and keys given twice in one object.
#ifndef BRIMLOW_JSON_READER_H
#define BRIMLOW_JSON_READER_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace brimlow {

// Objects and arrays nested deeper than this are refused. A case file needs
// three levels (the case, its valves, a valve).
constexpr std::size_t kJsonMaxDepth = 64;

// Parses text (comments allowed) into document, adding a problem for each
// fault found, naming the key at fault where there is one
// ("valves[2].position_m: ..."). A syntax error, a number out of range or too
// deep a nesting stops the parse: false, and the document is incomplete. A
// key given twice is a problem too, but the parse goes on (the key keeps its
// last value), so that the document's other faults can be found as well.
bool readJson(const std::string& text, nlohmann::json& document, std::vector<std::string>& problems);

}  // namespace brimlow

#endif
