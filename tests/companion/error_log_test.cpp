// The process-wide error log as a host sees it through the C interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "core/process_settings.h"
#include "support/error_log_helpers.h"
#include "support/generic_call.h"
#include "vorl.h"

namespace {

using vorl::test::lastReport;

class ErrorLog : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  // The one-call entry switches the counting mode on for the process: put back for the tests after.
  void TearDown() override {
    VorlErrorHandlerSet(nullptr, nullptr);
    VorlErrorLogClear();
    vorl::truncateAtInfinite = truncationBefore_;
  }
  const bool truncationBefore_ = vorl::truncateAtInfinite;
};

TEST_F(ErrorLog, TextIsCutToTheBufferAndOutOfRangeIndicesGiveTheirMarkers) {
  char buffer[8] = "x";
  EXPECT_EQ(VorlErrorLogCode(0), VORL_OK);
  EXPECT_EQ(VorlErrorLogTag(0, buffer, sizeof buffer), -1);
  EXPECT_EQ(VorlErrorLogMessage(-1, buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "x");
  VorlError(VORL_E_BREACH_OUTSIDE_PIPE, "GBctor");
  char small[4];
  EXPECT_EQ(VorlErrorLogTag(0, small, sizeof small), 6);  // the full length
  EXPECT_STREQ(small, "GBc");
  EXPECT_EQ(VorlErrorLogTag(0, nullptr, 0), 6);
  char one[1] = {'z'};
  EXPECT_EQ(VorlErrorLogTag(0, one, 1), 6);
  EXPECT_EQ(one[0], '\0');
}

TEST_F(ErrorLog, KeepsTheNewestThousandEntriesFromEveryThread) {
  for (int i = 0; i < 1005; ++i) VorlError(1000 + i, "t");
  EXPECT_EQ(VorlErrorLogCount(), 1000);
  EXPECT_EQ(VorlErrorLogCode(0), 1005);
  EXPECT_EQ(VorlErrorLogCode(999), 2004);
  VorlErrorLogClear();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) VorlError(t, "thread");
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(VorlErrorLogCount(), 800);
}

struct Received {
  std::vector<int> codes;
  int lastLevel = 0;
  std::vector<double> values;  // what VorlReportValue gave for each report
};

void VORL_CALL collect(int code, const char*, int level, const char*, void* user) {
  static_cast<Received*>(user)->codes.push_back(code);
  static_cast<Received*>(user)->lastLevel = level;
  static_cast<Received*>(user)->values.push_back(VorlReportValue());
}

TEST_F(ErrorLog, HandlerReceivesEveryReportUntilRemoved) {
  Received received;
  VorlErrorHandlerSet(&collect, &received);
  VorlError(VORL_E_NOT_POSITIVE, "vlBeta");
  VorlPipeLength(nullptr);
  VorlErrorHandlerSet(nullptr, &received);
  VorlError(VORL_E_NEGATIVE_ROOT, "GFq");
  EXPECT_EQ(received.codes, (std::vector<int>{13, 2}));
  EXPECT_EQ(received.lastLevel, 2);
  EXPECT_EQ(VorlErrorLogCount(), 3);
}

// ---- Repeated warnings and a full log ----

// The default line in one call at division 1000, above the maximum velocity: every record and row warns 1004.
int oneCallWithAWarningPerRecord() {
  vorl::test::GenericCall call(2000);
  call.inputs[4] = 20.0;   // inflow
  call.inputs[12] = 0.01;  // maximum velocity
  call.timeDivision = 1000;
  call();
  return call.recordsA + call.recordsB + call.outputSteps;
}

TEST_F(ErrorLog, AWarningRepeatedInOneCallIsKeptOnceWithItsCountAndNoErrorIsLost) {
  VorlError(VORL_E_NOT_POSITIVE, "first");
  Received received;
  VorlErrorHandlerSet(&collect, &received);
  const int expansions = oneCallWithAWarningPerRecord();
  VorlErrorHandlerSet(nullptr, nullptr);
  ASSERT_GT(expansions, 1000);  // enough reports to have filled the log before
  ASSERT_EQ(VorlErrorLogCount(), 2);
  EXPECT_EQ(VorlErrorLogCode(0), VORL_E_NOT_POSITIVE);
  EXPECT_EQ(VorlErrorLogRepeatCount(0), 1);
  EXPECT_EQ(VorlErrorLogCode(1), VORL_W_ABOVE_MAX_VELOCITY);
  // One expansion per copied record and per table row (the pipe's rows
  // expand both branches while both flow, so at least one each).
  EXPECT_GE(VorlErrorLogRepeatCount(1), expansions);
  EXPECT_EQ(VorlErrorLogRepeatCount(2), 0);  // out of range
  // And the range of the velocities its repeats quote: up to the choked
  // outflow's, the isothermal sound speed sqrt(R T / M) = 386.4 m/s of methane
  // at 288.15 K, down to a slower outflow after the dechoke.
  double lowest = 0.0, highest = 0.0;
  ASSERT_TRUE(VorlErrorLogRange(1, &lowest, &highest));
  EXPECT_NEAR(highest, 386.44, 0.005 * 386.44);
  EXPECT_GT(lowest, 0.01);
  EXPECT_LT(lowest, 0.9 * highest);
  // A handler is handed each repeat's value, so it finds the same count and range.
  ASSERT_EQ(static_cast<int>(received.values.size()), VorlErrorLogRepeatCount(1));
  EXPECT_EQ(*std::min_element(received.values.begin(), received.values.end()), lowest);
  EXPECT_EQ(*std::max_element(received.values.begin(), received.values.end()), highest);
  EXPECT_TRUE(std::isnan(VorlReportValue()));  // outside a handler
  EXPECT_FALSE(VorlErrorLogRange(0, &lowest, &highest));  // an error that quotes no value
  EXPECT_FALSE(VorlErrorLogRange(2, nullptr, nullptr));   // out of range
  // The next call's warnings are an entry of their own.
  oneCallWithAWarningPerRecord();
  EXPECT_EQ(VorlErrorLogCount(), 3);
}

TEST_F(ErrorLog, WhenFullTheOldestWarningGoesBeforeAnyError) {
  vorl::test::ModelHandle model(VorlModelCreateZel(vorl::test::kMethane));
  VorlError(VORL_E_NOT_POSITIVE, "kept");
  // Each call warns once (breach clamped to the pipe): separate entries.
  for (int i = 0; i < 1500; ++i) VorlPipeBreachLocationSet(model, -1.0);
  VorlError(VORL_E_NEGATIVE_ROOT, "newest");
  ASSERT_EQ(VorlErrorLogCount(), 1000);
  EXPECT_EQ(VorlErrorLogCode(0), VORL_E_NOT_POSITIVE);
  EXPECT_EQ(VorlErrorLogCode(999), VORL_E_NEGATIVE_ROOT);
  for (int i = 1; i < 999; ++i) ASSERT_EQ(VorlErrorLogCode(i), VORL_W_BREACH_CLAMPED) << i;
  // Errors alone still keep the newest thousand.
  VorlErrorLogClear();
  for (int i = 0; i < 1001; ++i) VorlError(100 + i, "e");
  EXPECT_EQ(VorlErrorLogCode(0), 101);
}

TEST_F(ErrorLog, TheHandlerHearsEveryRepeat) {
  Received received;
  VorlErrorHandlerSet(&collect, &received);
  VorlAtmosExpanMaxVelSet(nullptr, 1.0);
  const int expansions = oneCallWithAWarningPerRecord();
  VorlErrorHandlerSet(nullptr, nullptr);
  EXPECT_EQ(VorlErrorLogCount(), 2);
  const auto warnings = std::count(received.codes.begin(), received.codes.end(), 1004);
  EXPECT_EQ(warnings, VorlErrorLogRepeatCount(1));
  EXPECT_GE(warnings, expansions);
}

}  // namespace

// The last code: each call starts it at 0, an error sets it, a warning does not.
TEST_F(ErrorLog, TheLastCodeIsThatOfTheCallingThreadsLatestCall) {
  VorlHandle model = VorlModelCreateZel(74828);
  const struct {
    const char* what;
    void (*call)(VorlHandle);
    int code;
  } calls[] = {
      {"a null handle", [](VorlHandle) { VorlRun(nullptr); }, VORL_E_NO_MODEL},
      {"a setting that succeeds", [](VorlHandle m) { VorlPipeLengthSet(m, 1000.0); }, VORL_OK},
      {"a refused setting", [](VorlHandle m) { VorlTimeDivisionSet(m, 1); }, VORL_E_INVALID_TIME_DIVISION},
      {"a warning only", [](VorlHandle m) { VorlPipeBreachLocationSet(m, -5.0); }, VORL_OK},
      {"a query without a run", [](VorlHandle m) { VorlBranchATime(m, 0); }, VORL_E_NO_RESULTS},
      {"reading the log", [](VorlHandle) { VorlErrorLogCount(); }, VORL_OK},
  };
  for (const auto& c : calls) {
    VorlError(VORL_E_INTERNAL, "before");  // a call that fails, so a 0 is the next call's own
    c.call(model);
    EXPECT_EQ(VorlLastCode(), c.code) << c.what;
    EXPECT_EQ(VorlLastCode(), c.code) << c.what << ": reading it leaves it";
  }
  VorlModelDelete(&model);

  // Threads: one failing and one succeeding, interleaved, each sees its own.
  std::vector<int> failing, succeeding;
  std::thread a([&] {
    for (int i = 0; i < 200; ++i) {
      VorlRun(nullptr);
      failing.push_back(VorlLastCode());
    }
  });
  std::thread b([&] {
    for (int i = 0; i < 200; ++i) {
      VorlErrorLogCount();
      succeeding.push_back(VorlLastCode());
    }
  });
  a.join();
  b.join();
  EXPECT_EQ(std::count(failing.begin(), failing.end(), VORL_E_NO_MODEL), 200);
  EXPECT_EQ(std::count(succeeding.begin(), succeeding.end(), VORL_OK), 200);
}
