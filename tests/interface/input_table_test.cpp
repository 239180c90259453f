// The input table through the C interface: the one-call check against the published ranges, its messages, the table's exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "support/release_cases.h"
#include "support/run_line.h"
#include "support/unit_names.h"
#include "vorl.h"

namespace {

using namespace vorl::test;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string nameOf(int input) { return textOf(VorlInputName, input); }

int find(const char* name) {
  const int index = VorlInputFind(name);
  EXPECT_GE(index, 0) << name;
  return index;
}

bool isWholeSlot(int slot) {
  return slot == VORL_SLOT_FLAGS || slot == VORL_SLOT_TIME_DIVISION || slot == VORL_SLOT_MAX_STEPS;
}

// The arguments of the one-call entry for two valves, every checked input
// at a value inside its published range: its default where that is allowed.
struct Case {
  int flags[2] = {};
  double inputs[16] = {};
  double first[2] = {}, second[2] = {};
  int division = 0, steps = 0, valves = 2;

  Case() {
    for (int i = 0; i < VorlInputCount(); ++i) {
      if (VorlInputCodeBelow(i) == 0) continue;
      const double low = VorlInputMin(i), high = VorlInputMax(i), fallback = VorlInputDefault(i);
      set(i, fallback > low && fallback <= high ? fallback : high);
    }
  }
  // Writes value into input i's slot (both valves for a valve input).
  void set(int i, double value, int valve = -1) {
    const int slot = VorlInputSlot(i), element = VorlInputSlotIndex(i);
    switch (slot) {
      case VORL_SLOT_FLAGS: flags[element] = static_cast<int>(value); break;
      case VORL_SLOT_INPUTS: inputs[element] = value; break;
      case VORL_SLOT_TIME_DIVISION: division = static_cast<int>(value); break;
      case VORL_SLOT_MAX_STEPS: steps = static_cast<int>(value); break;
      case VORL_SLOT_VALVE_POSITIONS:
      case VORL_SLOT_VALVE_CLOSURE_TIMES:
        for (int v = 0; v < 2; ++v) {
          if (valve < 0 || valve == v) (slot == VORL_SLOT_VALVE_POSITIONS ? first : second)[v] = value;
        }
        break;
      default: break;
    }
  }
  int check() const { return VorlCheckInputs(flags, inputs, first, second, &division, &steps, &valves); }
};

// The nearest value beyond a bound of input i in a direction.
double beyond(int i, double bound, double direction) {
  if (isWholeSlot(VorlInputSlot(i))) return bound + direction;
  return std::nextafter(bound, direction * std::numeric_limits<double>::infinity());
}

bool minimumExcluded(int i) { return textOf(VorlInputRangeText, i).rfind("above", 0) == 0; }

class InputTable : public LogClearedTest {};

TEST_F(InputTable, EachPublishedBoundPassesAndTheNearestValueBeyondItFailsWithItsCode) {
  ASSERT_EQ(Case{}.check(), VORL_OK);
  int checked = 0;
  for (int i = 0; i < VorlInputCount(); ++i) {
    const int below = VorlInputCodeBelow(i), above = VorlInputCodeAbove(i);
    if (below == 0) continue;
    ++checked;
    const double low = VorlInputMin(i), high = VorlInputMax(i);
    const auto checkWith = [&](double value) {
      Case c;
      c.set(i, value);
      return c.check();
    };
    EXPECT_EQ(checkWith(minimumExcluded(i) ? beyond(i, low, 1.0) : low), VORL_OK) << nameOf(i);
    EXPECT_EQ(checkWith(minimumExcluded(i) ? low : beyond(i, low, -1.0)), below) << nameOf(i);
    EXPECT_EQ(checkWith(high), VORL_OK) << nameOf(i);
    EXPECT_EQ(checkWith(beyond(i, high, 1.0)), above) << nameOf(i);
    // Not a number fails the first check on it.
    if (!isWholeSlot(VorlInputSlot(i))) {
      EXPECT_EQ(checkWith(kNaN), below) << nameOf(i);
    }
  }
  EXPECT_EQ(checked, 22);
}

TEST_F(InputTable, ChecksRunInTheOrderOfTheirCodesValveByValve) {
  // Every input below its minimum: putting them back one by one in the order
  // of their codes shows the order of the checks.
  std::vector<std::pair<int, int>> byCode;
  Case c;
  for (int i = 0; i < VorlInputCount(); ++i) {
    if (VorlInputCodeBelow(i) == 0) continue;
    byCode.push_back({VorlInputCodeBelow(i), i});
    c.set(i, minimumExcluded(i) ? VorlInputMin(i) : beyond(i, VorlInputMin(i), -1.0));
  }
  std::sort(byCode.begin(), byCode.end());
  for (const auto& [code, i] : byCode) {
    EXPECT_EQ(c.check(), code);
    c.set(i, VorlInputMax(i));
  }
  EXPECT_EQ(c.check(), VORL_OK);

  // A bad closure time of valve 1 comes before a bad position of valve 2.
  Case valves;
  valves.set(find("valve closure time"), 0.0, 0);
  valves.set(find("valve position"), -1.0, 1);
  EXPECT_EQ(valves.check(), VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW);
}

TEST_F(InputTable, NullPointersAreReportedAndValveArraysAreReadOnlyForValves) {
  Case c;
  const int flags[2] = {0, 0};
  EXPECT_EQ(VorlCheckInputs(nullptr, c.inputs, c.first, c.second, &c.division, &c.steps, &c.valves),
            VORL_E_MISSING_DATA);
  EXPECT_EQ(VorlCheckInputs(flags, c.inputs, c.first, c.second, &c.division, &c.steps, nullptr), VORL_E_MISSING_DATA);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlCheckInput"));
  for (int valves : {0, -3, 1}) {
    EXPECT_EQ(VorlCheckInputs(c.flags, c.inputs, nullptr, nullptr, &c.division, &c.steps, &valves),
              valves > 0 ? VORL_E_MISSING_DATA : valves < 0 ? VORL_E_RANGE_VALVE_COUNT : VORL_OK)
        << valves;
  }
}

TEST_F(InputTable, TheLoggedMessageNamesTheInputItsValueAndItsRange) {
  const struct {
    const char* input;
    double value;
    int valve, code;
    const char* message;
  } rows[] = {
      {"ambient temperature", 199.999, -1, VORL_E_RANGE_AMBIENT_TEMPERATURE_LOW,
       "ambient temperature 199.999 K is below 200 K (allowed 200 to 350 K)"},
      {"valve closure time", 0.0, 1, VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW,
       "valve 2 closure time 0 s is not above 0 s (allowed above 0 up to 100000 s)"},
      {"ambient pressure", kNaN, -1, VORL_E_RANGE_AMBIENT_PRESSURE_LOW,
       "ambient pressure is not a number (allowed 50000 to 120000 Pa)"},
      {"output maximum steps", 10001, -1, VORL_E_RANGE_OUTPUT_STEPS_HIGH,
       "output maximum steps 10001 is above 10000 (allowed 2 to 10000)"},
      {"pipe length", 2000000.5, -1, VORL_E_RANGE_PIPE_LENGTH_HIGH,
       "pipe length 2000000.5 m is above 2000000 m (allowed 10 to 2000000 m)"},
  };
  for (const auto& row : rows) {
    VorlErrorLogClear();
    Case c;
    c.set(find(row.input), row.value, row.valve);
    EXPECT_EQ(c.check(), row.code);
    ASSERT_EQ(VorlErrorLogCount(), 1);
    EXPECT_EQ(lastReport().message, "VORL " + std::to_string(row.code) + " VorlCheckInput: " + row.message);
  }
}

TEST_F(InputTable, ANewModelHoldsTheDefaultsOfTheTable) {
  ModelHandle model(VorlModelCreateZel(kMethane));
  for (int i = 0; i < VorlInputCount(); ++i) {
    if (VorlInputSlot(i) == VORL_SLOT_VALVE_POSITIONS || VorlInputSlot(i) == VORL_SLOT_VALVE_CLOSURE_TIMES) continue;
    EXPECT_EQ(VorlInputGet(model, i), VorlInputDefault(i)) << nameOf(i);
  }
  EXPECT_EQ(VorlErrorLogCount(), 0);
  // A case that names no gas is of methane, the default line's gas.
  EXPECT_EQ(VorlCaseDefaultMaterial(), VorlMaterialFind("methane"));
}

// Setting by index through the table does what the named setters do: the
// same case set both ways runs to the same records.
TEST_F(InputTable, SettingByIndexRunsTheSameCaseAsTheNamedSetters) {
  const RunLine named(20.0);
  ModelHandle indexed(VorlModelCreateZel(kMethane));
  const struct {
    const char* input;
    double value;
  } values[] = {{"pipe diameter", 0.5},         {"pipe roughness", 5e-5},    {"pipe length", 100000.0},
                {"upstream pressure", 7.0e6},   {"total inflow", 20.0},      {"breach location", 30000.0}};
  for (const auto& v : values) VorlInputSet(indexed, find(v.input), v.value);
  EXPECT_EQ(VorlRun(indexed), named.count);
  const auto a = branchHistory(named, 'A'), b = branchHistory(indexed, 'A');
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(std::memcmp(&a[i], &b[i], sizeof a[i]), 0) << i;
  }
  // The valve inputs belong to each valve, and counts take whole numbers.
  VorlErrorLogClear();
  VorlInputSet(indexed, find("valve position"), 10.0);
  EXPECT_TRUE(reported(VORL_E_PER_VALVE, "VorlInput"));
  VorlInputSet(indexed, find("time division"), 2.5);
  EXPECT_EQ(lastReport().code, VORL_E_NOT_WHOLE);
  EXPECT_EQ(VorlInputGet(indexed, find("time division")), 100.0);
}

std::string caseKeyOf(int input) { return textOf(VorlInputCaseKey, input); }

// The suffix a case-file key carries for its input's unit: "kg/s" -> "_kg_per_s".
std::string unitSuffix(int input) {
  const std::string unit = textOf(VorlInputUnit, input);
  return unit.empty() ? "" : "_" + unitInName(unit);
}

// Each name, case key and code names one input; a checked input has a case key carrying its unit.
TEST_F(InputTable, EachNameCaseKeyAndCodeBelongsToOneInputAndAKeyCarriesItsUnit) {
  std::set<std::string> keys;
  std::set<int> codes;
  for (int i = 0; i < VorlInputCount(); ++i) {
    EXPECT_EQ(VorlInputFind(nameOf(i).c_str()), i) << nameOf(i);
    std::set<int> own{VorlInputCodeBelow(i), VorlInputCodeAbove(i), VorlInputGuardCode(i)};
    own.erase(0);
    for (int code : own) EXPECT_TRUE(codes.insert(code).second) << nameOf(i) << " shares code " << code;
    const std::string key = caseKeyOf(i);
    if (key.empty()) {
      EXPECT_EQ(VorlInputCodeBelow(i), 0) << nameOf(i) << " is checked but has no case key";
      EXPECT_EQ(VorlInputCaseDefault(i), VorlInputDefault(i)) << nameOf(i);
      EXPECT_EQ(VorlInputFindCaseKey(key.c_str()), -1);
      continue;
    }
    EXPECT_TRUE(keys.insert(key).second) << key;
    EXPECT_EQ(VorlInputFindCaseKey(key.c_str()), i) << key;
    const std::string suffix = unitSuffix(i);
    EXPECT_TRUE(endsWith(key, suffix)) << key << " for the unit " << suffix;
  }
  EXPECT_EQ(VorlInputFindCaseKey("pipe length"), -1) << "a name is not a key";
  EXPECT_EQ(VorlErrorLogCount(), 0);
  EXPECT_EQ(VorlInputFindCaseKey(nullptr), -1);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlInput"));
}

}  // namespace

namespace {

// The case rules: the hole in the bore (a 0.5 m bore, aperture 0.2 at least:
// the smallest hole is sqrt(0.2) 0.5 m = 0.2236 m) and valves within the pipe.
TEST_F(InputTable, TheCaseCheckNamesTheValveAtFaultAndSpeaksOfTheHole) {
  EXPECT_EQ(VorlHoleAperture(0.25, 0.5), 0.25);
  for (double hole : {0.6, 0.0, -0.1, kNaN}) {
    EXPECT_EQ(VorlHoleAperture(hole, 0.5), 0.0) << hole;
    EXPECT_EQ(VorlLastCode(), VORL_E_HOLE_OUTSIDE_BORE) << hole;
  }
  Case c;
  c.set(find("pipe diameter"), 0.5);
  c.set(find("pipe length"), 50000.0);
  c.set(find("valve position"), 10000.0);
  c.set(find("valve closure time"), 60.0);
  const struct {
    const char* what;
    double hole;
    int valve, closure;  // valve 1 closes at `closure` s and lies at 60 km when `beyond`
    bool beyond;
    int code, failingValve;
    const char* said;
  } cases[] = {
      {"a sound case", kNaN, 1, 60, false, VORL_OK, -1, ""},
      {"a hole of 0.25 m", 0.25, 1, 60, false, VORL_OK, -1, ""},
      {"a hole of 0.1 m", 0.1, 1, 60, false, VORL_E_RANGE_APERTURE_LOW, -1,
       "smallest hole the fast model takes in this bore is 0.2236 m"},
      {"a hole wider than the bore", 0.6, 1, 60, false, VORL_E_HOLE_OUTSIDE_BORE, -1, "not within the bore of 0.5 m"},
      {"valve 2 shutting at 0 s", kNaN, 1, 0, false, VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW, 1, "valve 2 closure time"},
      {"valve 2 beyond the end", kNaN, 1, 60, true, VORL_E_VALVE_BEYOND_PIPE, 1, "beyond the pipe end at 50000 m"},
  };
  for (const auto& k : cases) {
    Case t = c;
    t.set(find("valve closure time"), k.closure, k.valve);
    if (k.beyond) t.set(find("valve position"), 60000.0, k.valve);
    int failing = -7;
    VorlErrorLogClear();
    EXPECT_EQ(VorlCheckCase(t.flags, t.inputs, t.first, t.second, &t.division, &t.steps, &t.valves, k.hole, &failing),
              k.code) << k.what;
    EXPECT_EQ(failing, k.failingValve) << k.what;
    if (k.code != VORL_OK) {
      EXPECT_NE(lastReport().message.find(k.said), std::string::npos) << lastReport().message;
    }
  }
  int negative = -5;
  EXPECT_EQ(VorlCheckCase(c.flags, c.inputs, c.first, c.second, &c.division, &c.steps, &negative, kNaN, nullptr),
            VORL_E_RANGE_VALVE_COUNT);
}

}  // namespace

namespace {

// A case reaches beyond the one-call ranges (1,000 km for the breach and a
// valve): its breach anywhere on the longest line (2,000 km), a valve anywhere
// on its own line. Such a case is set up through VorlGenericInputsSet (the
// tool's and Python's runs of one: tests/tools/run_checks.cpp, test_case.py).
TEST_F(InputTable, ACaseReachesTheLongestLineWhereTheOneCallEntryStopsAt1000Km) {
  const struct {
    double length, breach, valve;
    int code, failingValve;
    bool fits;
    const char* said;
  } cases[] = {
      {5e5, 3e5, 2e5, VORL_OK, -1, true, ""},
      {1.5e6, 1.2e6, 2e5, VORL_OK, -1, false, ""},
      {1.5e6, 1.8e6, 2e5, VORL_OK, -1, false, ""},  // beyond its own line: at its end
      {1.5e6, 5e5, 1.4e6, VORL_OK, -1, false, ""},
      {1.5e6, 2.5e6, 2e5, VORL_E_RANGE_BREACH_LOCATION_HIGH, -1, false, "allowed 1 to 2000000 m"},
      {1.5e6, 5e5, 1.6e6, VORL_E_VALVE_BEYOND_PIPE, 1, false, "valve 2 position 1600000 m is beyond the pipe end"},
      {1.5e6, 5e5, kNaN, VORL_E_RANGE_VALVE_POSITION_LOW, 1, true, "valve 2 position is not a number"},
  };
  for (const auto& k : cases) {
    Case c;
    c.set(find("pipe length"), k.length);
    c.set(find("breach location"), k.breach);
    c.set(find("valve position"), 1e5, 0);
    c.set(find("valve position"), k.valve, 1);
    int failing = -7;
    EXPECT_EQ(VorlCheckCase(c.flags, c.inputs, c.first, c.second, &c.division, &c.steps, &c.valves, kNaN, &failing),
              k.code) << k.length << " " << k.breach << " " << k.valve;
    EXPECT_EQ(failing, k.failingValve) << k.valve;
    if (k.code != VORL_OK) {
      EXPECT_NE(lastReport().message.find(k.said), std::string::npos) << lastReport().message;
    }
    EXPECT_EQ(VorlCaseFitsOneCall(c.flags, c.inputs, c.first, c.second, &c.division, &c.steps, &c.valves) != 0, k.fits)
        << k.breach << " " << k.valve;
  }
  EXPECT_EQ(textOf(VorlInputCaseRangeText, find("breach location")), "1 to 2000000 m, beyond the pipe's end its end");
}

}  // namespace

namespace {

// The hole a model takes in a 0.5 m bore: the fast model from sqrt(0.2) x
// 0.5 m = 0.2236 m, the reference from 1 mm (aperture (0.001 / 0.5)^2 = 4e-6).
TEST_F(InputTable, TheCaseCheckOfEachModelTakesItsOwnSmallestHole) {
  const struct {
    int choice;
    double hole, aperture;  // the hole when not NaN, else the aperture
    int code;
    const char* said;
  } cases[] = {
      {VORL_MODEL_FAST, 0.1, kNaN, VORL_E_RANGE_APERTURE_LOW, "smallest hole the fast model takes in this bore"},
      {VORL_MODEL_REFERENCE, 0.1, kNaN, VORL_OK, ""},
      {VORL_MODEL_REFERENCE, 0.001, kNaN, VORL_OK, ""},
      {VORL_MODEL_REFERENCE, 0.0005, kNaN, VORL_E_HOLE_TOO_SMALL,
       "a hole of 0.0005 m (aperture 1e-06) is below the smallest the reference solution takes, 0.001 m"},
      {VORL_MODEL_REFERENCE, kNaN, 0.01, VORL_OK, ""},
      {VORL_MODEL_REFERENCE, kNaN, 0.0, VORL_E_HOLE_TOO_SMALL, "below the smallest the reference solution takes"},
      {2, kNaN, 1.0, VORL_E_INVALID_MODEL_CHOICE, ""},
  };
  for (const auto& k : cases) {
    Case c;
    c.valves = 0;
    c.set(find("pipe diameter"), 0.5);
    if (std::isnan(k.hole)) c.set(find("orifice aperture"), k.aperture);
    VorlErrorLogClear();
    EXPECT_EQ(VorlCheckCaseOfModel(k.choice, c.flags, c.inputs, c.first, c.second, &c.division, &c.steps, &c.valves,
                                   k.hole, nullptr),
              k.code) << k.choice << " " << k.hole << " " << k.aperture;
    if (k.code != VORL_OK) {
      EXPECT_NE(lastReport().message.find(k.said), std::string::npos) << lastReport().message;
    }
  }
}

}  // namespace

namespace {

// The input a refusal blames, whichever check refused it: hosts name its key.
TEST_F(InputTable, ACodeBlamesTheInputWhoseCheckGivesIt) {
  const struct {
    int code;
    const char* input;  // "" for none
  } cases[] = {
      {VORL_E_RANGE_PIPE_LENGTH_HIGH, "pipe length"},
      {VORL_E_INVALID_PIPE_LENGTH, "pipe length"},
      {VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW, "valve closure time"},
      {VORL_E_FRICTION_EXCEEDS_PRESSURE, "total inflow"},
      {VORL_E_FAR_END_BELOW_AMBIENT, "total inflow"},
      {VORL_E_INFLOW_CHOKED, "total inflow"},
      {VORL_E_HOLE_TOO_SMALL, ""},
      {VORL_OK, ""},
  };
  for (const auto& k : cases) {
    const int blamed = VorlInputOfCode(k.code);
    EXPECT_EQ(blamed < 0 ? std::string() : nameOf(blamed), k.input) << k.code;
  }
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

// A line below the pressure outside cannot flow out whatever its inflow: the
// refusal blames the upstream pressure (it blamed the inflow, "at most 0 kg/s").
TEST_F(InputTable, AnUpstreamPressureBelowTheOutsideIsItsOwnFaultNotTheInflows) {
  for (const double inflow : {0.0, 5.0}) {
    ModelHandle model(VorlModelCreateZel(kMethane));
    VorlTotalInflowSet(model, inflow);
    VorlErrorLogClear();
    VorlUpstreamPressureSet(model, 60000.0);
    EXPECT_EQ(VorlLastCode(), VORL_E_INVALID_UPSTREAM_PRESSURE) << inflow;
    EXPECT_EQ(nameOf(VorlInputOfCode(VorlLastCode())), "upstream pressure") << inflow;
  }
}

}  // namespace
