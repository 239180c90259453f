// The reference solution through the C interface, as a host runs it beside
// the fast model: the case it takes from the model, its progress and
// cancellation, the real gas, its table and its refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "reference/reference.h"
#include "support/run_line.h"

namespace {

using namespace vorl::test;
using ReferenceInterface = LogClearedTest;

constexpr double kPi = 3.14159265358979323846;
constexpr double kMethaneMolarMass = 16.0428;  // kg/kmol, the property library's
const vorl::reference::CriticalConstants kMethaneCritical{190.564, 4.5992e6, 0.01142};

// A short methane line, cheap enough for the sanitizers: 5 km of 0.3 m bore
// at 50 bar, breached through half its bore at 2 km, 20 s of release.
constexpr double kLength = 5000.0, kBore = 0.3, kRoughness = 5e-5, kPressure = 50e5, kBreach = 2000.0;
constexpr double kAperture = 0.5, kEndTime = 20.0;
const std::vector<double> kReportTimes = {0.0, 1.0, 5.0, 10.0, 20.0};

void shortLineInputs(VorlHandle model, double inflow) {
  VorlPipeLengthSet(model, kLength);
  VorlPipeDiameterSet(model, kBore);
  VorlPipeRoughnessSet(model, kRoughness);
  VorlUpstreamPressureSet(model, kPressure);
  VorlTotalInflowSet(model, inflow);
  VorlAmbientPressureSet(model, 101325.0);
  VorlPipeBreachLocationSet(model, kBreach);
  VorlOrificeApertureSet(model, kAperture);
  VorlReferenceEndTimeSet(model, kEndTime);
  VorlReferenceReportTimesSet(model, kReportTimes.data(), static_cast<int>(kReportTimes.size()));
}

struct ShortLine : ModelHandle {
  explicit ShortLine(double inflow = 5.0) : ModelHandle(VorlModelCreateZel(kMethane)) {
    shortLineInputs(get(), inflow);
  }
};

int columns() { return VorlReferenceTableColumnCount(); }

// The model's last reference table, row-major.
std::vector<double> table(VorlHandle model) {
  const int rows = VorlReferenceTableFill(model, nullptr, 0);
  std::vector<double> values(static_cast<std::size_t>(rows * columns()));
  EXPECT_EQ(VorlReferenceTableFill(model, values.data(), rows), rows);
  return values;
}

int columnIndex(const std::string& name) {
  char text[64];
  for (int c = 0; c < columns(); ++c) {
    VorlReferenceTableColumnName(c, text, sizeof text);
    if (name == text) return c;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

double cell(const std::vector<double>& values, int row, const std::string& name) {
  return values[static_cast<std::size_t>(row * columns() + columnIndex(name))];
}

// Equal bit for bit, NaN to NaN.
bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The solver's result in the table's column order, row-major.
std::vector<double> rowsOf(const vorl::reference::ReferenceResult& r) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const auto branch = [&](const vorl::reference::BranchSeries& b, std::size_t k) {
    if (!b.present) return std::vector<double>(5, kNaN);
    return std::vector<double>{b.releaseRate[k], b.releasedMass[k], b.breachEndPressure[k], b.farEndPressure[k],
                               b.mass[k]};
  };
  std::vector<double> values;
  for (std::size_t k = 0; k < r.time.size(); ++k) {
    values.push_back(r.time[k]);
    for (const auto* b : {&r.upstream, &r.downstream}) {
      for (double v : branch(*b, k)) values.push_back(v);
    }
    for (const auto* series : {&r.releaseRate, &r.releasedMass, &r.lineMass, &r.inflowRate, &r.inflowDelivered,
                               &r.sinkRate, &r.sinkDelivered}) {
      values.push_back((*series)[k]);
    }
  }
  return values;
}

// The case as a host would write it for the solver from the same inputs.
vorl::reference::ReferenceCase solverCase(VorlHandle model, double breach) {
  vorl::reference::ReferenceCase c;
  c.molarMass = kMethaneMolarMass;
  c.temperature = 288.15;
  c.length = kLength;
  c.bore = kBore;
  c.fanning = VorlFanning(model);
  c.upstreamPressure = kPressure;
  c.inflow = 5.0;
  c.breachLocation = breach;
  c.aperture = kAperture;
  c.ambientPressure = 101325.0;
  c.endTime = kEndTime;
  c.reportTimes = kReportTimes;
  return c;
}

// Both branches with a valve, and a breach at the sink end whose absent
// branch B is NaN in the table: the solver's result bit for bit (its mass
// balance: tests/reference/reference_run_test.cpp).
TEST_F(ReferenceInterface, TheTableIsTheSolversResultForTheSameCaseBitForBit) {
  for (const bool atTheEnd : {false, true}) {
    const ShortLine line;
    vorl::reference::ReferenceCase c = solverCase(line, atTheEnd ? kLength : kBreach);
    if (atTheEnd) {
      VorlPipeBreachLocationSet(line, kLength);
    } else {
      VorlValveAdd(line, 4000.0, 8.0);
      VorlValvesActivate(line, 1);
      c.valves = {{4000.0, 8.0}};
    }
    const int rows = VorlReferenceRun(line, nullptr, nullptr);
    ASSERT_EQ(rows, static_cast<int>(kReportTimes.size())) << lastReport().message;
    EXPECT_EQ(VorlErrorLogCount(), 0);
    const std::vector<double> expected = rowsOf(vorl::reference::runReference(c));
    const std::vector<double> got = table(line);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(same(got[i], expected[i])) << atTheEnd << " " << i;
    EXPECT_EQ(std::isnan(cell(got, 4, "b_release_rate_kg_per_s")), atTheEnd);
    // Fewer rows asked for: the first ones.
    std::vector<double> two(static_cast<std::size_t>(2 * columns()));
    EXPECT_EQ(VorlReferenceTableFill(line, two.data(), 2), 2);
    for (std::size_t i = 0; i < two.size(); ++i) EXPECT_TRUE(same(two[i], got[i])) << i;
  }
  char unit[64];  // every column has a unit (the names are checked with the other tables')
  for (int k = 0; k < columns(); ++k) EXPECT_GT(VorlReferenceTableColumnUnit(k, unit, sizeof unit), 0) << k;
}

struct ProgressLog {
  std::vector<double> fractions;
  double stopAbove = 2.0;  // returns 0 once a fraction exceeds it
};

int VORL_CALL recordProgress(double fraction, void* user) {
  auto* log = static_cast<ProgressLog*>(user);
  log->fractions.push_back(fraction);
  return fraction > log->stopAbove ? 0 : 1;
}

TEST_F(ReferenceInterface, ProgressRisesToOneAndACancelledRunKeepsNoResult) {
  const ShortLine line;
  ProgressLog log;
  ASSERT_GT(VorlReferenceRun(line, &recordProgress, &log), 0);
  ASSERT_GT(log.fractions.size(), 10u);
  for (std::size_t k = 1; k < log.fractions.size(); ++k) EXPECT_GT(log.fractions[k], log.fractions[k - 1]);
  EXPECT_GT(log.fractions.front(), 0.0);
  EXPECT_EQ(log.fractions.back(), 1.0);

  ProgressLog stopping;
  stopping.stopAbove = 0.3;
  VorlErrorLogClear();
  EXPECT_EQ(VorlReferenceRun(line, &recordProgress, &stopping), 0);
  EXPECT_TRUE(reported(VORL_E_REFERENCE_CANCELLED, "VorlReferenceRun"));
  // It stopped at the first call past 0.3 (a time step later, whatever its length).
  ASSERT_GE(stopping.fractions.size(), 2u);
  EXPECT_LE(stopping.fractions[stopping.fractions.size() - 2], 0.3);
  EXPECT_GT(stopping.fractions.back(), 0.3);
  EXPECT_NE(stopping.fractions.back(), 1.0);
  // Neither the stopped run nor the one before it reads as a result.
  EXPECT_EQ(VorlReferenceTableFill(line, nullptr, 0), 0);
  EXPECT_TRUE(reported(VORL_E_NO_RESULTS, "VorlReferenceTable"));
}

// A closed methane line at 70 bar holds rho(p) A L: Peng-Robinson's density
// 55.1959643060 kg/m3 at 70 bar and 288.15 K (Z = 0.8492283425, from the
// cubic in Z worked by hand, as in tests/reference/gas_law_test.cpp), the
// ideal gas's p M / (R T).
TEST_F(ReferenceInterface, TheRealGasTakesTheMaterialsConstantsOrTheHostsAndASimpleGasWithoutThemStaysIdeal) {
  constexpr double kLinePressure = 70e5, kRealDensity = 55.1959643060;
  const double volume = 0.25 * kPi * kBore * kBore * kLength;
  const double idealDensity = kLinePressure * kMethaneMolarMass / (8314.34 * 288.15);
  const auto initialMass = [&](VorlHandle model) {
    VorlUpstreamPressureSet(model, kLinePressure);
    VorlReferenceEndTimeSet(model, 1.0);
    const double time0 = 0.0;
    VorlReferenceReportTimesSet(model, &time0, 1);
    EXPECT_EQ(VorlReferenceRun(model, nullptr, nullptr), 1) << lastReport().message;
    return cell(table(model), 0, "line_mass_kg");
  };

  const ShortLine material(0.0);
  EXPECT_EQ(VorlReferenceRealGas(material), 0);
  EXPECT_NEAR(initialMass(material), idealDensity * volume, 1e-9 * idealDensity * volume);
  VorlReferenceRealGasSet(material, 1);
  EXPECT_EQ(VorlReferenceRealGas(material), 1);
  const double real = initialMass(material);
  EXPECT_NEAR(real, kRealDensity * volume, 1e-9 * kRealDensity * volume);

  const ModelHandle simple(VorlModelCreateSimple(kMethaneMolarMass));
  shortLineInputs(simple, 0.0);
  VorlReferenceRealGasSet(simple, 1);
  EXPECT_EQ(VorlReferenceRealGas(simple), 0);
  VorlErrorLogClear();
  EXPECT_NEAR(initialMass(simple), idealDensity * volume, 1e-9 * idealDensity * volume);
  EXPECT_EQ(loggedReports().front().code, VORL_W_REFERENCE_IDEAL_GAS);
  VorlReferenceCriticalSet(simple, kMethaneCritical.temperature, kMethaneCritical.pressure,
                           kMethaneCritical.acentricFactor);
  EXPECT_EQ(VorlReferenceRealGas(simple), 1);
  EXPECT_EQ(initialMass(simple), real);
  VorlReferenceCriticalSet(simple, 0.0, 0.0, 0.0);  // forgotten again
  EXPECT_EQ(VorlReferenceRealGas(simple), 0);
}

TEST_F(ReferenceInterface, ValvesTakePartOnlyWhileActive) {
  const ShortLine plain;
  ASSERT_GT(VorlReferenceRun(plain, nullptr, nullptr), 0);
  const ShortLine valved;
  VorlValveAdd(valved, 1000.0, 2.0);
  VorlValveAdd(valved, 3500.0, 0.0);
  ASSERT_GT(VorlReferenceRun(valved, nullptr, nullptr), 0);
  const std::vector<double> withoutValves = table(plain), inactive = table(valved);
  ASSERT_EQ(inactive.size(), withoutValves.size());
  for (std::size_t i = 0; i < inactive.size(); ++i) EXPECT_TRUE(same(inactive[i], withoutValves[i])) << i;
  // Active, the valve shut at 3.5 km as the breach opens keeps branch B's
  // far part, 1.5 km of line, out of the release.
  VorlValvesActivate(valved, 1);
  ASSERT_GT(VorlReferenceRun(valved, nullptr, nullptr), 0);
  const std::vector<double> active = table(valved);
  EXPECT_LT(cell(active, 4, "b_mass_released_kg"), cell(withoutValves, 4, "b_mass_released_kg"));
  // The sink still drains the section behind the valve, whose rarefaction
  // reaches it sooner than the breach's does without the valve: it delivers
  // less, but not nothing.
  EXPECT_GT(cell(active, 4, "sink_delivered_kg"), 0.0);
  EXPECT_LT(cell(active, 4, "sink_delivered_kg"), cell(withoutValves, 4, "sink_delivered_kg"));
}

// The fast model's run and the reference's keep their results apart.
TEST_F(ReferenceInterface, TheFastModelAndTheReferenceLeaveEachOthersResultsAlone) {
  const ShortLine line;
  ASSERT_GT(VorlRun(line), 0);
  const auto recordsA = branchHistory(line, 'A');
  ASSERT_GT(VorlReferenceRun(line, nullptr, nullptr), 0);
  const std::vector<double> reference = table(line);
  const auto afterReference = branchHistory(line, 'A');
  ASSERT_EQ(afterReference.size(), recordsA.size());
  for (std::size_t i = 0; i < recordsA.size(); ++i) {
    EXPECT_TRUE(same(afterReference[i].time, recordsA[i].time));
    EXPECT_TRUE(same(afterReference[i].exitFlux, recordsA[i].exitFlux));
  }
  VorlOrificeApertureSet(line, 0.0);
  EXPECT_EQ(VorlRun(line), 0);  // refused: the fast model keeps nothing, the reference its table
  const std::vector<double> afterRefusedRun = table(line);
  ASSERT_EQ(afterRefusedRun.size(), reference.size());
  for (std::size_t i = 0; i < reference.size(); ++i) EXPECT_TRUE(same(afterRefusedRun[i], reference[i])) << i;
}

// Without an end time of the host's: the fast model's end once it has run,
// before that the closed-end blow-down of the longer side of the breach from
// the upstream to the ambient pressure, the law AnalyticComparison gives.
TEST_F(ReferenceInterface, TheDefaultEndTimeIsTheFastModelsEndOrTheClosedBlowDown) {
  const ShortLine line;
  VorlReferenceEndTimeSet(line, 0.0);
  double pressures[2], times[2];
  AnalyticComparison(kLength - kBreach, 288.15, VorlFanning(line), kBore, kMethaneMolarMass, kPressure, 101325.0,
                     pressures, times, 2);
  EXPECT_NEAR(VorlReferenceEndTime(line), times[1], 1e-12 * times[1]);
  ASSERT_GT(VorlRun(line), 0);
  EXPECT_EQ(VorlReferenceEndTime(line), VorlPipeTimeMax(line));
  VorlReferenceEndTimeSet(line, 30.0);
  EXPECT_EQ(VorlReferenceEndTime(line), 30.0);
}

// Without an end or report times of the host's, a run ends when the release
// is over (this fed line: at its new steady flow, the supply's 5 kg/s out
// through the breach, well within 30 days) and reports at 100 equal
// intervals up to that end.
TEST_F(ReferenceInterface, WithoutAnEndOrReportTimesTheRunEndsWhenTheReleaseIsOver) {
  const ShortLine line;
  VorlReferenceEndTimeSet(line, 0.0);
  VorlReferenceReportTimesSet(line, nullptr, 0);
  ASSERT_EQ(VorlReferenceRun(line, nullptr, nullptr), 101);
  const std::vector<double> values = table(line);
  const double end = cell(values, 100, "time_s");
  EXPECT_LT(end, 30.0 * 86400.0);
  EXPECT_DOUBLE_EQ(cell(values, 50, "time_s"), 0.5 * end);
  const double change = cell(values, 100, "inflow_rate_kg_per_s") - cell(values, 100, "release_rate_kg_per_s") -
                        cell(values, 100, "sink_rate_kg_per_s");
  EXPECT_LE(std::fabs(change), 0.01 * 5.0);

  // Unfed, the run does not know its end ahead: its progress is the fall of
  // the line's pressure toward the end's, told all along rather than a few
  // thousandths of the 30 days and then the whole at once.
  const ShortLine unfed(0.0);
  VorlReferenceEndTimeSet(unfed, 0.0);
  VorlReferenceReportTimesSet(unfed, nullptr, 0);
  ProgressLog log;
  ASSERT_EQ(VorlReferenceRun(unfed, &recordProgress, &log), 101);
  ASSERT_GT(log.fractions.size(), 100u);
  for (std::size_t k = 1; k < log.fractions.size(); ++k) EXPECT_GT(log.fractions[k], log.fractions[k - 1]);
  EXPECT_GT(log.fractions[log.fractions.size() - 2], 0.95);
  EXPECT_EQ(log.fractions.back(), 1.0);
}

struct Refusal {
  const char* what;
  std::function<void(VorlHandle)> act;  // a setting, or a setting and a run
  int code;
};

void runOnce(VorlHandle model) { EXPECT_EQ(VorlReferenceRun(model, nullptr, nullptr), 0); }

const std::vector<Refusal>& refusals() {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  static const std::vector<Refusal> table = {
      {"critical temperature -1", [](VorlHandle m) { VorlReferenceCriticalSet(m, -1.0, 4.6e6, 0.01); },
       VORL_E_INVALID_CRITICAL_TEMPERATURE},
      {"critical pressure NaN", [](VorlHandle m) { VorlReferenceCriticalSet(m, 190.0, kNaN, 0.01); },
       VORL_E_INVALID_CRITICAL_PRESSURE},
      {"acentric factor infinite", [](VorlHandle m) { VorlReferenceCriticalSet(m, 190.0, 4.6e6, kInf); },
       VORL_E_INVALID_ACENTRIC_FACTOR},
      // Beyond any gas: water's constants are 647 K and 2.2e7 Pa, helium's 5.2 K and 2.3e5 Pa.
      {"critical temperature 5000 K", [](VorlHandle m) { VorlReferenceCriticalSet(m, 5000.0, 4.6e6, 0.01); },
       VORL_E_INVALID_CRITICAL_TEMPERATURE},
      {"critical pressure 10 Pa", [](VorlHandle m) { VorlReferenceCriticalSet(m, 190.0, 10.0, 0.01); },
       VORL_E_INVALID_CRITICAL_PRESSURE},
      {"critical pressure 0 beside a temperature",
       [](VorlHandle m) { VorlReferenceCriticalSet(m, 190.0, 0.0, 0.01); }, VORL_E_INVALID_CRITICAL_PRESSURE},
      {"acentric factor 3", [](VorlHandle m) { VorlReferenceCriticalSet(m, 190.0, 4.6e6, 3.0); },
       VORL_E_INVALID_ACENTRIC_FACTOR},
      {"critical temperature alone, then a run",
       [](VorlHandle m) {
         VorlInputSet(m, VorlInputFind("critical temperature"), 190.0);
         runOnce(m);
       },
       VORL_E_INVALID_CRITICAL_PRESSURE},
      {"end time -1 s", [](VorlHandle m) { VorlReferenceEndTimeSet(m, -1.0); }, VORL_E_INVALID_REFERENCE_END_TIME},
      {"end time NaN", [](VorlHandle m) { VorlReferenceEndTimeSet(m, kNaN); }, VORL_E_INVALID_REFERENCE_END_TIME},
      {"end time 1e9 s", [](VorlHandle m) { VorlReferenceEndTimeSet(m, 1e9); }, VORL_E_INVALID_REFERENCE_END_TIME},
      {"report times descending",
       [](VorlHandle m) {
         const double times[] = {5.0, 1.0};
         VorlReferenceReportTimesSet(m, times, 2);
       },
       VORL_E_INVALID_REFERENCE_REPORT_TIME},
      {"report time negative",
       [](VorlHandle m) {
         const double time = -1.0;
         VorlReferenceReportTimesSet(m, &time, 1);
       },
       VORL_E_INVALID_REFERENCE_REPORT_TIME},
      // The run would end at the last, beyond the longest end time (it broke down, 408).
      {"report time 1e300 s",
       [](VorlHandle m) {
         const double times[] = {0.0, 10.0, 1e300};
         VorlReferenceReportTimesSet(m, times, 3);
       },
       VORL_E_INVALID_REFERENCE_REPORT_TIME},
      {"report time count -1", [](VorlHandle m) { VorlReferenceReportTimesSet(m, nullptr, -1); },
       VORL_E_INVALID_REFERENCE_REPORT_TIME},
      {"report times null", [](VorlHandle m) { VorlReferenceReportTimesSet(m, nullptr, 2); }, VORL_E_MISSING_DATA},
      {"refinement 0", [](VorlHandle m) { VorlReferenceRefinementSet(m, 0.0); }, VORL_E_INVALID_REFERENCE_REFINEMENT},
      // A grid coarser than the line itself: the run would give a fraction of the initial rate.
      {"refinement 1e-300", [](VorlHandle m) { VorlReferenceRefinementSet(m, 1e-300); },
       VORL_E_INVALID_REFERENCE_REFINEMENT},
      {"refinement 1e6", [](VorlHandle m) { VorlReferenceRefinementSet(m, 1e6); }, VORL_E_INVALID_REFERENCE_REFINEMENT},
      {"report time after the end",
       [](VorlHandle m) {
         const double times[] = {0.0, 2.0 * kEndTime};
         VorlReferenceReportTimesSet(m, times, 2);
         runOnce(m);
       },
       VORL_E_INVALID_REFERENCE_REPORT_TIME},
      {"aperture 0 (the run's guard)",
       [](VorlHandle m) {
         VorlOrificeApertureSet(m, 0.0);
         runOnce(m);
       },
       VORL_E_INVALID_APERTURE},
      {"valve closing at -1 s (the run's guard)",
       [](VorlHandle m) {
         VorlValveAdd(m, 1000.0, -1.0);
         VorlValvesActivate(m, 1);
         runOnce(m);
       },
       VORL_E_INVALID_VALVE_CLOSURE_TIME},
      {"an inflow the intact line cannot carry",
       [](VorlHandle m) {
         VorlTotalInflowSet(m, 1000.0);
         runOnce(m);
       },
       VORL_E_INFLOW_CHOKED},
      {"table rows -1", [](VorlHandle m) { EXPECT_EQ(VorlReferenceTableFill(m, nullptr, -1), 0); },
       VORL_E_INVALID_REFERENCE_ROWS},
  };
  return table;
}

TEST_F(ReferenceInterface, EveryInputItCannotComputeWithIsRefusedWithItsCodeAndNoResultIsKept) {
  for (const Refusal& refusal : refusals()) {
    const ShortLine line;
    VorlReferenceEndTimeSet(line, 1.0);
    const double times[] = {0.0, 1.0};
    VorlReferenceReportTimesSet(line, times, 2);
    ASSERT_EQ(VorlReferenceRun(line, nullptr, nullptr), 2) << refusal.what;
    VorlErrorLogClear();
    refusal.act(line);
    EXPECT_EQ(lastReport().code, refusal.code) << refusal.what << ": " << lastReport().message;
    if (refusal.code == VORL_E_INVALID_REFERENCE_ROWS) continue;
    // A refused setting leaves the one before, and the result; a refused run keeps none.
    const bool ran = lastReport().tag == "VorlReferenceRun";
    VorlErrorLogClear();
    EXPECT_EQ(VorlReferenceTableFill(line, nullptr, 0), ran ? 0 : 2) << refusal.what;
  }
}

// Propane at 70 bar and 15 C is a liquid: the real gas has no gas there.
TEST_F(ReferenceInterface, ARealGasThatIsLiquidAtTheLinePressureIsRefused) {
  const ModelHandle propane(VorlModelCreateZel(kPropane));
  shortLineInputs(propane, 0.0);
  VorlUpstreamPressureSet(propane, 70e5);
  VorlReferenceRealGasSet(propane, 1);
  VorlErrorLogClear();
  EXPECT_EQ(VorlReferenceRun(propane, nullptr, nullptr), 0);
  EXPECT_TRUE(reported(VORL_E_REFERENCE_NOT_GAS, "VorlReferenceRun"));
  VorlReferenceRealGasSet(propane, 0);  // the ideal gas runs
  EXPECT_GT(VorlReferenceRun(propane, nullptr, nullptr), 0) << lastReport().message;
}

}  // namespace

namespace {

double reportField(VorlHandle model, const std::string& name) {
  std::vector<double> values(static_cast<std::size_t>(VorlReleaseReportColumnCount()));
  EXPECT_EQ(VorlReleaseReportFill(model, values.data(), 1), 1) << lastReport().message;
  char text[64];
  for (int j = 0; j < VorlReleaseReportColumnCount(); ++j) {
    VorlReleaseReportColumnName(j, text, sizeof text);
    if (name == text) return values[static_cast<std::size_t>(j)];
  }
  ADD_FAILURE() << "no field " << name;
  return 0.0;
}

// The reference chosen: the results read its series; its table's rows at
// the report's marks are the report's figures, the fast model's run beside
// it stays as VorlRun leaves it.
TEST_F(ReferenceInterface, TheChosenReferenceAnswersThroughTheFastModelsReport) {
  const ShortLine line;
  VorlModelChoiceSet(line, 1);
  ASSERT_EQ(VorlModelRun(line, nullptr, nullptr), static_cast<int>(kReportTimes.size())) << lastReport().message;
  const std::vector<double> values = table(line);
  EXPECT_EQ(reportField(line, "release_rate_10s_kg_per_s"), cell(values, 3, "release_rate_kg_per_s"));
  EXPECT_EQ(reportField(line, "mean_release_rate_20s_kg_per_s"), cell(values, 4, "mass_released_kg") / 20.0);
  EXPECT_EQ(reportField(line, "gas_in_pipe_10s_kg"), cell(values, 3, "line_mass_kg"));
  EXPECT_TRUE(std::isnan(reportField(line, "mass_released_1min_kg"))) << "past the reference's end";
  const int fastRecords = VorlBranchAFlowSequenceSize(line);
  VorlModelChoiceSet(line, 0);
  EXPECT_EQ(VorlModelRun(line, nullptr, nullptr), VorlRun(line));
  EXPECT_EQ(VorlBranchAFlowSequenceSize(line), fastRecords);
}

TEST_F(ReferenceInterface, TheModelChoiceAndTheSmallestHoleRefuseWhatNoModelTakes) {
  const ShortLine line;
  VorlModelChoiceSet(line, 2);
  EXPECT_TRUE(reported(VORL_E_INVALID_MODEL_CHOICE, "VorlModelChoiceSet"));
  EXPECT_EQ(VorlModelChoice(line), 0);
  // The fast model's smallest aperture 0.2 as a hole; the reference's 1 mm.
  EXPECT_DOUBLE_EQ(VorlSmallestHoleDiameter(0, 0.5), 0.5 * std::sqrt(0.2));
  EXPECT_EQ(VorlSmallestHoleDiameter(1, 0.5), 0.001);
  EXPECT_EQ(VorlSmallestHoleDiameter(1, 0.0005), 0.0005);
  EXPECT_EQ(VorlSmallestHoleDiameter(1, -1.0), 0.0);
  // A 0.9 mm hole in the 0.3 m bore: (0.9e-3 / 0.3)^2.
  VorlModelChoiceSet(line, 1);
  VorlOrificeApertureSet(line, 9e-6);
  EXPECT_EQ(VorlModelRun(line, nullptr, nullptr), 0);
  EXPECT_TRUE(reported(VORL_E_HOLE_TOO_SMALL, "VorlReferenceRun"));
}

}  // namespace

namespace {

// The report times of the reference as the model, for a run to 7200 s: the
// marks before the end, 200 equal steps of 36 s, and 20 a decade from 1 ms
// (the sixth decade below the end): below the first step, 92 points of the
// decades (10 s among them) and the mark 20 s.
TEST_F(ReferenceInterface, TheReportTimesHoldTheMarksTheStepsAndTheDecades) {
  const int count = VorlModelReportTimes(7200.0, nullptr, 0);
  std::vector<double> times(static_cast<std::size_t>(count));
  ASSERT_EQ(VorlModelReportTimes(7200.0, times.data(), count), count);
  EXPECT_EQ(times.front(), 0.0);
  EXPECT_EQ(times.back(), 7200.0);
  EXPECT_EQ(std::adjacent_find(times.begin(), times.end(), std::greater_equal<double>()), times.end());
  for (double mark : {10.0, 20.0, 60.0, 600.0, 3600.0}) EXPECT_EQ(std::count(times.begin(), times.end(), mark), 1);
  for (int k = 1; k < 200; ++k) EXPECT_EQ(std::count(times.begin(), times.end(), 7200.0 * k / 200), 1) << k;
  EXPECT_EQ(std::count_if(times.begin(), times.end(), [](double t) { return t > 0.0 && t < 36.0; }), 93);
  EXPECT_EQ(times[1], 0.001);
  // Fewer asked for: the first ones, and the count of all.
  double first[3] = {-1.0, -1.0, -1.0};
  EXPECT_EQ(VorlModelReportTimes(7200.0, first, 2), count);
  EXPECT_EQ(first[1], 0.001);
  EXPECT_EQ(first[2], -1.0);
  const struct {
    double end;
    int maxCount;
    bool withArray;
    int result, code;
  } refusals[] = {{0.0, 1, true, 1, 0},
                  {-5.0, 1, true, 1, 0},
                  {std::numeric_limits<double>::infinity(), 1, true, 0, VORL_E_INVALID_REFERENCE_END_TIME},
                  {std::nan(""), 1, true, 0, VORL_E_INVALID_REFERENCE_END_TIME},
                  {100.0, -1, true, 0, VORL_E_ROW_COUNT},
                  {100.0, 4, false, 0, VORL_E_MISSING_DATA}};
  for (const auto& r : refusals) {
    double one = -1.0;
    EXPECT_EQ(VorlModelReportTimes(r.end, r.withArray ? &one : nullptr, r.maxCount), r.result) << r.end;
    EXPECT_EQ(VorlLastCode(), r.code) << r.end;
    if (r.result == 1) {
      EXPECT_EQ(one, 0.0);
    }
  }
}

}  // namespace
