// Batch runs: many cases in parallel give the rows of serial runs, failures
// stay in their rows, and shards add up to the whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

using nlohmann::json;

// 240 varied cases: breach positions, apertures, pressures, inflows,
// materials, valves, a single-branch case, and four bad rows.
std::string variedCases() {
  std::string text = "name,breach_location_m,aperture,upstream_pressure_Pa,inflow_kg_per_s,material,valves\n";
  const char* materials[] = {"", "ethane", "nitrogen", "74828"};
  for (int i = 0; i < 236; ++i) {
    char row[256];
    const double breach = 2000.0 + 4100.0 * (i % 24);
    const double aperture = 0.2 + 0.2 * (i % 5);
    const double pressure = 3e6 + 1e6 * (i % 6);
    const std::string valves = i % 7 == 0 ? "\"1000:120; 99000:400\"" : "";
    std::snprintf(row, sizeof row, "case %d,%g,%g,%g,%s,%s,%s\n", i, breach, aperture, pressure,
                  i % 3 == 0 ? "" : "10", materials[i % 4], valves.c_str());
    text += row;
  }
  text += "at the end,100000,,,,,\n";
  text += "bad aperture,50000,0.1,,,,\n";
  text += "bad number,fifty,,,,,\n";
  text += "bad material,,,,,kryptonite,\n";
  return text;
}

std::vector<std::vector<std::string>> batchRows(const std::vector<std::string>& arguments, int expectedStatus) {
  const ToolRun run = runTool(arguments);
  EXPECT_EQ(run.status, expectedStatus) << run.err;
  return parseCsv(run.out);
}

std::size_t columnOf(const std::vector<std::string>& header, const std::string& name) {
  return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
}

TEST(Batch, TwoThreadsGiveTheRowsOfASerialRun) {
  TempDir dir;
  writeFile(dir / "cases.csv", variedCases());
  const ToolRun serial = runTool({"batch", dir / "cases.csv", "--jobs", "1"});
  const ToolRun parallel = runTool({"batch", dir / "cases.csv", "--jobs", "2"});
  EXPECT_EQ(serial.status, 6) << serial.err;
  EXPECT_EQ(parallel.status, 6);
  EXPECT_EQ(parallel.out, serial.out);
  const auto rows = parseCsv(serial.out);
  ASSERT_EQ(rows.size(), 241u);
  // No progress bar when standard error is not a terminal.
  EXPECT_EQ(parallel.err.find('['), std::string::npos) << parallel.err;
}

TEST(Batch, FailedCasesAreReportedInTheirRows) {
  TempDir dir;
  writeFile(dir / "cases.csv", variedCases());
  const auto rows = batchRows({"batch", dir / "cases.csv", "--jobs", "2"}, 6);
  const auto& header = rows.front();
  const std::size_t status = columnOf(header, "status"), message = columnOf(header, "message");
  ASSERT_LT(message, header.size());
  std::map<std::string, std::string> failures;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    EXPECT_EQ(rows[r][0], std::to_string(r));
    if (rows[r][status] != "ok") failures[rows[r][1]] = rows[r][message];
  }
  ASSERT_EQ(failures.size(), 3u);
  EXPECT_NE(failures["bad aperture"].find("aperture: orifice aperture 0.1"), std::string::npos);
  EXPECT_NE(failures["bad number"].find("breach_location_m: must be a number, not 'fifty'"), std::string::npos);
  EXPECT_NE(failures["bad material"].find("unknown material 'kryptonite'"), std::string::npos);
  // The rows after a failed one ran: the breach at the end is a single branch
  // A with no branch B times.
  const auto& atEnd = rows[237];
  EXPECT_EQ(atEnd[1], "at the end");
  EXPECT_EQ(atEnd[status], "ok");
  EXPECT_EQ(atEnd[columnOf(header, "b_time_to_flow_reversal_s")], "");
}

TEST(Batch, RowsAreTheSummariesOfSingleRuns) {
  const auto rows = batchRows({"batch", sourcePath("examples/cases/sweep.csv"), "--jobs", "2"}, 0);
  ASSERT_EQ(rows.size(), 201u);
  const auto& header = rows.front();
  for (std::size_t r : {1u, 77u, 200u}) {
    json c = json::object();
    c["breach_location_m"] = cellValue(rows[r][columnOf(header, "breach_location_m")]);
    c["aperture"] = cellValue(rows[r][columnOf(header, "aperture")]);
    c["upstream_pressure_Pa"] = cellValue(rows[r][columnOf(header, "upstream_pressure_Pa")]);
    const ToolRun single = runTool({"run", "-", "--json"}, c.dump());
    ASSERT_EQ(single.status, 0) << single.err;
    const json summary = json::parse(single.out)["summary"];
    for (const auto& field : summary.items()) {
      const std::size_t column = columnOf(header, field.key());
      ASSERT_LT(column, header.size()) << field.key();
      EXPECT_TRUE(sameValue(field.value(), cellValue(rows[r][column]))) << "row " << r << " " << field.key();
    }
  }
}

TEST(Batch, ShardsSortedByRowMakeTheWholeRun) {
  TempDir dir;
  writeFile(dir / "cases.csv", variedCases());
  const ToolRun whole = runTool({"batch", dir / "cases.csv", "--jobs", "2"});
  std::vector<std::vector<std::string>> merged;
  std::string headerLine;
  for (int k = 0; k < 3; ++k) {
    const std::string part = dir / ("part-" + std::to_string(k) + ".csv");
    const ToolRun shard = runTool({"batch", dir / "cases.csv", "--shard", std::to_string(k) + "/3", "--out", part});
    EXPECT_TRUE(shard.status == 0 || shard.status == 6) << shard.err;
    auto rows = parseCsv(readFile(part));
    ASSERT_FALSE(rows.empty());
    for (std::size_t r = 1; r < rows.size(); ++r) {
      EXPECT_EQ(std::stoi(rows[r][0]) % 3, k);
      merged.push_back(rows[r]);
    }
    if (k == 0) merged.insert(merged.begin(), rows.front());
  }
  std::stable_sort(merged.begin() + 1, merged.end(),
                   [](const auto& a, const auto& b) { return std::stoi(a[0]) < std::stoi(b[0]); });
  EXPECT_EQ(merged, parseCsv(whole.out));
}

TEST(Batch, AFileItCannotReadWritesNothing) {
  TempDir dir;
  writeFile(dir / "columns.csv", "breach_location_m,apperture\n1000,0.5\n");
  const ToolRun columns = runTool({"batch", "columns.csv", "--out", "results.csv"}, "", dir.path());
  EXPECT_EQ(columns.status, 3);
  EXPECT_NE(columns.err.find("unknown column 'apperture' (did you mean 'aperture'?)"), std::string::npos)
      << columns.err;
  const ToolRun missing = runTool({"batch", "absent.csv", "--out", "results.csv"}, "", dir.path());
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(dir.entries().size(), 1u);
}

}  // namespace
}  // namespace brimlow_test
