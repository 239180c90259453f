// Units (SI values worked by hand from their definitions), the hole by its diameter, the table at a fixed step.
// Their refusals are rows of input_checks.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "tool_runner.h"
#include "vorl.h"

namespace brimlow_test {
namespace {

// One psi in pascals: 0.45359237 kg x 9.80665 m/s^2 / (0.0254 m)^2.
constexpr double kPsi = 6894.757293168361;

Json caseOf(const std::string& caseText) { return runJson({"run", "-", "--json"}, caseText)["case"]; }

// The summaries of a batch's rows (the cells from the first result column on).
std::vector<std::vector<std::string>> batchSummaries(const std::string& cases, std::size_t rowCount) {
  const ToolRun batch = runTool({"batch", "-"}, cases);
  EXPECT_EQ(batch.status, 0) << batch.err;
  const CsvRows rows = parseCsv(batch.out);
  EXPECT_EQ(rows.size(), rowCount + 1);
  std::vector<std::vector<std::string>> summaries;
  const std::size_t first = rows.empty() ? 0 : columnOf(rows[0], "fanning_factor");
  for (std::size_t i = 1; i < rows.size(); ++i) summaries.emplace_back(rows[i].begin() + first, rows[i].end());
  return summaries;
}

// ---- units ----

TEST(Units, EachFamilyConvertsToTheExactSiValue) {
  const struct {
    const char* key;
    const char* text;
    double si;
  } conversions[] = {
      {"upstream_pressure_Pa", "70 bar", 7e6},
      {"upstream_pressure_Pa", "7 MPa", 7e6},
      {"upstream_pressure_Pa", "7000kPa", 7e6},
      {"upstream_pressure_Pa", "70e5 Pa", 7e6},
      {"upstream_pressure_Pa", "1015 psia", 1015 * kPsi},
      {"upstream_pressure_Pa", "69 BAR", 6.9e6},
      {"ambient_pressure_Pa", "1 atm", 101325.0},
      {"gas_temperature_K", "15 degC", 288.15},
      {"gas_temperature_K", "59 degF", 288.15},  // (59 - 32) x 5/9 = 15
      {"gas_temperature_K", "-40 degF", -40.0 + 273.15},  // -40 F is -40 C
      {"gas_temperature_K", "300 K", 300.0},
      {"pipe_length_m", "100 km", 100000.0},
      {"pipe_length_m", "62 mi", 99779.328},  // 62 x 1609.344
      {"pipe_diameter_m", "20 in", 0.508},    // 20 x 0.0254
      {"pipe_diameter_m", "500 mm", 0.5},
      {"pipe_diameter_m", "2 ft", 0.6096},  // 2 x 0.3048
      {"inflow_kg_per_s", "72 t/h", 20.0},  // 72 000 kg / 3600 s
      {"inflow_kg_per_s", "36000 kg/h", 10.0},
      {"inflow_kg_per_s", "20 kg/s", 20.0},
  };
  for (const auto& conversion : conversions) {
    SCOPED_TRACE(std::string(conversion.key) + " " + conversion.text);
    const Json c = caseOf(std::string("{\"") + conversion.key + "\": \"" + conversion.text + "\"}");
    EXPECT_EQ(c[conversion.key].get<double>(), conversion.si);
  }
  // The valves' position and closure time take units as well.
  const Json valves = caseOf(R"({"valves": [{"position_m": "20 km", "closure_time_s": "10 min"}]})")["valves"];
  EXPECT_EQ(valves[0]["position_m"].get<double>(), 20000.0);
  EXPECT_EQ(valves[0]["closure_time_s"].get<double>(), 600.0);
}

TEST(Units, GiveTheSameRunAsTheSiNumbers) {
  const std::string withUnits = R"({"upstream_pressure_Pa": "60 bar", "pipe_length_m": "50 km",
      "pipe_diameter_m": "24 in", "gas_temperature_K": "10 degC", "inflow_kg_per_s": "36 t/h",
      "breach_location_m": "20 km", "valves": [{"position_m": "10 km", "closure_time_s": "5 min"}]})";
  const std::string si = R"({"upstream_pressure_Pa": 6e6, "pipe_length_m": 50000, "pipe_diameter_m": 0.6096,
      "gas_temperature_K": 283.15, "inflow_kg_per_s": 10, "breach_location_m": 20000,
      "valves": [{"position_m": 10000, "closure_time_s": 300}]})";
  EXPECT_EQ(runJson({"run", "-", "--json"}, withUnits), runJson({"run", "-", "--json"}, si));

  // A batch: every spelling of one pressure gives the same summary.
  const auto rows = batchSummaries("upstream_pressure_Pa,valves\n7e6,20000:600\n70 bar,20 km:10 min\n"
                                   "7 MPa,20000 m:600 s\n", 3);
  for (const auto& row : rows) EXPECT_EQ(row, rows.front());
}

TEST(Units, GaugePressureAddsTheAmbientPressureGivenInAnyOrder) {
  // The ambient pressure comes after the gauge pressure that needs it.
  const auto upstream = [](const char* caseText) { return caseOf(caseText)["upstream_pressure_Pa"].get<double>(); };
  EXPECT_EQ(upstream(R"({"upstream_pressure_Pa": "69 barg", "ambient_pressure_Pa": "0.9 bar"})"), 6990000.0);
  EXPECT_EQ(upstream(R"({"upstream_pressure_Pa": "69 barg"})"), 7001325.0);
  EXPECT_EQ(upstream(R"({"upstream_pressure_Pa": "1000 psig", "ambient_pressure_Pa": 100000})"),
            1000 * kPsi + 100000.0);
  // In a batch cell too: the row's own ambient pressure is added.
  const auto rows = batchSummaries("upstream_pressure_Pa,ambient_pressure_Pa\n69 barg,0.9 bar\n6990000,90000\n", 2);
  for (const auto& row : rows) EXPECT_EQ(row, rows.front());
}

// ---- the hole ----

TEST(HoleDiameter, GivesTheRunOfItsAperture) {
  // 250 mm in the 0.5 m bore: (0.25 / 0.5)^2 = 0.25.
  Json byHole = runJson({"run", "-", "--json"}, R"({"hole_diameter_m": "250 mm"})");
  Json byAperture = runJson({"run", "-", "--json"}, R"({"aperture": 0.25})");
  EXPECT_EQ(byHole["case"]["hole_diameter_m"].get<double>(), 0.25);
  EXPECT_TRUE(byHole["case"]["aperture"].is_null());
  // The case read back is the same case.
  EXPECT_EQ(runJson({"run", "-", "--json"}, byHole["case"].dump()), byHole);
  byHole.erase("case");
  byAperture.erase("case");
  EXPECT_EQ(byHole, byAperture);
  EXPECT_NE(runTool({"run", "-"}, R"({"hole_diameter_m": 0.25})").out.find("aperture 0.25 of a hole of 0.25 m"),
            std::string::npos);
}

// ---- the table at a fixed step ----

class SteppedTable : public ::testing::Test {
 protected:
  SteppedTable() : m(defaultCaseRun()) {}
  ~SteppedTable() override { VorlModelDelete(&m); }

  // The rows of `run --table-step step` of the default case, the one file beside the other tables.
  CsvRows tableOf(const std::string& step, const std::string& file) {
    TempDir dir;
    const ToolRun run = runTool({"run", "--out", dir.path(), "--table-step", step});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.entryCount(), 5u) << "branch_a.csv, branch_b.csv, pipe.csv, reference.csv and " << file;
    return parseCsv(readFile(dir / file));
  }

  VorlHandle m;
};

// Six significant figures: within half a unit of the sixth.
void expectSixFigures(const std::string& cell, double value) {
  if (!std::isfinite(value) || value == 0.0) {
    EXPECT_EQ(cellValue(cell), value) << cell;
    return;
  }
  const double lastFigure = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - 5.0);
  EXPECT_LE(std::fabs(cellValue(cell) - value), 0.5 * lastFigure * (1 + 1e-9)) << cell << " vs " << value;
  EXPECT_LE(cell.size(), 12u) << "more than six figures: " << cell;
}

TEST_F(SteppedTable, RowsAreTheLibrarysLookUpsAtEachStepToTheEnd) {
  const double end = VorlPipeTimeMax(m);
  const CsvRows rows = tableOf("600", "pipe-every-600s.csv");
  ASSERT_GT(rows.size(), 1u);
  // 0, 600, ... up to the end: floor(end / 600) + 1 rows after the header.
  EXPECT_EQ(rows.size() - 1, static_cast<std::size_t>(std::floor(end / 600.0)) + 1);
  const std::vector<std::string> header = rows[0];
  EXPECT_EQ(header.size(), 11u);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const double time = 600.0 * static_cast<double>(k - 1);
    SCOPED_TRACE(time);
    VorlPipeTimeSet(m, time, 1e-7 * time);
    double velocity = 0, temperature = 0, liquid = 0, drop = 0;
    VorlPipePostFlash(m, &velocity, &temperature, &liquid, &drop);
    EXPECT_EQ(cellValue(rows[k][columnOf(header, "time_s")]), time);
    expectSixFigures(rows[k][columnOf(header, "exit_flux_kg_per_s")], VorlPipeExitFlux(m));
    expectSixFigures(rows[k][columnOf(header, "mass_kg")], VorlPipeMass(m));
    expectSixFigures(rows[k][columnOf(header, "mass_expelled_kg")], VorlPipeMassExpelled(m));
    expectSixFigures(rows[k][columnOf(header, "postflash_temperature_K")], temperature);
  }
}

TEST_F(SteppedTable, EndsOnTheEndWhenTheStepDividesIt) {
  // A quarter of the end, exactly: five rows, the last at the end itself.
  const double end = VorlPipeTimeMax(m);
  // Written in full, it reads back as the same double, and names the file so.
  char step[64];
  std::snprintf(step, sizeof step, "%.17g", end / 4.0);
  const std::string shortest = nlohmann::json(end / 4.0).dump();
  const CsvRows rows = tableOf(step, "pipe-every-" + shortest + "s.csv");
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_NEAR(cellValue(rows[5][0]), end, 5e-6 * end);
  // A time with its unit names the file by its seconds.
  EXPECT_EQ(tableOf("1 h", "pipe-every-3600s.csv").size() - 1, static_cast<std::size_t>(std::floor(end / 3600)) + 1);
}

TEST_F(SteppedTable, TheSmallestStepNamedKeepsTheTableWithinItsRows) {
  const ToolRun tooSmall = runTool({"run", "--table-step", "0.001"});
  const std::size_t at = tooSmall.err.find("at least ");
  ASSERT_NE(at, std::string::npos) << tooSmall.err;
  const double smallest = cellValue(tooSmall.err.substr(at + 9, tooSmall.err.find(' ', at + 9) - at - 9));
  const double end = VorlPipeTimeMax(m);
  EXPECT_LE(std::floor(end / smallest) + 1, 1e6);
  EXPECT_GT(std::floor(end / (0.99 * smallest)) + 1, 1e6) << "a much smaller step would do";
}

}  // namespace
}  // namespace brimlow_test
