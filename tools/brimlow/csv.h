// Comma-separated text: reading a stream of rows with quoted fields, writing
// with quoting where a field needs it.
#ifndef BRIMLOW_CSV_H
#define BRIMLOW_CSV_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input_files.h"

namespace brimlow {

struct CsvRow {
  std::uint64_t line = 0;  // line of the file on which the row starts, from 1
  std::vector<std::string> cells;
};

// The largest row read, quoted line breaks and all: a row is held whole in
// memory, the file never is.
constexpr std::size_t kCsvRowLimit = std::size_t{1} << 20;  // bytes (1 MiB)

// Reads rows one at a time from an input. Fields may be quoted ("a, b",
// "say ""hi"""), a quoted field may span lines; blank lines (empty or
// of blanks only) and lines starting with '#' are skipped; a byte-order mark
// at the start is dropped.
class CsvReader {
 public:
  CsvReader(InputFile& input, std::size_t rowLimit) : input_(input), rowLimit_(rowLimit) {}
  // The next row; false at the end of the input or on a problem (a quoted
  // field left open, a row longer than the limit, a failed read), which
  // problem() then tells.
  bool next(CsvRow& row);
  const std::string& problem() const { return problem_; }
  // Bytes of the input consumed so far.
  std::uint64_t offset() const { return consumed_; }

 private:
  static constexpr int kEnd = -1;
  // The next row, blank ones included.
  bool nextRow(CsvRow& row);
  int peek();
  int take();
  void skipByteOrderMark();

  InputFile& input_;
  std::size_t rowLimit_;
  std::vector<char> buffer_ = std::vector<char>(std::size_t{64} << 10);
  std::size_t position_ = 0, filled_ = 0;
  std::uint64_t consumed_ = 0;
  std::uint64_t line_ = 1;
  bool started_ = false;
  std::string problem_;
};

// One field, quoted when it holds a comma, a quote or a line break. Text a
// spreadsheet would run as a formula (a cell starting with =, +, -, @, a tab
// or a carriage return, that is no number) is written after a single quote;
// NUL bytes are dropped. Numbers stay as they are.
std::string csvField(const std::string& text);

// A whole line (with its line end) of fields.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace brimlow

#endif
