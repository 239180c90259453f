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
    EXPECT_EQ(dir.entryCount(), 3u);
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

}  // namespace
}  // namespace brimlow_test
