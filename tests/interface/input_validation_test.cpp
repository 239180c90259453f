#include "interface/input_validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <string>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace vorl {
namespace {

using test::lastReport;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A valid case of the one-call entry: a 100 km methane line breached in the
// middle, two valves. Every checked value has a slot: the inputs 0..15, the
// flags 16..17, the time division 18, the maximum steps 19, the valve
// positions 20..21 and the valve closure times 22..23.
struct Case {
  double v[24] = {288.15, 101325.0, 0.7, 100000.0, 0.0, 70e5, 50000.0, 1.0, 0.5, 5e-5, 28.966, 12.5,
                  1000.0, 1e-6,     0.01, 288.15,   1,   0,    100,     500, 10000.0, 80000.0, 60.0, 120.0};
  int valveCount = 2;

  // The check, with the pointer `missing` passed as null: 0 flags, 1 inputs,
  // 2 time division, 3 maximum steps, 4 valve count, 5 both valve arrays.
  int check(int missing = -1) const {
    const int flags[2] = {int(v[16]), int(v[17])}, division = int(v[18]), steps = int(v[19]);
    const double first[2] = {v[20], v[21]}, second[2] = {v[22], v[23]};
    const auto given = [missing](int k, auto* p) { return k == missing ? nullptr : p; };
    return VorlCheckInputs(given(0, flags), given(1, v), given(5, first), given(5, second), given(2, &division),
                           given(3, &steps), given(4, &valveCount));
  }
};

// One checked range: both bounds pass and the nearest values beyond them fail
// with their codes, but an excluded minimum fails itself.
struct Range {
  int slot;
  double minimum, maximum;
  int belowCode, aboveCode;
  bool minimumExcluded = false;
};

// The ranges with their codes in the order of their checks, as the one-call
// entry's inputs are defined (units SI); the valve ranges again for valve 2.
const Range kRanges[] = {
    {0, 200.0, 350.0, 301, 302},  {1, 50000.0, 120000.0, 303, 304}, {2, 0.0, 1.0, 305, 306},
    {3, 10.0, 2e6, 307, 308},     {4, 0.0, 1e5, 309, 310},          {5, 50000.0, 1e9, 311, 312},
    {6, 1.0, 1e6, 313, 314},      {7, 0.2, 1.0, 315, 316},          {16, 0.0, 1.0, 317, 317},
    {8, 0.01, 2.0, 318, 319},     {9, 1e-8, 0.001, 320, 321},       {20, 0.0, 1e6, 322, 323},
    {22, 0.0, 1e5, 324, 325, true}, {21, 0.0, 1e6, 322, 323},       {23, 0.0, 1e5, 324, 325, true},
    {18, 2.0, 1000.0, 326, 327},  {19, 2.0, 10000.0, 328, 329},     {10, 10.0, 100.0, 330, 331},
    {17, 0.0, 2.0, 332, 332},     {11, 1.0, 50.0, 333, 334},        {12, 0.01, 1000.0, 335, 336},
    {13, 0.0, 0.01, 337, 338},    {14, 0.0, 1.0, 339, 340},         {15, 150.0, 350.0, 342, 343},
};

bool isInteger(const Range& r) { return r.slot >= 16 && r.slot <= 19; }

// The nearest value beyond a bound in the given direction.
double beyond(const Range& r, double bound, double direction) {
  if (isInteger(r)) return bound + direction;
  return std::nextafter(bound, direction * std::numeric_limits<double>::infinity());
}

// The least value of a range that passes, and the greatest below it that fails.
double lowestPassing(const Range& r) { return r.minimumExcluded ? beyond(r, r.minimum, 1.0) : r.minimum; }
double highestFailingBelow(const Range& r) { return r.minimumExcluded ? r.minimum : beyond(r, r.minimum, -1.0); }

int checkWith(int slot, double value) {
  Case c;
  c.v[slot] = value;
  return c.check();
}

class InputValidation : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  void TearDown() override { VorlErrorLogClear(); }
};

TEST_F(InputValidation, EachBoundPassesAndTheNearestValueBeyondItFailsWithItsCode) {
  EXPECT_EQ(Case{}.check(), 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  ASSERT_EQ(std::size(kRanges), 22u + 2u);  // the 22 ranges, the valve ones again for valve 2
  for (const Range& r : kRanges) {
    EXPECT_EQ(checkWith(r.slot, lowestPassing(r)), 0) << r.belowCode;
    EXPECT_EQ(checkWith(r.slot, highestFailingBelow(r)), r.belowCode);
    EXPECT_EQ(checkWith(r.slot, r.maximum), 0) << r.aboveCode;
    EXPECT_EQ(checkWith(r.slot, beyond(r, r.maximum, 1.0)), r.aboveCode);
    // Not a number fails the first check on it (303, not 304, for the ambient pressure).
    if (isInteger(r)) continue;
    EXPECT_EQ(checkWith(r.slot, kNaN), r.belowCode);
  }
}

TEST_F(InputValidation, ChecksRunInTheirOrderValveByValve) {
  // Every input out of range below its minimum: putting them back one by one
  // shows the order of the checks.
  Case c;
  for (const Range& r : kRanges) c.v[r.slot] = highestFailingBelow(r);
  for (const Range& r : kRanges) {
    EXPECT_EQ(c.check(), r.belowCode);
    c.v[r.slot] = lowestPassing(r);
  }
  EXPECT_EQ(c.check(), 0);

  // A bad second value of valve 1 comes before a bad first value of valve 2.
  Case valves;
  valves.v[22] = 0.0;
  valves.v[21] = -1.0;
  EXPECT_EQ(valves.check(), 324);
  valves.v[22] = 2e5;
  EXPECT_EQ(valves.check(), 325);
  valves.v[22] = 60.0;
  EXPECT_EQ(valves.check(), 322);
}

TEST_F(InputValidation, NullPointersAreReportedAndValveArraysAreReadOnlyForValves) {
  for (int missing = 0; missing < 5; ++missing) {
    EXPECT_EQ(Case{}.check(missing), 5) << missing;
    EXPECT_EQ(lastReport().tag, "VorlCheckInput");
  }
  Case c;
  for (int valves : {0, -3, 1}) {
    c.valveCount = valves;
    EXPECT_EQ(c.check(5), valves > 0 ? 5 : 0) << valves;
  }
}

TEST_F(InputValidation, TheLoggedMessageNamesTheInputItsValueAndItsRange) {
  const struct {
    int slot;
    double value;
    int code;
    const char* message;
  } rows[] = {
      {0, 199.999, 301, "ambient temperature 199.999 K is below 200 K (allowed 200 to 350 K)"},
      {23, 0.0, 324, "valve 2 closure time 0 s is not above 0 s (allowed above 0 up to 100000 s)"},
      {1, kNaN, 303, "ambient pressure is not a number (allowed 50000 to 120000 Pa)"},
      {19, 10001, 329, "output maximum steps 10001 is above 10000 (allowed 2 to 10000)"},
      {3, 2000000.5, 308, "pipe length 2000000.5 m is above 2000000 m (allowed 10 to 2000000 m)"},
  };
  for (const auto& row : rows) {
    VorlErrorLogClear();
    EXPECT_EQ(checkWith(row.slot, row.value), row.code);
    ASSERT_EQ(VorlErrorLogCount(), 1);
    EXPECT_EQ(lastReport().tag, "VorlCheckInput");
    EXPECT_EQ(lastReport().message, "VORL " + std::to_string(row.code) + " VorlCheckInput: " + row.message);
  }
}

TEST(InputRangeDescription, EveryCodeOfTheChecksAndNoOtherTellsItsInput) {
  for (int code = 300; code <= 344; ++code) {
    EXPECT_EQ(inputRangeForCode(code) != nullptr, code != 300 && code != 341 && code != 344) << code;
  }
  EXPECT_STREQ(inputRangeForCode(317)->name, "valves active flag");
}

}  // namespace
}  // namespace vorl
