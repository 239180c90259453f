#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/release_cases.h"

namespace vorl::test {

// The methane line of methaneLine(inflow, breach), already run once; count
// holds what VorlRun returned.
struct RunLine : ModelHandle {
  explicit RunLine(double inflow = 0.0, double breach = 30000.0)
      : ModelHandle(methaneLine(inflow, breach)), count(VorlRun(get())) {}
  int count;
};

// One setting of an input, as a row of a table of cases holds it:
// setting(VorlPipeLengthSet, 0.0).
template <class Value>
std::function<void(VorlHandle)> setting(void(VORL_CALL* setter)(VorlHandle, Value), Value value) {
  return [setter, value](VorlHandle model) { setter(model, value); };
}

// A test that starts with an empty error log.
class LogClearedTest : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
};

// The last logged report has this code and tag.
inline ::testing::AssertionResult reported(int code, const std::string& tag) {
  const LoggedReport last = lastReport();
  if (last.code == code && last.tag == tag) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "last report " << last.code << " \"" << last.tag << "\", expected " << code
                                       << " \"" << tag << "\"";
}

}  // namespace vorl::test
