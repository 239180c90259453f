// Comma-separated text: reading with quoted fields, writing with quoting
// where a field needs it.
#ifndef BRIMLOW_CSV_H
#define BRIMLOW_CSV_H

#include <string>
#include <vector>

namespace brimlow {

struct CsvRow {
  int line = 0;  // line of the file on which the row starts, from 1
  std::vector<std::string> cells;
};

// Splits text into rows. Fields may be quoted ("a, b", "say ""hi"""), a quoted
// field may span lines; blank lines and lines starting with '#' are skipped.
// On a quote left open, returns false with a problem text.
bool readCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& problem);

// One field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

// A whole line (with its line end) of fields.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace brimlow

#endif
