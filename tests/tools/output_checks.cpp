// The CSV tables and the JSON document of a run parse and say the same.
#include <gtest/gtest.h>

#include <cmath>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

// Ordered: the columns keep the order of the document.
using json = nlohmann::ordered_json;

// Every column of the CSV file is the JSON table's column of the same name,
// value for value: numbers exactly, inf and blanks as null.
void expectSameTable(const std::string& csvText, const json& table, const std::string& what) {
  const auto rows = parseCsv(csvText);
  ASSERT_FALSE(rows.empty()) << what;
  const auto& header = rows.front();
  ASSERT_EQ(header.size(), table.size()) << what;
  std::size_t column = 0;
  for (const auto& entry : table.items()) {
    EXPECT_EQ(header[column], entry.key()) << what << ": columns in another order";
    ASSERT_EQ(rows.size() - 1, entry.value().size()) << what << " " << entry.key();
    for (std::size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r].size(), header.size()) << what << " row " << r;
      ASSERT_TRUE(sameValue(entry.value()[r - 1], cellValue(rows[r][column])))
          << what << " " << entry.key() << " row " << r << ": " << rows[r][column] << " vs "
          << entry.value()[r - 1];
    }
    ++column;
  }
}

void expectSameOutputs(const std::string& caseFile) {
  TempDir dir;
  const ToolRun run = runTool({"run", caseFile, "--out", dir / "out", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json result = json::parse(run.out);
  for (const char* table : {"branch_a", "branch_b", "pipe"}) {
    const std::string file = dir / ("out/" + std::string(table) + ".csv");
    ASSERT_TRUE(fileExists(file)) << file;
    expectSameTable(readFile(file), result[table], caseFile + " " + table);
  }
}

TEST(Outputs, CsvTablesAndJsonAgree) {
  expectSameOutputs(sourcePath("examples/cases/default.json"));
  expectSameOutputs(sourcePath("examples/cases/valves.json"));
}

TEST(Outputs, TablesHaveNamedColumnsWithUnitsAndInfinityForNever) {
  TempDir dir;
  const ToolRun run = runTool({"run", "--out", dir.path()});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto a = parseCsv(readFile(dir / "branch_a.csv"));
  const auto pipe = parseCsv(readFile(dir / "pipe.csv"));
  EXPECT_EQ(a.front().front(), "time_s");
  EXPECT_EQ(pipe.front()[1], "exit_flux_kg_per_s");
  // The fed branch A ends on its infinite record.
  EXPECT_EQ(a.back()[0], "inf");
  // Regimes are whole numbers, -1 before the breach and 1 at its instant.
  EXPECT_EQ(a[1][1], "-1");
  EXPECT_EQ(a[2][1], "1");
  // The summary goes to the terminal, the tables only to files.
  EXPECT_NE(run.out.find("initial release rate"), std::string::npos);
  EXPECT_EQ(dir.entries().size(), 3u);
}

TEST(Outputs, JsonDocumentHasEverySection) {
  const ToolRun run = runTool({"run", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json result = json::parse(run.out);
  for (const char* key : {"brimlow_version", "case", "layout", "warnings", "summary", "branch_a", "branch_b", "pipe"}) {
    EXPECT_TRUE(result.contains(key)) << key;
  }
  EXPECT_EQ(result["case"]["material"], "methane");
  EXPECT_EQ(result["case"]["time_division"], 100);
  EXPECT_TRUE(result["warnings"].empty());
  // Tables are objects of equally long columns.
  for (const char* table : {"branch_a", "branch_b", "pipe"}) {
    const std::size_t length = result[table]["time_s"].size();
    EXPECT_GT(length, 2u) << table;
    for (const auto& column : result[table]) EXPECT_EQ(column.size(), length) << table;
  }
}

}  // namespace
}  // namespace brimlow_test
