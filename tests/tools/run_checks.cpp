// A run: the default case's numbers are the library's own answers for the same line set up through the C interface.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tool_runner.h"
#include "vorl.h"

namespace brimlow_test {
namespace {

// The built-in default case, run once for all the checks that read it.
const Json& defaultRun() {
  static const Json result = runJson({"run", "--json"});
  return result;
}

// The library's 1e128 marker of "never" is null in the document.
double infinite(double libraryValue) { return libraryValue > 9e127 ? INFINITY : libraryValue; }

// The documented default case, run as a host runs it (tool_runner.h).
class DefaultCase : public ::testing::Test {
 protected:
  DefaultCase() : m(defaultCaseRun()) {}
  ~DefaultCase() override { VorlModelDelete(&m); }

  VorlHandle m;
  const Json& result = defaultRun();
};

TEST(Summary, ShowsTheCaseAndTheReleaseReportAndEndsNamingTheFilesWritten) {
  const ToolRun plain = runTool({"run"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.err, "");
  for (const char* expected : {"built-in default case", "methane (74828)", "100000 m long, bore 0.5 m",
                               "70 bar upstream, inflow 20 kg/s", "at 30000 m", "double branch", "initial release rate",
                               "7032 kg/s", "time to flow reversal", "never", "mass released after 10 min",
                               "Release report", "after 10 s", "time to release 50 % of the gas", "hole diameter"}) {
    EXPECT_NE(plain.out.find(expected), std::string::npos) << "missing \"" << expected << "\" in\n" << plain.out;
  }
  EXPECT_EQ(plain.out.substr(plain.out.rfind('\n', plain.out.size() - 2) + 1), "Files written: none\n");
  TempDir dir;
  const ToolRun written = runTool({"run", "--out", dir.path()});
  ASSERT_EQ(written.status, 0) << written.err;
  const std::string last = written.out.substr(written.out.rfind('\n', written.out.size() - 2) + 1);
  EXPECT_EQ(last, "Files written: " + dir.path() + "/branch_a.csv, " + dir.path() + "/branch_b.csv, " + dir.path() +
                      "/pipe.csv, " + dir.path() + "/reference.csv\n");
}

TEST_F(DefaultCase, EveryFieldOfTheLibrarysReleaseReportIsInTheSummaryInItsOrder) {
  const Json& s = result["summary"];
  const int count = VorlReleaseReportColumnCount();
  std::vector<double> report(static_cast<std::size_t>(count));
  ASSERT_EQ(VorlReleaseReportFill(m, report.data(), 1), 1);
  ASSERT_EQ(s.size(), static_cast<std::size_t>(count));
  int i = 0;
  for (const auto& [key, value] : s.items()) {
    char name[64] = "";
    VorlReleaseReportColumnName(i, name, sizeof name);
    EXPECT_EQ(key, name);
    const double expected = report[static_cast<std::size_t>(i++)];
    if (std::isfinite(expected)) {
      EXPECT_EQ(value.get<double>(), expected) << key;
    } else {
      EXPECT_TRUE(value.is_null()) << key;
    }
  }
  // Fed by the supply, the line releases half and 90 % of what it held.
  EXPECT_LT(s["time_to_release_half_s"].get<double>(), s["time_to_release_90pct_s"].get<double>());
  EXPECT_EQ(s["breach_location_m"].get<double>(), 30000.0);
}

// Every column of a table the document holds is the library's table column
// of that name, cell for cell, the 1e128 marker of "never" as null.
void expectColumnsAreTheLibrarys(const Json& table, const std::vector<double>& values, int columns,
                                 int (*columnName)(int, char*, int), std::size_t minimumShared) {
  const std::size_t rows = values.size() / static_cast<std::size_t>(columns);
  std::size_t shared = 0;
  for (int j = 0; j < columns; ++j) {
    char name[64] = "";
    columnName(j, name, sizeof name);
    if (!table.contains(name)) continue;
    ++shared;
    ASSERT_EQ(table[name].size(), rows) << name;
    for (std::size_t i = 0; i < rows; ++i) {
      ASSERT_TRUE(sameValue(table[name][i], infinite(values[i * static_cast<std::size_t>(columns) + j])))
          << name << "[" << i << "]: " << table[name][i];
    }
  }
  EXPECT_GE(shared, minimumShared);
}

// Columns of the library's branch record table.
constexpr std::size_t kMassExpelled = 16, kMassExpelledIsInfinite = 20;

TEST_F(DefaultCase, BranchHistoriesAreTheLibrarysRecordTables) {
  const int columns = VorlBranchTableColumnCount();
  for (const int branch : {VORL_BRANCH_A, VORL_BRANCH_B}) {
    std::vector<double> values(static_cast<std::size_t>(VorlBranchTableFill(m, branch, nullptr, 0) * columns));
    VorlBranchTableFill(m, branch, values.data(), static_cast<int>(values.size()) / columns);
    // A mass that grows without end is flagged by the library, not marked.
    for (std::size_t row = 0; row < values.size(); row += static_cast<std::size_t>(columns)) {
      if (values[row + kMassExpelledIsInfinite] != 0.0) values[row + kMassExpelled] = INFINITY;
    }
    expectColumnsAreTheLibrarys(result[branch == VORL_BRANCH_A ? "branch_a" : "branch_b"], values, columns,
                                VorlBranchTableColumnName, 7);
  }
  // The fed branch A ends on a record of infinite time whose expelled mass
  // grows without end: both null, not the library's markers.
  EXPECT_TRUE(result["branch_a"]["time_s"].back().is_null());
  EXPECT_TRUE(result["branch_a"]["mass_expelled_kg"].back().is_null());
}

TEST_F(DefaultCase, PipeTableIsTheLibrarysWalkOfTheOutputGrid) {
  // The grid of the one-call entry: the smaller of time division 100 and
  // output steps 200.
  const int columns = VorlPipeTableColumnCount();
  std::vector<double> values(static_cast<std::size_t>(VorlPipeGridTableFill(m, 100, nullptr, 0) * columns));
  VorlPipeGridTableFill(m, 100, values.data(), static_cast<int>(values.size()) / columns);
  expectColumnsAreTheLibrarys(result["pipe"], values, columns, VorlPipeTableColumnName, 3);
  // Before the breach nothing leaves; the supply keeps feeding branch A, so
  // the grid is carried on to 900000 s.
  EXPECT_EQ(result["pipe"]["mass_expelled_kg"][0], 0.0);
  EXPECT_EQ(result["pipe"]["time_s"].back(), 900000.0);
}

TEST(CaseFiles, ExampleFileAndEchoedCaseGiveTheDefaultResult) {
  Json fromFile = runJson({"run", sourcePath("examples/cases/default.json"), "--json"});
  EXPECT_EQ(fromFile["case"]["name"], "default case");
  fromFile["case"]["name"] = "";
  EXPECT_EQ(fromFile, defaultRun()) << "examples/cases/default.json and the built-in defaults differ";
  // The "case" of a result is a complete case file of its own.
  EXPECT_EQ(runJson({"run", "-", "--json"}, defaultRun()["case"].dump()), defaultRun());
}

TEST(CaseFiles, IdealGasAndABreachBeyondTheEnd) {
  // An ideal gas of methane's molar mass behaves as methane in the pipe.
  const Json gas = runJson({"run", "-", "--json"}, R"({"material": null, "molar_mass_kg_per_kmol": 16.0428})");
  EXPECT_NEAR(gas["summary"]["initial_release_rate_kg_per_s"].get<double>(),
              defaultRun()["summary"]["initial_release_rate_kg_per_s"].get<double>(), 1e-3);

  // The library moves a breach beyond the end to the end, with a warning that
  // is shown while the run goes on: branch A alone, branch B's table empty.
  // Summary and document give the breach where the library put it.
  const ToolRun end = runTool({"run", "-", "--json"}, R"({"breach_location_m": 200000})");
  ASSERT_EQ(end.status, 0) << end.err;
  EXPECT_NE(end.err.find("warning: breach location 200000 m is beyond the pipe length 100000 m"), std::string::npos)
      << end.err;
  const Json e = Json::parse(end.out);
  EXPECT_EQ(e["layout"], "single branch A");
  EXPECT_EQ(e["case"]["breach_location_m"], e["case"]["pipe_length_m"]);
  EXPECT_TRUE(e["branch_b"]["time_s"].empty());
  EXPECT_TRUE(e["summary"]["b_time_to_flow_reversal_s"].is_null());
  EXPECT_FALSE(e["branch_a"]["time_s"].empty());
  const ToolRun summary = runTool({"run", "-"}, R"({"breach_location_m": 200000})");
  EXPECT_NE(summary.out.find("at 100000 m, aperture 1 (single branch A)"), std::string::npos) << summary.out;
}

// The significant figures of a number as written: "7.123e+06" has 4,
// "200000" 1 (its zeros only place it), "0.01235" 4.
std::size_t significantFigures(const std::string& number) {
  std::string digits;
  for (char c : number.substr(0, number.find_first_of("eE"))) {
    if (c >= '0' && c <= '9') digits += c;
  }
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 1;
  digits.erase(0, first);
  if (number.find('.') == std::string::npos) digits.erase(digits.find_last_not_of('0') + 1);
  return digits.size();
}

TEST(CaseFiles, WarningsShowFourSignificantFigures) {
  // Propane condenses at 288 K below 70 bar: the library warns with the
  // pressure and the saturation pressure written in full.
  const ToolRun run =
      runTool({"run", "-", "--json"}, R"({"material": "propane", "upstream_pressure_Pa": 7123456.789})");
  ASSERT_EQ(run.status, 0) << run.err;
  const Json warnings = Json::parse(run.out)["warnings"];
  ASSERT_EQ(warnings.size(), 1u);
  const std::string warning = warnings[0];
  EXPECT_EQ(warning.rfind("upstream pressure 7.123e+06 Pa is above the saturation pressure ", 0), 0u) << warning;
  EXPECT_NE(run.err.find("warning: " + warning), std::string::npos) << "terminal and document differ";
  for (std::size_t i = warning.find_first_of("0123456789"); i != std::string::npos;
       i = warning.find_first_of("0123456789", i)) {
    const std::size_t end = warning.find(' ', i);
    const std::string number = warning.substr(i, end - i);
    EXPECT_LE(significantFigures(number), 4u) << number << " in " << warning;
    i = end;
  }
}

TEST(CaseFiles, ValvesShutAndHoldGasBack) {
  const Json& open = defaultRun()["summary"];
  const Json shut = runJson({"run", sourcePath("examples/cases/valves.json"), "--json"});
  const Json& s = shut["summary"];
  EXPECT_EQ(shut["case"]["valves"].size(), 2u);
  // Upstream of the valve at 20 km the supply no longer reaches the breach:
  // branch A now blows down, and gas stays behind both valves.
  EXPECT_FALSE(s["a_time_to_depressurise_s"].is_null());
  EXPECT_GT(s["mass_trapped_end_kg"].get<double>(), 0.0);
  EXPECT_LT(s["mass_released_1h_kg"].get<double>(), open["mass_released_1h_kg"].get<double>());
  // Until the first valve shuts at 300 s the release is the same.
  EXPECT_EQ(s["mass_released_1min_kg"], open["mass_released_1min_kg"]);
  // The summary says that the supply's 20 kg/s stop reaching the breach then:
  // 6 t fed until the valve at 20 km shut.
  const std::string summary = runTool({"run", sourcePath("examples/cases/valves.json")}).out;
  EXPECT_NE(summary.find("supply cut off from the breach     at 300 s (5.0 min) by the valve at 20000 m, after 6 t"),
            std::string::npos)
      << summary;
  const Json& cut = shut["supply_cut_off"];  // and the JSON, in numbers: 20 kg/s for 300 s
  EXPECT_EQ(cut["time_s"], 300.0);
  EXPECT_EQ(cut["valve_position_m"], 20000.0);
  EXPECT_EQ(cut["mass_fed_kg"], 6000.0);
  EXPECT_FALSE(defaultRun().contains("supply_cut_off"));

  // The same valves, inactive, change nothing.
  Json inactive = shut["case"];
  inactive["valves_active"] = false;
  EXPECT_EQ(runJson({"run", "-", "--json"}, inactive.dump())["summary"]["mass_released_1h_kg"],
            open["mass_released_1h_kg"]);
}

// The number after "at most " in a refusal.
double statedLimit(const std::string& message) {
  const std::size_t at = message.find("at most ");
  return at == std::string::npos ? 0.0 : std::stod(message.substr(at + 8));
}

TEST(CaseFiles, AnInflowTheLineCannotCarryIsACaseValueWithTheLargestItCarries) {
  // The stated largest inflow is the boundary: it runs, 1 % more is refused.
  const Json lines[] = {Json{{"inflow_kg_per_s", 300.0}},
                        Json{{"inflow_kg_per_s", 20.0}, {"pipe_length_m", 2e6}}};
  for (const Json& line : lines) {
    const ToolRun refused = runTool({"run", "-"}, line.dump());
    EXPECT_EQ(refused.status, 4) << refused.err;
    EXPECT_NE(refused.err.find("inflow_kg_per_s: total inflow"), std::string::npos) << refused.err;
    const double largest = statedLimit(refused.err);
    ASSERT_GT(largest, 0.0) << refused.err;
    Json at = line, beyond = line;
    at["inflow_kg_per_s"] = largest;
    beyond["inflow_kg_per_s"] = largest * 1.01;
    // The fast model runs at it (status 0, or 7 where the reference beside it fails).
    const int atStatus = runTool({"run", "-"}, at.dump()).status;
    EXPECT_TRUE(atStatus == 0 || atStatus == 7) << at.dump() << " status " << atStatus;
    EXPECT_EQ(runTool({"run", "-"}, beyond.dump()).status, 4) << beyond.dump();
  }
  // A value the run's guard refuses is the case's fault too.
  EXPECT_EQ(runTool({"run", "-"}, R"({"inflow_kg_per_s": 1e-12})").status, 4);
}

TEST(CaseFiles, ATooCoarseTimeDivisionIsWarnedOfWithOneThatConverges) {
  // A 6 km ammonia line of 22 mm bore: at division 3 the mass released at
  // 1 h is less than at 10 min. The division named gives a history without
  // the warning, releasing within 1 % of the finest division at 1 h.
  const Json line = {{"material", "ammonia"}, {"pipe_length_m", 6098.8}, {"pipe_diameter_m", 0.0219},
                     {"breach_location_m", 1.0}, {"upstream_pressure_Pa", 7.12e6}, {"inflow_kg_per_s", 0.00472}};
  const auto run = [&](int division) {
    Json c = line;
    c["time_division"] = division;
    return runJson({"run", "-", "--json"}, c.dump());
  };
  const Json coarse = run(3);
  const std::string prefix = "time division 3 gives a history whose mass released falls";
  std::string warning;
  for (const Json& w : coarse["warnings"]) {
    if (w.get<std::string>().find(prefix) != std::string::npos) warning = w.get<std::string>();
  }
  ASSERT_FALSE(warning.empty()) << coarse["warnings"].dump();
  const std::size_t named = warning.find("and ") + 4;
  const int converged = std::stoi(warning.substr(named));
  const Json fine = run(converged), finest = run(1000);
  for (const Json& w : fine["warnings"]) EXPECT_EQ(w.get<std::string>().find("time division"), std::string::npos);
  const double hour = fine["summary"]["mass_released_1h_kg"].get<double>();
  EXPECT_NEAR(hour, finest["summary"]["mass_released_1h_kg"].get<double>(), 0.01 * hour);
  EXPECT_GE(hour, fine["summary"]["mass_released_10min_kg"].get<double>());
  // The default case keeps its balance at its default division: no warning.
  for (const Json& w : defaultRun()["warnings"]) EXPECT_EQ(w.get<std::string>().find("time division"), std::string::npos);
}

TEST(Summary, ATitleShowsNoBidirectionalControl) {
  // U+202E would show the rest of the title backwards; U+2066 and U+200F reorder it.
  const ToolRun run = runTool({"run", "-"}, R"({"name": "line\u202e42\u2066 east\u200f"})");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("line 42  east "), std::string::npos) << run.out.substr(0, 200);
}

TEST(CaseFiles, ABreachAnywhereOnTheLongestLineAndAValveAnywhereOnItsLineAreTaken) {
  // The one-call entry stops at 1,000 km; a case file's breach goes as far as
  // the longest line, and beyond its own line's end is at that end; a valve
  // anywhere on the line (0: none).
  const struct {
    double length, breach, valve;
    int status;
    double used;
  } rows[] = {{1.5e6, 1.2e6, 1.4e6, 0, 1.2e6}, {1.5e6, 1.8e6, 0, 0, 1.5e6}, {2e6, 2e6, 0, 0, 2e6},
              {1.5e6, 2.5e6, 0, 4, 0.0},       {1.5e6, 1.2e6, 1.6e6, 4, 0.0}};
  for (const auto& row : rows) {
    Json c = {{"pipe_length_m", row.length}, {"breach_location_m", row.breach}, {"inflow_kg_per_s", 0}};
    if (row.valve > 0) c["valves"] = Json::array({{{"position_m", row.valve}, {"closure_time_s", 60}}});
    const ToolRun run = runTool({"run", "-", "--json"}, c.dump());
    ASSERT_EQ(run.status, row.status) << c.dump() << run.err;
    if (row.status == 0) {
      EXPECT_EQ(Json::parse(run.out)["summary"]["breach_location_m"].get<double>(), row.used);
    }
  }
}

}  // namespace
}  // namespace brimlow_test
