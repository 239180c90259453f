#include "csv.h"

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
