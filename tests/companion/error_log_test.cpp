// The process-wide error log as a host sees it through the C interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace {

using vorl::test::lastReport;

class ErrorLog : public ::testing::Test {
 protected:
  void SetUp() override { VorlErrorLogClear(); }
  void TearDown() override {
    VorlErrorHandlerSet(nullptr, nullptr);
    VorlErrorLogClear();
  }
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
};

void VORL_CALL collect(int code, const char*, int level, const char*, void* user) {
  static_cast<Received*>(user)->codes.push_back(code);
  static_cast<Received*>(user)->lastLevel = level;
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

// The default line through the one-call entry at division 1000, with a
// maximum velocity every outflow exceeds: each copied record and each row of
// the table warns 1004.
int oneCallWithAWarningPerRecord() {
  const int flags[2] = {0, 0};
  const double inputs[16] = {288.15, 101325.0, 0.7, 100000.0, 20.0, 7.0e6, 30000.0, 1.0,
                             0.5,    5e-5,     28.966, 12.5, 0.01, 1e-6, 0.01, 288.15};
  const int material = vorl::test::kMethane, valves = 0, division = 1000, steps = 2000;
  std::vector<std::vector<double>> out(59, std::vector<double>(steps));
  std::vector<int> counts(3);
  const auto d = [&](int i) { return out[static_cast<std::size_t>(i)].data(); };
  VorlGenericZel(flags, inputs, &material, &valves, nullptr, nullptr, &division, &steps, d(8), d(9), d(10), d(11),
                 &counts[0], d(13), d(14), d(15), d(16), d(17), d(18), d(19), d(20), d(21), d(22), d(23), d(24),
                 d(25), d(26), d(27), d(28), d(29), d(30), d(31), &counts[1], d(33), d(34), d(35), d(36), d(37),
                 d(38), d(39), d(40), d(41), d(42), d(43), d(44), d(45), d(46), d(47), d(48), &counts[2], d(50),
                 d(51), d(52), d(53), d(54), d(55), d(56), d(57), d(58));
  return counts[0] + counts[1] + counts[2];
}

TEST_F(ErrorLog, AWarningRepeatedInOneCallIsKeptOnceWithItsCountAndNoErrorIsLost) {
  VorlError(VORL_E_NOT_POSITIVE, "first");
  const int expansions = oneCallWithAWarningPerRecord();
  ASSERT_GT(expansions, 1000);  // enough reports to have filled the log before
  ASSERT_EQ(VorlErrorLogCount(), 2);
  EXPECT_EQ(VorlErrorLogCode(0), VORL_E_NOT_POSITIVE);
  EXPECT_EQ(VorlErrorLogRepeatCount(0), 1);
  EXPECT_EQ(VorlErrorLogCode(1), VORL_W_ABOVE_MAX_VELOCITY);
  // One expansion per copied record and per table row (the pipe's rows
  // expand both branches while both flow, so at least one each).
  EXPECT_GE(VorlErrorLogRepeatCount(1), expansions);
  EXPECT_EQ(VorlErrorLogRepeatCount(2), 0);  // out of range
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
