// The CSV tables and the JSON document of a run parse and say the same.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

// Every column of the CSV file is the JSON table's column of the same name,
// in the same order, value for value: numbers exactly, inf and blanks as null.
void expectSameTable(const CsvRows& rows, const Json& table) {
  ASSERT_FALSE(rows.empty());
  const auto& header = rows.front();
  ASSERT_EQ(header.size(), table.size());
  std::size_t column = 0;
  for (const auto& [name, values] : table.items()) {
    EXPECT_EQ(header[column], name) << "columns in another order";
    ASSERT_EQ(rows.size() - 1, values.size()) << name;
    for (std::size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r].size(), header.size()) << "row " << r;
      ASSERT_TRUE(sameValue(values[r - 1], cellValue(rows[r][column])))
          << name << " row " << r << ": " << rows[r][column] << " vs " << values[r - 1];
    }
    ++column;
  }
}

TEST(Outputs, CsvTablesAndJsonAgree) {
  for (const char* caseFile : {"examples/cases/default.json", "examples/cases/valves.json"}) {
    SCOPED_TRACE(caseFile);
    TempDir dir;
    const Json result = runJson({"run", sourcePath(caseFile), "--out", dir.path(), "--json"});
    EXPECT_EQ(dir.entryCount(), 4u) << "the three tables and reference.csv";
    for (const std::string table : {"branch_a", "branch_b", "pipe"}) {
      SCOPED_TRACE(table);
      const CsvRows rows = parseCsv(readFile(dir / (table + ".csv")));
      expectSameTable(rows, result[table]);
      if (table == "pipe") continue;
      // What the document cannot show: a regime is a whole number (-1 before
      // the breach), and the time of a branch that never ends is inf, not blank.
      ASSERT_GT(rows.size(), 2u);
      EXPECT_EQ(rows[1][1], "-1");
      EXPECT_EQ(rows.back()[0] == "inf", result[table]["time_s"].back().is_null());
    }
  }
}

// A full disk under standard output fails the command; a run that fails so
// leaves none of its files behind, not even the ones it could write.
TEST(Outputs, EveryWriteIsCheckedAndAFailedRunLeavesNoFiles) {
  TempDir dir;
  const std::string cases = dir / "cases.csv";
  writeFile(cases, "name,aperture\na,0.5\nb,1\n");
  const std::vector<std::vector<std::string>> commands = {
      {"run", "--json"}, {"run"}, {"run", "--out", dir / "tables", "--json"}, {"batch", cases}, {"materials"},
      {"keys", "--markdown"}, {"run", "--help"}};
  for (const auto& command : commands) {
    SCOPED_TRACE(command.back());
    const MeasuredRun full = runToolMeasured(command, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write standard output (No space left on device)"), std::string::npos)
        << full.err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tables")) << "the tables of a failed run were left";

  // The output of a batch is complete or absent: on success it holds every
  // row, and no temporary file is left beside it.
  const ToolRun batch = runTool({"batch", cases, "--out", dir / "results.csv"});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(parseCsv(readFile(dir / "results.csv")).size(), 3u);
  EXPECT_EQ(dir.entryCount(), 3u) << "cases.csv, tables/ and results.csv, nothing else";

  // A pipe or a link is written through, never replaced by a file: a FIFO
  // read by cat, and a link to a file elsewhere.
  const std::string command = "cd " + shellQuoted(dir.path()) +
                              " && mkfifo rows.fifo && ln -s results.csv link.csv && "
                              "{ cat rows.fifo > piped.csv & " +
                              shellQuoted(BRIMLOW_PROGRAM) +
                              " batch cases.csv --out rows.fifo && " + shellQuoted(BRIMLOW_PROGRAM) +
                              " batch cases.csv --jobs 1 --out link.csv; status=$?; wait; exit $status; }";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(std::filesystem::status(dir / "rows.fifo").type(), std::filesystem::file_type::fifo);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv"));
  EXPECT_EQ(readFile(dir / "piped.csv"), readFile(dir / "results.csv"));
  EXPECT_EQ(parseCsv(readFile(dir / "link.csv")).size(), 3u);
}

}  // namespace
}  // namespace brimlow_test
