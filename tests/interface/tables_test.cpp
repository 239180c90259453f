// Results as tables: each cell against the per-value query it stands for, the row arguments, the column texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/release_cases.h"
#include "support/run_line.h"
#include "support/unit_names.h"
#include "vorl.h"

namespace {

using namespace vorl::test;

using ColumnText = int(VORL_CALL*)(int, char*, int);

std::vector<std::string> columnNames(int count, ColumnText name) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(textOf(name, i));
  return names;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every column whose unit is not "" carries it at the end of its name, and
// the names are distinct.
void expectNamesCarryUnits(int count, ColumnText name, ColumnText unit) {
  std::set<std::string> seen;
  for (int i = 0; i < count; ++i) {
    const std::string n = textOf(name, i), u = textOf(unit, i);
    EXPECT_TRUE(seen.insert(n).second) << n;
    if (u.empty()) continue;
    const std::string suffix = "_" + unitInName(u);
    EXPECT_TRUE(endsWith(n, suffix)) << n << " does not end in " << suffix;
  }
}

// ---- the branch table ----

using RecordQuery = std::function<double(VorlHandle, int)>;

// The per-value query each column of a branch table stands for, by name.
std::map<std::string, RecordQuery> branchQueries(int branch) {
  const bool a = branch == VORL_BRANCH_A;
  const auto pick = [a](auto forA, auto forB) -> RecordQuery {
    if (a) return [forA](VorlHandle m, int i) { return static_cast<double>(forA(m, i)); };
    return [forB](VorlHandle m, int i) { return static_cast<double>(forB(m, i)); };
  };
  const auto flash = [a](int which) -> RecordQuery {
    return [a, which](VorlHandle m, int i) {
      double out[4] = {-1.0, -1.0, -1.0, -1.0};
      (a ? VorlBranchAPostFlash : VorlBranchBPostFlash)(m, i, &out[0], &out[1], &out[2], &out[3]);
      return out[which];
    };
  };
  return {
      {"time_s", pick(VorlBranchATime, VorlBranchBTime)},
      {"regime", pick(VorlBranchARegime, VorlBranchBRegime)},
      {"upstream_pressure_Pa", pick(VorlBranchAUpstreamPressure, VorlBranchBUpstreamPressure)},
      {"upstream_flux_kg_per_s", pick(VorlBranchAUpstreamFlux, VorlBranchBUpstreamFlux)},
      {"upstream_flux_density_kg_per_m2_s", pick(VorlBranchAUpstreamFluxDensity, VorlBranchBUpstreamFluxDensity)},
      {"upstream_velocity_m_per_s", pick(VorlBranchAUpstreamVelocity, VorlBranchBUpstreamVelocity)},
      {"exit_pressure_Pa", pick(VorlBranchAExitPressure, VorlBranchBExitPressure)},
      {"exit_flux_kg_per_s", pick(VorlBranchAExitFlux, VorlBranchBExitFlux)},
      {"exit_flux_density_kg_per_m2_s", pick(VorlBranchAExitFluxDensity, VorlBranchBExitFluxDensity)},
      {"exit_velocity_m_per_s", pick(VorlBranchAExitVelocity, VorlBranchBExitVelocity)},
      {"orifice_flux_kg_per_s", pick(VorlBranchAOrificeFlux, VorlBranchBOrificeFlux)},
      {"orifice_flux_density_kg_per_m2_s", pick(VorlBranchAOrificeFluxDensity, VorlBranchBOrificeFluxDensity)},
      {"orifice_velocity_m_per_s", pick(VorlBranchAOrificeVelocity, VorlBranchBOrificeVelocity)},
      {"mass_kg", pick(VorlBranchAMass, VorlBranchBMass)},
      {"mass_in_pipe_kg", pick(VorlBranchAMassInPipe, VorlBranchBMassInPipe)},
      {"mass_trapped_kg", pick(VorlBranchAMassTrapped, VorlBranchBMassTrapped)},
      {"mass_expelled_kg", pick(VorlBranchAMassExpelled, VorlBranchBMassExpelled)},
      {"length_disturbed_m", pick(VorlBranchALengthDisturbed, VorlBranchBLengthDisturbed)},
      {"length_to_pressure_peak_m", pick(VorlBranchALengthToPressurePeak, VorlBranchBLengthToPressurePeak)},
      {"time_is_infinite", pick(VorlBranchATimeIsInfinite, VorlBranchBTimeIsInfinite)},
      {"mass_expelled_is_infinite", pick(VorlBranchAMassExpelledIsInfinite, VorlBranchBMassExpelledIsInfinite)},
      {"postflash_temperature_K", flash(0)},
      {"postflash_velocity_m_per_s", flash(1)},
      {"postflash_liquid_fraction", flash(2)},
      {"postflash_drop_size_m", flash(3)},
  };
}

std::vector<double> branchTable(VorlHandle model, int branch) {
  const int rows = VorlBranchTableFill(model, branch, nullptr, 0);
  std::vector<double> values(static_cast<std::size_t>(rows * VorlBranchTableColumnCount()));
  EXPECT_EQ(VorlBranchTableFill(model, branch, values.data(), rows), rows);
  return values;
}

// Every cell of both branch tables is what its per-value query gives, bit
// for bit.
void expectBranchTablesMatchQueries(VorlHandle model) {
  const int columns = VorlBranchTableColumnCount();
  const std::vector<std::string> names = columnNames(columns, VorlBranchTableColumnName);
  for (int branch : {VORL_BRANCH_A, VORL_BRANCH_B}) {
    const auto queries = branchQueries(branch);
    ASSERT_EQ(queries.size(), names.size());
    const std::vector<double> table = branchTable(model, branch);
    const int rows = branch == VORL_BRANCH_A ? VorlBranchAFlowSequenceSize(model) : VorlBranchBFlowSequenceSize(model);
    ASSERT_EQ(table.size(), static_cast<std::size_t>(rows * columns));
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < columns; ++j) {
        const double expected = queries.at(names[static_cast<std::size_t>(j)])(model, i);
        const double cell = table[static_cast<std::size_t>(i * columns + j)];
        ASSERT_TRUE(sameBits(cell, expected)) << "branch " << branch << " record " << i << " " << names[j] << ": "
                                              << cell << " against " << expected;
      }
    }
  }
}

TEST(BranchTable, EveryCellIsItsPerValueQueryWithAValveAndAFedBranch) {
  // Branch A fed without end (its last record at the infinite time), branch
  // B cut by a valve (gas trapped behind it).
  RunLine line(20.0);
  VorlValveAdd(line, 50000.0, 600.0);
  VorlValvesActivate(line, 1);
  ASSERT_GT(VorlRun(line), 0);
  ASSERT_TRUE(VorlBranchATimeIsInfinite(line, VorlBranchAFlowSequenceSize(line) - 1));
  ASSERT_GT(VorlBranchBMassTrapped(line, VorlBranchBFlowSequenceSize(line) - 1), 0.0);
  expectBranchTablesMatchQueries(line);
}

class BranchTableRows : public LogClearedTest {};

TEST_F(BranchTableRows, ANullArrayAsksForTheRowsAndFewerRowsLeaveTheRestAlone) {
  RunLine line;
  const int rows = VorlBranchAFlowSequenceSize(line);
  ASSERT_GT(rows, 3);
  EXPECT_EQ(VorlBranchTableFill(line, VORL_BRANCH_A, nullptr, 0), rows);
  const int columns = VorlBranchTableColumnCount();
  std::vector<double> values(static_cast<std::size_t>(3 * columns + 1), -7.0);
  EXPECT_EQ(VorlBranchTableFill(line, VORL_BRANCH_A, values.data(), 3), 3);
  EXPECT_EQ(values.back(), -7.0);  // nothing past three rows
  EXPECT_EQ(values[static_cast<std::size_t>(2 * columns)], VorlBranchATime(line, 2));
  EXPECT_EQ(VorlBranchTableFill(line, VORL_BRANCH_A, values.data(), 0), 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(BranchTableRows, BadArgumentsAreRefusedAndWriteNothing) {
  RunLine line;
  double values[4] = {-7.0, -7.0, -7.0, -7.0};
  EXPECT_EQ(VorlBranchTableFill(line, VORL_BRANCH_A, values, -1), 0);
  EXPECT_TRUE(reported(VORL_E_ROW_COUNT, "VorlBranchTable"));
  EXPECT_EQ(VorlBranchTableFill(line, VORL_BRANCH_A, nullptr, 5), 0);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlBranchTable"));
  EXPECT_EQ(VorlBranchTableFill(line, 3, values, 1), 0);
  EXPECT_TRUE(reported(VORL_E_UNKNOWN_BRANCH, "VorlBranchTable"));
  EXPECT_EQ(values[0], -7.0);
}

TEST_F(BranchTableRows, ARefusedExpansionGivesZerosAndOneReportForTheTable) {
  RunLine line;
  VorlAtmosExpanWeNumSet(line, -1.0);  // the post-flash queries refuse it (366)
  const std::vector<double> table = branchTable(line, VORL_BRANCH_A);
  const int columns = VorlBranchTableColumnCount();
  const std::vector<std::string> names = columnNames(columns, VorlBranchTableColumnName);
  int refusals = 0;
  for (const LoggedReport& report : loggedReports()) refusals += report.code == VORL_E_INVALID_WEBER_NUMBER;
  EXPECT_EQ(refusals, 1);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::string& name = names[i % static_cast<std::size_t>(columns)];
    if (name.rfind("postflash_", 0) == 0) {
      EXPECT_EQ(table[i], 0.0) << name;
    } else if (name == "exit_pressure_Pa") {
      EXPECT_GT(table[i], 0.0);
    }
  }
}

TEST_F(BranchTableRows, BeforeARunAndForAMissingBranchThereAreNoRows) {
  ModelHandle fresh(methaneLine());
  EXPECT_EQ(VorlBranchTableFill(fresh, VORL_BRANCH_A, nullptr, 0), 0);
  RunLine endBreach(0.0, 100000.0);  // breached at the far end: branch A alone
  ASSERT_TRUE(VorlIsSingleBranchA(endBreach));
  double values[1] = {-7.0};
  EXPECT_EQ(VorlBranchTableFill(endBreach, VORL_BRANCH_B, values, 1), 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

// ---- the pipe table ----

// The row the per-value pipe queries give at the time set, in the table's
// order.
std::vector<double> pipeRowAtTimeSet(VorlHandle model, double time) {
  double velocity = 0.0, temperature = 0.0, liquid = 0.0, drop = 0.0;
  VorlPipePostFlash(model, &velocity, &temperature, &liquid, &drop);
  return {time, VorlPipeExitFlux(model), VorlPipeExitVelocity(model), VorlPipeOrificeFluxDensity(model),
          VorlPipeOrificeVelocity(model), VorlPipeMass(model), VorlPipeMassInPipe(model), VorlPipeMassTrapped(model),
          VorlPipeMassExpelledIsInfinite(model) ? 1e128 : VorlPipeMassExpelled(model), temperature, velocity, liquid,
          drop};
}

std::vector<double> pipeRowByQueries(VorlHandle model, double t, double tolerance) {
  const double time = VorlPipeTimeSet(model, t, tolerance);
  return pipeRowAtTimeSet(model, time);
}

void expectRowsAre(const std::vector<double>& table, std::size_t row, const std::vector<double>& expected) {
  const std::size_t columns = expected.size();
  for (std::size_t j = 0; j < columns; ++j) {
    ASSERT_TRUE(sameBits(table[row * columns + j], expected[j]))
        << "row " << row << " column " << textOf(VorlPipeTableColumnName, static_cast<int>(j)) << ": "
        << table[row * columns + j] << " against " << expected[j];
  }
}

TEST(PipeTable, EachRowIsThePipeQueriesAtItsTimeAndTheHostsTimeSettingIsKept) {
  // Fed (branch A's last record at the infinite time) and cut by a valve on B.
  RunLine line(20.0);
  VorlValveAdd(line, 50000.0, 600.0);
  VorlValvesActivate(line, 1);
  ASSERT_GT(VorlRun(line), 0);
  const int columns = VorlPipeTableColumnCount();
  ASSERT_EQ(columns, 13);
  // Before, at and long after the stored times, with one tolerance each.
  const std::vector<double> times = {0.0, 10.0, 600.0, 3600.0, 1e6};
  const std::vector<double> tolerances = {0.0, 1e-5, 0.6, 3.6, 0.0};
  VorlPipeTimeSet(line, 60.0, 0.0);
  const double rateAtTheHostsTime = VorlPipeExitFlux(line);
  std::vector<double> table(times.size() * static_cast<std::size_t>(columns), -7.0);
  ASSERT_EQ(VorlPipeTableFill(line, times.data(), 5, tolerances.data(), 5, table.data(), 5), 5);
  EXPECT_TRUE(sameBits(VorlPipeExitFlux(line), rateAtTheHostsTime));
  for (std::size_t i = 0; i < times.size(); ++i) {
    expectRowsAre(table, i, pipeRowByQueries(line, times[i], tolerances[i]));
  }
  // One tolerance for all the times.
  const double one = 1.0;
  ASSERT_EQ(VorlPipeTableFill(line, times.data(), 5, &one, 1, table.data(), 5), 5);
  for (std::size_t i = 0; i < times.size(); ++i) expectRowsAre(table, i, pipeRowByQueries(line, times[i], 1.0));
}

TEST(PipeTable, AWalkOverManyTimesGivesEachTimeAsSetAloneAndAnyColumnsAsTheFullTable) {
  RunLine line(20.0);
  VorlValveAdd(line, 50000.0, 600.0);
  VorlValvesActivate(line, 1);
  ASSERT_GT(VorlRun(line), 0);
  // Ascending times, many between each pair of records, some on a record or
  // repeated, past branch B's end; then falling and rising again.
  std::vector<double> times = {0.0, 0.0};
  for (int i = 0; i < 240; ++i) times.push_back(0.1 * std::pow(10.0, i / 40.0));
  times.push_back(VorlBranchBTime(line, 5));
  times.push_back(VorlBranchBTime(line, 5));
  std::sort(times.begin(), times.end());
  for (double t : {5e4, 30.0, 0.5, 7.0, 2e3}) times.push_back(t);
  const int n = static_cast<int>(times.size());
  const int width = VorlPipeTableColumnCount();
  const double tolerance = 0.0;
  std::vector<double> table(static_cast<std::size_t>(n * width));
  ASSERT_EQ(VorlPipeTableFill(line, times.data(), n, &tolerance, 1, table.data(), n), n);
  for (int i = 0; i < n; ++i) expectRowsAre(table, static_cast<std::size_t>(i), pipeRowByQueries(line, times[i], 0.0));
  // Chosen columns, in any order and repeated, with and without the post-flash ones.
  for (const std::vector<int>& columns : {std::vector<int>{12, 0, 8, 8, 9}, std::vector<int>{1, 5, 0}}) {
    const int count = static_cast<int>(columns.size());
    std::vector<double> chosen(static_cast<std::size_t>(n * count), -7.0);
    ASSERT_EQ(VorlPipeTableColumnsFill(line, times.data(), n, &tolerance, 1, columns.data(), count, chosen.data(), n),
              n);
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < count; ++j) {
        ASSERT_TRUE(sameBits(chosen[static_cast<std::size_t>(i * count + j)],
                             table[static_cast<std::size_t>(i * width + columns[static_cast<std::size_t>(j)])]))
            << "row " << i << " column " << columns[static_cast<std::size_t>(j)];
      }
    }
  }
}

TEST(PipeTable, TheGridTableIsTheToolsWalkOfTheOutputGrid) {
  RunLine line(20.0);
  const int count = 40;
  const int rows = VorlPipeGridTableFill(line, count, nullptr, 0);
  ASSERT_GT(rows, 2);
  std::vector<double> table(static_cast<std::size_t>(rows * VorlPipeTableColumnCount()));
  ASSERT_EQ(VorlPipeGridTableFill(line, count, table.data(), rows), rows);
  // The walk by the per-value exports: the grid as the fill left it defined.
  ASSERT_EQ(VorlPipeOutputSteps(line), rows);
  // The first row is the pipe before the breach, at time 0.
  VorlPipeTimeSetToStart(line);
  expectRowsAre(table, 0, pipeRowAtTimeSet(line, 0.0));
  for (int i = 1; i < rows; ++i) {
    expectRowsAre(table, static_cast<std::size_t>(i),
                  pipeRowByQueries(line, VorlPipeOutputTime(line, i), VorlPipeOutputTimeTolerance(line, i)));
  }
}

class PipeTableArguments : public LogClearedTest {};

TEST_F(PipeTableArguments, ARefusedTimeOrToleranceCountRefusesTheWholeTable) {
  RunLine line;
  const double times[3] = {10.0, -1.0, 20.0};
  const double tolerances[2] = {0.0, 0.0};
  double values[3 * 13];
  std::fill(std::begin(values), std::end(values), -7.0);
  EXPECT_EQ(VorlPipeTableFill(line, times, 3, tolerances, 1, values, 3), 0);
  EXPECT_TRUE(reported(VORL_E_INVALID_PIPE_TIME, "VorlPipeTable"));
  EXPECT_EQ(values[0], -7.0);  // not even the first, valid, row
  EXPECT_EQ(VorlPipeTableFill(line, times, 3, tolerances, 2, values, 3), 0);
  EXPECT_TRUE(reported(VORL_E_TOLERANCE_COUNT, "VorlPipeTable"));
  EXPECT_EQ(VorlPipeTableFill(line, times, -1, tolerances, 1, values, 3), 0);
  EXPECT_TRUE(reported(VORL_E_ROW_COUNT, "VorlPipeTable"));
  EXPECT_EQ(VorlPipeTableFill(line, nullptr, 3, tolerances, 1, nullptr, 0), 0);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlPipeTable"));
  // A column selection of no column, a column outside the table, no columns.
  const int outside[2] = {0, 13};
  const double valid[1] = {10.0};
  EXPECT_EQ(VorlPipeTableColumnsFill(line, valid, 1, tolerances, 1, outside, 0, values, 1), 0);
  EXPECT_TRUE(reported(VORL_E_COLUMN_COUNT, "VorlPipeTable"));
  EXPECT_EQ(VorlPipeTableColumnsFill(line, valid, 1, tolerances, 1, outside, 2, values, 1), 0);
  EXPECT_TRUE(reported(VORL_E_INDEX, "VorlPipeTable"));
  EXPECT_EQ(VorlPipeTableColumnsFill(line, valid, 1, tolerances, 1, nullptr, 2, values, 1), 0);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlPipeTable"));
  // A grid count below 2 would silently stand for the grid's least, 4 rows.
  for (int count : {-1, 1}) {
    EXPECT_EQ(VorlPipeGridTableFill(line, count, nullptr, 0), 0) << count;
    EXPECT_TRUE(reported(VORL_E_INVALID_GRID_COUNT, "VorlPipeTable")) << count;
  }
  // Asked for the rows available, and for fewer rows than times.
  EXPECT_EQ(VorlPipeTableFill(line, times, 3, tolerances, 1, nullptr, 0), 3);
  EXPECT_EQ(VorlPipeTableFill(line, times, 1, tolerances, 1, values, 3), 1);
  EXPECT_NE(values[0], -7.0);
  EXPECT_EQ(values[13], -7.0);
}

TEST_F(PipeTableArguments, BeforeARunTheTablesAreRefused) {
  ModelHandle fresh(methaneLine());
  const double time = 10.0, tolerance = 0.0;
  double values[13] = {};
  EXPECT_EQ(VorlPipeTableFill(fresh, &time, 1, &tolerance, 1, values, 1), 0);
  EXPECT_GT(VorlErrorLogCount(), 0);
  VorlErrorLogClear();
  EXPECT_EQ(VorlPipeGridTableFill(fresh, 40, values, 1), 0);
  EXPECT_GT(VorlErrorLogCount(), 0);
}

TEST(TableColumns, NamesCarryTheirUnitsAndALongTextIsCutToTheBuffer) {
  expectNamesCarryUnits(VorlBranchTableColumnCount(), VorlBranchTableColumnName, VorlBranchTableColumnUnit);
  expectNamesCarryUnits(VorlPipeTableColumnCount(), VorlPipeTableColumnName, VorlPipeTableColumnUnit);
  expectNamesCarryUnits(VorlReleaseReportColumnCount(), VorlReleaseReportColumnName, VorlReleaseReportColumnUnit);
  expectNamesCarryUnits(VorlReferenceTableColumnCount(), VorlReferenceTableColumnName, VorlReferenceTableColumnUnit);
  // A text longer than the buffer is cut to fit, and its full length returned.
  char buffer[8] = "x";
  const int length = VorlBranchTableColumnMeaning(0, buffer, sizeof buffer);
  EXPECT_GT(length, 7);
  EXPECT_EQ(std::strlen(buffer), 7U);
}

// Every export that copies the text of a table entry refuses an index at -1
// or at the table's count with VORL_E_INDEX and its tag, writing nothing.
TEST(IndexedTexts, AnIndexOutsideItsTableIsRefusedAndWritesNothing) {
  const struct {
    const char* tag;
    int count;
    std::vector<ColumnText> copies;
  } tables[] = {
      {"VorlBranchTable", VorlBranchTableColumnCount(),
       {VorlBranchTableColumnName, VorlBranchTableColumnUnit, VorlBranchTableColumnMeaning}},
      {"VorlPipeTable", VorlPipeTableColumnCount(),
       {VorlPipeTableColumnName, VorlPipeTableColumnUnit, VorlPipeTableColumnMeaning}},
      {"VorlReleaseReport", VorlReleaseReportColumnCount(),
       {VorlReleaseReportColumnName, VorlReleaseReportColumnUnit, VorlReleaseReportColumnMeaning}},
      {"VorlReferenceTable", VorlReferenceTableColumnCount(),
       {VorlReferenceTableColumnName, VorlReferenceTableColumnUnit}},
      {"VorlInput", VorlInputCount(),
       {VorlInputName, VorlInputUnit, VorlInputMeaning, VorlInputRangeText, VorlInputSetter, VorlInputCaseKey}},
      {"VorlMaterial", VorlMaterialCount(), {VorlMaterialName, VorlMaterialCas, VorlMaterialAliases}}};
  for (const auto& table : tables) {
    for (std::size_t k = 0; k < table.copies.size(); ++k) {
      for (int outside : {-1, table.count}) {
        char buffer[8] = "x";
        VorlErrorLogClear();
        EXPECT_EQ(table.copies[k](outside, buffer, sizeof buffer), -1) << table.tag << " " << k << " " << outside;
        EXPECT_TRUE(reported(VORL_E_INDEX, table.tag)) << k << " " << outside;
        EXPECT_STREQ(buffer, "x") << table.tag << " " << k << " " << outside;
      }
    }
  }
  VorlErrorLogClear();
}

}  // namespace
