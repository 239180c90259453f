// Batch runs: parallel rows are the serial rows, failures stay in their rows, shards make the whole.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

constexpr int kCasesFailed = 6;

// 241 varied cases: breach positions, apertures, pressures, inflows,
// materials, valves, a single-branch case, and four bad rows.
std::string variedCases() {
  std::string text = "name,breach_location_m,aperture,upstream_pressure_Pa,inflow_kg_per_s,material,valves\n";
  const char* materials[] = {"", "ethane", "nitrogen", "74828"};
  for (int i = 0; i < 236; ++i) {
    char row[256];
    std::snprintf(row, sizeof row, "case %d,%g,%g,%g,%s,%s,%s\n", i, 2000.0 + 4100.0 * (i % 24), 0.2 + 0.2 * (i % 5),
                  3e6 + 1e6 * (i % 6), i % 3 == 0 ? "" : "10", materials[i % 4],
                  i % 7 == 0 ? "\"1000:120; 99000:400\"" : "");
    text += row;
  }
  return text +
         "at the end,100000,,,,,\n"
         "bad aperture,50000,0.1,,,,\n"
         "bad number,fifty,,,,,\n"
         "bad material,,,,,kryptonite,\n"
         "short row,1000\n";
}

TEST(Batch, TwoThreadsGiveTheSerialRowsAndShardsMakeTheWhole) {
  TempDir dir;
  const std::string cases = dir / "cases.csv";
  writeFile(cases, variedCases());
  const ToolRun serial = runTool({"batch", cases, "--jobs", "1"});
  const ToolRun parallel = runTool({"batch", cases, "--jobs", "2"});
  EXPECT_EQ(serial.status, kCasesFailed) << serial.err;
  EXPECT_EQ(parallel.status, kCasesFailed);
  EXPECT_EQ(parallel.out, serial.out);
  EXPECT_EQ(parallel.err.find('['), std::string::npos) << "a progress bar, but standard error is no terminal";

  // Failed cases are reported in their rows; the rows after them ran.
  const CsvRows rows = parseCsv(parallel.out);
  ASSERT_EQ(rows.size(), 242u);
  const auto& header = rows.front();
  const std::size_t status = columnOf(header, "status"), message = columnOf(header, "message");
  ASSERT_LT(message, header.size());
  std::map<std::string, std::string> failures;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    EXPECT_EQ(rows[r][0], std::to_string(r));
    if (rows[r][status] != "ok") failures[rows[r][1]] = rows[r][message];
  }
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_NE(failures["bad aperture"].find("aperture: orifice aperture 0.1"), std::string::npos);
  EXPECT_NE(failures["bad number"].find("breach_location_m: must be a number or a number with a unit, not 'fifty'"),
            std::string::npos);
  EXPECT_NE(failures["bad material"].find("unknown material 'kryptonite'"), std::string::npos);
  EXPECT_EQ(failures["short row"], "the row has 2 cells, the header 7 columns");
  // The breach at the end is a single branch A with no branch B times.
  EXPECT_EQ(rows[237][1], "at the end");
  EXPECT_EQ(rows[237][status], "ok");
  EXPECT_EQ(rows[237][columnOf(header, "b_time_to_flow_reversal_s")], "");

  // Shard K/3 holds the rows whose number is K modulo 3; sorted by row
  // number, the shards are the whole run.
  CsvRows merged = {header};
  for (int k = 0; k < 3; ++k) {
    const std::string part = dir / ("part-" + std::to_string(k) + ".csv");
    const ToolRun shard = runTool({"batch", cases, "--shard", std::to_string(k) + "/3", "--out", part});
    EXPECT_EQ(shard.status, kCasesFailed) << shard.err;
    const CsvRows shardRows = parseCsv(readFile(part));
    ASSERT_FALSE(shardRows.empty());
    EXPECT_EQ(shardRows.front(), header);
    for (std::size_t r = 1; r < shardRows.size(); ++r) {
      EXPECT_EQ(std::stoi(shardRows[r][0]) % 3, k);
      merged.push_back(shardRows[r]);
    }
  }
  std::stable_sort(merged.begin() + 1, merged.end(),
                   [](const auto& a, const auto& b) { return std::stoi(a[0]) < std::stoi(b[0]); });
  EXPECT_EQ(merged, rows);
}

// n rows of cases, written as they are made.
void writeCases(const std::string& path, int n) {
  std::ofstream out(path);
  out << "name,breach_location_m,aperture\n";
  for (int i = 1; i <= n; ++i) out << "case " << i << "," << 1000 + i % 90000 << "," << (i % 2 ? "0.5" : "1") << "\n";
}

// A million rows, a shard running one in 2000, stream in the memory of a thousand (holding them took 200 MB more);
// the two peaks are compared, leaving out what the child inherits.
TEST(Batch, StreamsRowsInMemoryThatDoesNotGrowWithTheFile) {
  constexpr int kRows = 1000000, kShards = 2000;
  TempDir dir;
  writeCases(dir / "few.csv", kRows / 1000);
  writeCases(dir / "many.csv", kRows);
  const auto shard = [&](const char* file, const char* results) {
    return runToolMeasured({"batch", file, "--shard", "0/" + std::to_string(kShards), "--jobs", "2"},
                           dir / results, dir.path());
  };
  const MeasuredRun few = shard("few.csv", "few-results.csv");
  const MeasuredRun many = shard("many.csv", "many-results.csv");
  ASSERT_EQ(few.status, 0) << few.err;
  ASSERT_EQ(many.status, 0) << many.err;
  EXPECT_LT(many.peakKilobytes - few.peakKilobytes, 16 * 1024)
      << "the memory grows with the file: " << few.peakKilobytes << " kB for 1000 rows, " << many.peakKilobytes
      << " kB for " << kRows;
  const CsvRows rows = parseCsv(readFile(dir / "many-results.csv"));
  ASSERT_EQ(rows.size(), 1u + kRows / kShards);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    ASSERT_EQ(rows[r][0], std::to_string(r * kShards)) << "rows out of order";
    ASSERT_EQ(rows[r][1], "case " + rows[r][0]);
  }
}

// Each row is the summary of its single run: rows the library's sweep entry
// carries, and rows it does not carry whole (a composition, a line under the
// sea, a breach beyond the one-call range), which take the whole run of a
// case, not the default gas in the open air or a breach moved to 1,000 km.
TEST(Batch, EachRowIsTheSummaryOfItsSingleRun) {
  const struct {
    const char* row;
    const char* json;
  } cases[] = {
      {"swept,,,,77000,,0.4,4e6", R"({"breach_location_m":77000,"aperture":0.4,"upstream_pressure_Pa":4e6})"},
      {"mix,methane:0.8;ethane:0.2,,,,,,", R"({"composition":{"methane":0.8,"ethane":0.2}})"},
      {"sea,,75,,,,,", R"({"water_depth_m":75})"},
      {"far,,,1500000,1200000,5,,", R"({"pipe_length_m":1500000,"breach_location_m":1200000,"inflow_kg_per_s":5})"},
  };
  TempDir dir;
  std::string text = "name,composition,water_depth_m,pipe_length_m,breach_location_m,inflow_kg_per_s,aperture,"
                     "upstream_pressure_Pa\n";
  for (const auto& c : cases) text += std::string(c.row) + "\n";
  writeFile(dir / "cases.csv", text);
  const ToolRun batch = runTool({"batch", dir / "cases.csv"});
  ASSERT_EQ(batch.status, 0) << batch.err;
  const CsvRows rows = parseCsv(batch.out);
  ASSERT_EQ(rows.size(), std::size(cases) + 1);
  const auto& header = rows.front();
  const std::size_t firstResult = columnOf(header, "fanning_factor");
  ASSERT_LT(firstResult, header.size());
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Json result = runJson({"run", "-", "--json", "--no-reference"}, cases[r - 1].json);
    for (const auto& [key, value] : result["summary"].items()) {
      const std::size_t column = columnOf(header, key);
      if (column >= firstResult && column < header.size()) {
        EXPECT_TRUE(sameValue(value, cellValue(rows[r][column]))) << cases[r - 1].json << " " << key;
      }
    }
  }
  // The example sweep runs whole.
  const ToolRun example = runTool({"batch", sourcePath("examples/cases/sweep.csv")});
  EXPECT_EQ(example.status, 0) << example.err;
  EXPECT_EQ(parseCsv(example.out).size(), 201u);
}

TEST(Batch, TextCellsAreWrittenSoNoSpreadsheetRunsThemAndBlankLinesAreSkipped) {
  // A cell that would start a formula is written after a quote, a NUL is
  // dropped, numbers stay numbers, a line of blanks is no row.
  TempDir dir;
  std::string cases = "name,aperture\n=HYPERLINK(\"x\"),0.5\n   \t \n+1,0.6\n@SUM(A1),0.7\n-cmd,0.8\nnul";
  cases += '\0';
  cases += "here,0.9\n\t=1,1\n-2.5e3,1\n";
  writeFile(dir / "cases.csv", cases);
  const ToolRun run = runTool({"batch", dir / "cases.csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find('\0'), std::string::npos);
  const CsvRows rows = parseCsv(run.out);
  ASSERT_EQ(rows.size(), 8u) << run.out;
  const std::size_t name = columnOf(rows.front(), "name");
  const char* expected[] = {"'=HYPERLINK(\"x\")", "+1", "'@SUM(A1)", "'-cmd", "nulhere", "'\t=1", "-2.5e3"};
  for (std::size_t r = 1; r < rows.size(); ++r) EXPECT_EQ(rows[r][name], expected[r - 1]);
}

// The staged output of a batch stopped by a signal is removed, whichever
// signal of a terminal or a job scheduler stops it.
TEST(Batch, ASignalThatStopsABatchLeavesNoStagedFile) {
  TempDir dir;
  std::string cases = "name\n";
  for (int i = 0; i < 20000; ++i) cases += "case " + std::to_string(i) + "\n";
  writeFile(dir / "big.csv", cases);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(127);
      execl(BRIMLOW_PROGRAM, BRIMLOW_PROGRAM, "batch", "big.csv", "--out", "out.csv", "--jobs", "1",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Stopped once its staged file exists (within a minute, however busy the machine).
    const auto staged = [&] {
      for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().rfind(".out.csv.tmp-", 0) == 0) return true;
      }
      return false;
    };
    for (int i = 0; i < 6000 && !staged(); ++i) usleep(10000);
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal;
    EXPECT_FALSE(staged()) << "signal " << signal;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.csv"));
  }
}

}  // namespace
}  // namespace brimlow_test
