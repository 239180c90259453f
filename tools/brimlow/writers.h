// The outputs of a run: CSV tables, the JSON document and the terminal summary.
#ifndef BRIMLOW_WRITERS_H
#define BRIMLOW_WRITERS_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "case.h"
#include "results.h"

namespace brimlow {

// Names of the files that `run --out DIR` writes.
extern const char* const kBranchAFile;
extern const char* const kBranchBFile;
extern const char* const kPipeFile;
extern const char* const kReferenceFile;

// A table as CSV: a header row of column names (each with its unit in the
// name), then one line per row; "inf" for infinity.
std::string tableCsv(const std::vector<Column>& columns, const Table& table);

// The files of `run --out`: each file's name and its text.
struct NamedText {
  std::string name;
  std::string text;
};
std::vector<NamedText> tableFiles(const CaseResult& result);

// The whole result as one JSON document; infinity and missing values are null.
nlohmann::ordered_json resultJson(const Case& c, const CaseResult& result);

// The summary for the terminal; origin names where the case came from, and
// the last line the files the run writes beside it.
std::string summaryText(const Case& c, const CaseResult& result, const std::string& origin,
                        const std::vector<std::string>& filesWritten);

}  // namespace brimlow

#endif
