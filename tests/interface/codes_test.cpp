// The report codes: one table (include/vorl_codes.inc) names them in vorl.h,
// gives the library their default texts and the VBA module its constants.
// Two codes of one value would give the second the first's text: caught here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace {

struct Code {
  std::string name;
  int value;
  const char* text;
};

const Code kCodes[] = {
#define VORL_CODE(name, value, text) {#name, name, text},
#include "vorl_codes.inc"
#undef VORL_CODE
};

TEST(Codes, EachCodeGivesItsTextToHostsAndToAReportWithoutAMessage) {
  for (const Code& code : kCodes) {
    char text[128];
    EXPECT_EQ(VorlCodeText(code.value, text, sizeof text), static_cast<int>(std::strlen(code.text))) << code.name;
    EXPECT_STREQ(text, code.text);
    VorlError(code.value, "tag");
    EXPECT_EQ(vorl::test::lastReport().message, "VORL " + std::to_string(code.value) + " tag: " + code.text);
  }
  char cut[4];
  EXPECT_EQ(VorlCodeText(VORL_E_NO_MODEL, cut, sizeof cut),
            static_cast<int>(std::strlen("no model: the handle is null")));
  EXPECT_STREQ(cut, "no ");
  EXPECT_EQ(VorlCodeText(341, cut, sizeof cut), -1);  // no such code
  VorlError(341, "tag");
  EXPECT_EQ(vorl::test::lastReport().message, "VORL 341 tag: error");
  VorlErrorLogClear();
}

}  // namespace
