#include "csv.h"

namespace brimlow {

bool readCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& problem) {
  rows.clear();
  std::size_t i = 0;
  int line = 1;
  const std::size_t n = text.size();
  while (i < n) {
    // Skip blank and comment lines.
    if (text[i] == '\n' || text[i] == '\r') {
      if (text[i] == '\n') ++line;
      ++i;
      continue;
    }
    if (text[i] == '#') {
      while (i < n && text[i] != '\n') ++i;
      continue;
    }
    CsvRow row;
    row.line = line;
    std::string field;
    bool quoted = false;
    bool wasQuoted = false;
    for (; i < n; ++i) {
      const char c = text[i];
      if (quoted) {
        if (c == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            quoted = false;
          }
        } else {
          if (c == '\n') ++line;
          field += c;
        }
      } else if (c == '"' && field.empty() && !wasQuoted) {
        quoted = true;
        wasQuoted = true;
      } else if (c == ',') {
        row.cells.push_back(field);
        field.clear();
        wasQuoted = false;
      } else if (c == '\n' || c == '\r') {
        break;
      } else {
        field += c;
      }
    }
    if (quoted) {
      problem = "line " + std::to_string(row.line) + ": a quoted field is not closed";
      return false;
    }
    row.cells.push_back(field);
    rows.push_back(std::move(row));
  }
  return true;
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += csvField(fields[i]);
  }
  return line + "\n";
}

}  // namespace brimlow
