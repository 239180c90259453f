// The process-wide error log as a host sees it through the C interface.
#include <gtest/gtest.h>

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

TEST_F(ErrorLog, ReportCarriesCodeTagAndAPlainMessage) {
  VorlError(205, "GBpu");
  ASSERT_EQ(VorlErrorLogCount(), 1);
  EXPECT_EQ(VorlErrorLogCode(0), 205);
  EXPECT_EQ(lastReport().tag, "GBpu");
  EXPECT_EQ(lastReport().message, "VORL 205 GBpu: the friction loss exceeds the available pressure");
  VorlError(7, nullptr);
  EXPECT_EQ(lastReport().tag, "");
}

TEST_F(ErrorLog, TextIsCutToTheBufferAndOutOfRangeIndicesGiveTheirMarkers) {
  char buffer[8] = "x";
  EXPECT_EQ(VorlErrorLogCode(0), 0);
  EXPECT_EQ(VorlErrorLogTag(0, buffer, sizeof buffer), -1);
  EXPECT_EQ(VorlErrorLogMessage(-1, buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "x");
  VorlError(202, "GBctor");
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
  VorlError(13, "vlBeta");
  VorlPipeLength(nullptr);
  VorlErrorHandlerSet(nullptr, &received);
  VorlError(14, "GFq");
  EXPECT_EQ(received.codes, (std::vector<int>{13, 2}));
  EXPECT_EQ(received.lastLevel, 2);
  EXPECT_EQ(VorlErrorLogCount(), 3);
}

}  // namespace
