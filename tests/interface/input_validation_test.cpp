#include "interface/input_validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "companion/model_error.h"
#include "support/error_log_helpers.h"
#include "vorl.h"

namespace vorl {
namespace {

using test::lastReport;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A valid case of the one-call entry: a 100 km methane line breached in the
// middle, two valves.
struct Case {
  int flags[2] = {1, 0};
  double inputs[16] = {288.15, 101325.0, 0.7,  100000.0, 0.0,    70e5,  50000.0, 1.0,
                       0.5,    5e-5,     28.966, 12.5,   1000.0, 1e-6, 0.01,    288.15};
  std::vector<double> valveFirst = {10000.0, 80000.0};
  std::vector<double> valveSecond = {60.0, 120.0};
  int timeDivision = 100;
  int maxSteps = 500;
  int valveCount = 2;

  int check() const {
    return VorlCheckInputs(flags, inputs, valveFirst.data(), valveSecond.data(), &timeDivision, &maxSteps,
                           &valveCount);
  }
};

// Where a checked value sits.
enum class At { kFlag, kInput, kFirstOfValve, kSecondOfValve, kTimeDivision, kMaxSteps };
// lower: the bound passes, just below fails; upper: the bound passes, just
// above fails; above: the bound fails, just above passes.
enum class Side { kLower, kUpper, kAbove };

struct Check {
  int code;
  At at;
  int index;  // of flags, inputs or the valves
  double bound;
  Side side;
};

// The checks with their codes and bounds, as the one-call entry's inputs are
// defined (units SI).
const Check kChecks[] = {
    {301, At::kInput, 0, 200.0, Side::kLower},        {302, At::kInput, 0, 350.0, Side::kUpper},
    {303, At::kInput, 1, 50000.0, Side::kLower},      {304, At::kInput, 1, 120000.0, Side::kUpper},
    {305, At::kInput, 2, 0.0, Side::kLower},          {306, At::kInput, 2, 1.0, Side::kUpper},
    {307, At::kInput, 3, 10.0, Side::kLower},         {308, At::kInput, 3, 2e6, Side::kUpper},
    {309, At::kInput, 4, 0.0, Side::kLower},          {310, At::kInput, 4, 1e5, Side::kUpper},
    {311, At::kInput, 5, 50000.0, Side::kLower},      {312, At::kInput, 5, 1e9, Side::kUpper},
    {313, At::kInput, 6, 1.0, Side::kLower},          {314, At::kInput, 6, 1e6, Side::kUpper},
    {315, At::kInput, 7, 0.2, Side::kLower},          {316, At::kInput, 7, 1.0, Side::kUpper},
    {317, At::kFlag, 0, 0.0, Side::kLower},           {317, At::kFlag, 0, 1.0, Side::kUpper},
    {318, At::kInput, 8, 0.01, Side::kLower},         {319, At::kInput, 8, 2.0, Side::kUpper},
    {320, At::kInput, 9, 1e-8, Side::kLower},         {321, At::kInput, 9, 0.001, Side::kUpper},
    {322, At::kFirstOfValve, 0, 0.0, Side::kLower},   {323, At::kFirstOfValve, 0, 1e6, Side::kUpper},
    {324, At::kSecondOfValve, 0, 0.0, Side::kAbove},  {325, At::kSecondOfValve, 0, 1e5, Side::kUpper},
    {322, At::kFirstOfValve, 1, 0.0, Side::kLower},   {323, At::kFirstOfValve, 1, 1e6, Side::kUpper},
    {324, At::kSecondOfValve, 1, 0.0, Side::kAbove},  {325, At::kSecondOfValve, 1, 1e5, Side::kUpper},
    {326, At::kTimeDivision, 0, 2.0, Side::kLower},   {327, At::kTimeDivision, 0, 1000.0, Side::kUpper},
    {328, At::kMaxSteps, 0, 2.0, Side::kLower},       {329, At::kMaxSteps, 0, 10000.0, Side::kUpper},
    {330, At::kInput, 10, 10.0, Side::kLower},        {331, At::kInput, 10, 100.0, Side::kUpper},
    {332, At::kFlag, 1, 0.0, Side::kLower},           {332, At::kFlag, 1, 2.0, Side::kUpper},
    {333, At::kInput, 11, 1.0, Side::kLower},         {334, At::kInput, 11, 50.0, Side::kUpper},
    {335, At::kInput, 12, 0.01, Side::kLower},        {336, At::kInput, 12, 1000.0, Side::kUpper},
    {337, At::kInput, 13, 0.0, Side::kLower},         {338, At::kInput, 13, 0.01, Side::kUpper},
    {339, At::kInput, 14, 0.0, Side::kLower},         {340, At::kInput, 14, 1.0, Side::kUpper},
    {342, At::kInput, 15, 150.0, Side::kLower},       {343, At::kInput, 15, 350.0, Side::kUpper},
};

bool isInteger(At at) { return at == At::kFlag || at == At::kTimeDivision || at == At::kMaxSteps; }

void place(Case& c, const Check& check, double value) {
  switch (check.at) {
    case At::kFlag: c.flags[check.index] = static_cast<int>(value); break;
    case At::kInput: c.inputs[check.index] = value; break;
    case At::kFirstOfValve: c.valveFirst[check.index] = value; break;
    case At::kSecondOfValve: c.valveSecond[check.index] = value; break;
    case At::kTimeDivision: c.timeDivision = static_cast<int>(value); break;
    case At::kMaxSteps: c.maxSteps = static_cast<int>(value); break;
  }
}

// The value of the valid case at the place of a check.
double validValue(const Check& check) {
  const Case c;
  switch (check.at) {
    case At::kFlag: return c.flags[check.index];
    case At::kInput: return c.inputs[check.index];
    case At::kFirstOfValve: return c.valveFirst[check.index];
    case At::kSecondOfValve: return c.valveSecond[check.index];
    case At::kTimeDivision: return c.timeDivision;
    case At::kMaxSteps: return c.maxSteps;
  }
  return 0.0;
}

// The nearest value on the other side of the bound.
double justBeyond(const Check& check, double direction) {
  if (isInteger(check.at)) return check.bound + direction;
  return std::nextafter(check.bound, direction * std::numeric_limits<double>::infinity());
}

class InputValidation : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  void TearDown() override { VorlErrorLogClear(); }
};

TEST_F(InputValidation, AValidCaseReturnsZeroAndLogsNothing) {
  EXPECT_EQ(Case{}.check(), 0);
  EXPECT_EQ(VorlErrorLogCount(), 0);
}

TEST_F(InputValidation, EachBoundPassesAndTheNearestValueBeyondItFailsWithItsCode) {
  // The 42 checks, the two flag checks once for each end, the valve checks again for valve 2.
  ASSERT_EQ(std::size(kChecks), 42u + 2u + 4u);
  for (const Check& check : kChecks) {
    const double inward = check.side == Side::kUpper ? -1.0 : 1.0;
    Case atBound, beyond;
    if (check.side == Side::kAbove) {
      place(atBound, check, check.bound);
      place(beyond, check, justBeyond(check, inward));
      EXPECT_EQ(atBound.check(), check.code) << "bound " << check.bound << " must fail";
      EXPECT_EQ(beyond.check(), 0) << "just above " << check.bound << " must pass, code " << check.code;
      continue;
    }
    place(atBound, check, check.bound);
    place(beyond, check, justBeyond(check, -inward));
    EXPECT_EQ(atBound.check(), 0) << "bound " << check.bound << " of code " << check.code;
    EXPECT_EQ(beyond.check(), check.code) << "beyond " << check.bound;
  }
}

TEST_F(InputValidation, NotANumberFailsTheFirstCheckOnIt) {
  for (const Check& check : kChecks) {
    if (isInteger(check.at) || check.side == Side::kUpper) continue;
    Case c;
    place(c, check, kNaN);
    EXPECT_EQ(c.check(), check.code);
  }
  Case c;
  c.inputs[1] = kNaN;
  EXPECT_EQ(c.check(), 303);  // not 304
}

TEST_F(InputValidation, ChecksRunInTheirOrderValveByValve) {
  // Every input out of range below its minimum: fixing them one by one shows
  // the order of the checks.
  Case c;
  const Check* lowerChecks[std::size(kChecks)];
  std::size_t count = 0;
  for (const Check& check : kChecks) {
    if (check.side == Side::kUpper) continue;
    lowerChecks[count++] = &check;
    place(c, check, check.side == Side::kAbove ? check.bound : justBeyond(check, -1.0));
  }
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(c.check(), lowerChecks[i]->code) << "step " << i;
    place(c, *lowerChecks[i], validValue(*lowerChecks[i]));
  }
  EXPECT_EQ(c.check(), 0);

  // A bad second value of valve 1 comes before a bad first value of valve 2.
  Case valves;
  valves.valveSecond[0] = 0.0;
  valves.valveFirst[1] = -1.0;
  EXPECT_EQ(valves.check(), 324);
  valves.valveSecond[0] = 2e5;
  EXPECT_EQ(valves.check(), 325);
  valves.valveSecond[0] = 60.0;
  EXPECT_EQ(valves.check(), 322);
}

TEST_F(InputValidation, TheRangesOfTheOneCallEntryHoldAtTheirEdges) {
  Case c;
  c.inputs[3] = 10.0;  // shortest pipe
  c.inputs[6] = 1.0;   // breach 1 m from the upstream end
  EXPECT_EQ(c.check(), 0);
  c.inputs[6] = 0.5;   // no breach at the upstream end through this entry
  EXPECT_EQ(c.check(), 313);

  Case flags;
  flags.flags[1] = 3;
  EXPECT_EQ(flags.check(), 332);
  flags.flags[0] = 2;
  EXPECT_EQ(flags.check(), 317);

  Case valve;
  valve.valveFirst[0] = 0.0;  // a valve at the upstream end is allowed
  EXPECT_EQ(valve.check(), 0);
  valve.valveSecond[0] = 0.0;  // one shutting at the breach is not
  EXPECT_EQ(valve.check(), 324);
}

TEST_F(InputValidation, WithoutValvesTheValveArraysAreNotRead) {
  Case c;
  for (int valves : {0, -3}) {
    c.valveCount = valves;
    EXPECT_EQ(VorlCheckInputs(c.flags, c.inputs, nullptr, nullptr, &c.timeDivision, &c.maxSteps, &c.valveCount), 0)
        << valves;
  }
  c.valveCount = 1;
  EXPECT_EQ(VorlCheckInputs(c.flags, c.inputs, nullptr, nullptr, &c.timeDivision, &c.maxSteps, &c.valveCount), 5);
}

TEST_F(InputValidation, NullPointersAreReportedNotRead) {
  const Case c;
  const int* counts[] = {c.flags, &c.timeDivision, &c.maxSteps, &c.valveCount};
  for (int missing = 0; missing < 5; ++missing) {
    const auto pick = [&](int i) { return missing == i ? nullptr : counts[i]; };
    const double* inputs = missing == 4 ? nullptr : c.inputs;
    EXPECT_EQ(VorlCheckInputs(pick(0), inputs, c.valveFirst.data(), c.valveSecond.data(), pick(1), pick(2), pick(3)), 5)
        << missing;
    EXPECT_EQ(lastReport().tag, "VorlCheckInput");
  }
}

TEST_F(InputValidation, TheLoggedMessageNamesTheInputItsValueAndItsRange) {
  Case cold;
  cold.inputs[0] = 199.999;
  EXPECT_EQ(cold.check(), 301);
  ASSERT_EQ(VorlErrorLogCount(), 1);
  EXPECT_EQ(lastReport().tag, "VorlCheckInput");
  EXPECT_EQ(lastReport().message,
            "VORL 301 VorlCheckInput: ambient temperature 199.999 K is below 200 K (allowed 200 to 350 K)");

  Case valve;
  valve.valveSecond[1] = 0.0;
  valve.check();
  EXPECT_EQ(lastReport().message,
            "VORL 324 VorlCheckInput: valve 2 closure time 0 s is not above 0 s (allowed above 0 up to 100000 s)");

  Case pressure;
  pressure.inputs[1] = kNaN;
  pressure.check();
  EXPECT_EQ(lastReport().message,
            "VORL 303 VorlCheckInput: ambient pressure is not a number (allowed 50000 to 120000 Pa)");

  Case steps;
  steps.maxSteps = 10001;
  steps.check();
  EXPECT_EQ(lastReport().message,
            "VORL 329 VorlCheckInput: output maximum steps 10001 is above 10000 (allowed 2 to 10000)");

  Case length;
  length.inputs[3] = 2000000.5;
  length.check();
  EXPECT_EQ(lastReport().message,
            "VORL 308 VorlCheckInput: pipe length 2000000.5 m is above 2000000 m (allowed 10 to 2000000 m)");
}

TEST_F(InputValidation, TheInternalCheckRaisesTheCodeWithItsTag) {
  Case c;
  c.inputs[15] = 149.9;
  try {
    VorlCheckInput(c.flags, c.inputs, c.valveFirst.data(), c.valveSecond.data(), &c.timeDivision, &c.maxSteps,
                   &c.valveCount);
    FAIL() << "no raise";
  } catch (const MODELERROR& error) {
    EXPECT_EQ(error.eError(), 342);
    EXPECT_EQ(error.tag(), "VorlCheckInput");
    EXPECT_EQ(error.product(), "VORL");
  }
  EXPECT_EQ(VorlErrorLogCount(), 0);  // raising is not logging
}

TEST(InputRangeDescription, EveryCodeOfTheChecksTellsItsInputAndRange) {
  for (int code = 301; code <= 343; ++code) {
    const InputRange* range = inputRangeForCode(code);
    if (code == 341) {
      EXPECT_EQ(range, nullptr);
    } else {
      ASSERT_NE(range, nullptr) << code;
      EXPECT_NE(std::string(range->name), "") << code;
    }
  }
  EXPECT_EQ(inputRangeForCode(300), nullptr);
  EXPECT_EQ(inputRangeForCode(344), nullptr);

  const InputRange* temperature = inputRangeForCode(302);
  EXPECT_STREQ(temperature->name, "ambient temperature");
  EXPECT_STREQ(temperature->unit, "K");
  EXPECT_EQ(temperature->minimum, 200.0);
  EXPECT_EQ(temperature->maximum, 350.0);
  EXPECT_EQ(allowedRangeText(*temperature), "200 to 350 K");
  EXPECT_EQ(allowedRangeText(*inputRangeForCode(320)), "1e-08 to 0.001 m");
  EXPECT_EQ(allowedRangeText(*inputRangeForCode(325)), "above 0 up to 100000 s");
  EXPECT_EQ(allowedRangeText(*inputRangeForCode(332)), "0 to 2");
  EXPECT_STREQ(inputRangeForCode(317)->name, "valves active flag");

  // Listed in the order of their checks.
  ASSERT_EQ(inputRangeCount(), 22u);
  EXPECT_EQ(inputRangeAt(0).belowCode, 301);
  EXPECT_EQ(inputRangeAt(21).aboveCode, 343);
  for (std::size_t i = 1; i < inputRangeCount(); ++i) {
    EXPECT_GT(inputRangeAt(i).belowCode, inputRangeAt(i - 1).aboveCode) << i;
  }
}

}  // namespace
}  // namespace vorl
