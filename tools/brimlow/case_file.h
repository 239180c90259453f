// Reading a case from a JSON case file or from a row of a batch file, and
// writing a case back as JSON. Form problems (unknown keys, wrong types) are
// all collected; the values themselves are checked later by the library.
#ifndef BRIMLOW_CASE_FILE_H
#define BRIMLOW_CASE_FILE_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "case.h"

namespace brimlow {

// Parses the text of a case file; keys left out (or null) keep their defaults.
// Returns false with every problem found, each naming its key.
bool caseFromJson(const std::string& text, Case& out, std::vector<std::string>& problems);

// Problems of a batch file's header: unknown columns, repeated columns.
std::vector<std::string> headerProblems(const std::vector<std::string>& header);

// One batch row: cells under the header's columns; blank cells keep their
// defaults. Valves are written "position_m:closure_time_s" pairs separated by
// ';' ("20000:600; 80000:900").
bool caseFromRow(const std::vector<std::string>& header, const std::vector<std::string>& cells, Case& out,
                 std::vector<std::string>& problems);

// The case with every key, as a case file would give it.
nlohmann::ordered_json caseToJson(const Case& c);

// A key close to a misspelt one ("pipe_lenght_m" -> "pipe_length_m"), or "".
std::string closestKey(const std::string& name);

}  // namespace brimlow

#endif
