#include "csv.h"

#include "numbers.h"

namespace brimlow {

int CsvReader::peek() {
  if (position_ == filled_) {
    if (!problem_.empty()) return kEnd;
    filled_ = input_.read(buffer_.data(), buffer_.size());
    position_ = 0;
    if (filled_ == 0) {
      problem_ = input_.readProblem();
      return kEnd;
    }
  }
  return static_cast<unsigned char>(buffer_[position_]);
}

int CsvReader::take() {
  const int c = peek();
  if (c != kEnd) {
    ++position_;
    ++consumed_;
  }
  return c;
}

// A spreadsheet may start its CSV with a byte-order mark.
void CsvReader::skipByteOrderMark() {
  static const unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
  for (unsigned char byte : kMark) {
    if (peek() != byte) return;  // a partial mark (no text either) is dropped too
    take();
  }
}

bool CsvReader::next(CsvRow& row) {
  // A line of blanks only is a blank line too.
  while (nextRow(row)) {
    if (row.cells.size() != 1 || row.cells[0].find_first_not_of(" \t") != std::string::npos) return true;
  }
  return false;
}

bool CsvReader::nextRow(CsvRow& row) {
  if (!started_) {
    started_ = true;
    skipByteOrderMark();
  }
  row.cells.clear();
  for (;;) {
    // Skip blank and comment lines.
    const int c = peek();
    if (c == kEnd) return false;
    if (c == '\n' || c == '\r') {
      if (c == '\n') ++line_;
      take();
      continue;
    }
    if (c != '#') break;
    while (peek() != kEnd && peek() != '\n') take();
  }
  row.line = line_;
  const std::uint64_t start = consumed_;
  std::string field;
  bool quoted = false;
  bool wasQuoted = false;
  for (int c = peek(); c != kEnd; c = peek()) {
    if (consumed_ - start >= rowLimit_) {
      problem_ = "line " + std::to_string(row.line) + ": a row longer than " + sizeText(rowLimit_) +
                 " (the limit of a row; a quote left open makes the rest of the file one field)";
      return false;
    }
    if (!quoted && (c == '\n' || c == '\r')) break;
    take();
    const char ch = static_cast<char>(c);
    if (quoted) {
      if (ch == '"') {
        if (peek() == '"') {
          field += '"';
          take();
        } else {
          quoted = false;
        }
      } else {
        if (ch == '\n') ++line_;
        field += ch;
      }
    } else if (ch == '"' && field.empty() && !wasQuoted) {
      quoted = true;
      wasQuoted = true;
    } else if (ch == ',') {
      row.cells.push_back(std::move(field));
      field.clear();
      wasQuoted = false;
    } else {
      field += ch;
    }
  }
  if (!problem_.empty()) return false;  // a failed read
  if (quoted) {
    problem_ = "line " + std::to_string(row.line) + ": a quoted field is not closed";
    return false;
  }
  row.cells.push_back(std::move(field));
  return true;
}

namespace {

// A spreadsheet runs a cell that starts with one of these as a formula
// (a tab or carriage return before it as well).
bool startsLikeFormula(const std::string& text) {
  return !text.empty() && std::string("=+-@\t\r").find(text.front()) != std::string::npos;
}

// A number as the tool writes or reads one ("-3.5", "+2e5", "-inf"): a
// spreadsheet takes it as a number, and so it stays.
bool isNumberText(const std::string& text) {
  double value = 0.0;
  return text == "-inf" || (text.front() != '\t' && text.front() != '\r' && parseNumber(text, value));
}

// Text that a spreadsheet would run is written after a single quote, as
// spreadsheets themselves show a text cell typed so: "'=1+2". NUL bytes,
// which no text cell holds, are dropped.
std::string inertText(const std::string& text) {
  std::string safe;
  safe.reserve(text.size() + 1);
  for (char c : text) {
    if (c != '\0') safe += c;
  }
  if (startsLikeFormula(safe) && !isNumberText(safe)) safe.insert(0, 1, '\'');
  return safe;
}

}  // namespace

std::string csvField(const std::string& raw) {
  const std::string text = inertText(raw);
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
