// The table of input checks: one code per input, every code told to hosts in
// the README with the input's name and valid range.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "model/input_checks.h"

namespace {

std::string readme() {
  std::ifstream in(VORL_README_FILE);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(InputChecks, EachInputHasItsOwnCodeOutsideTheOneCallRanges) {
  std::set<int> codes;
  for (std::size_t i = 0; i < vorl::modelInputCheckCount(); ++i) codes.insert(vorl::modelInputCheckAt(i).code);
  for (std::size_t i = 0; i < vorl::argumentCheckCount(); ++i) codes.insert(vorl::argumentCheckAt(i).code);
  EXPECT_EQ(codes.size(), vorl::modelInputCheckCount() + vorl::argumentCheckCount());
  EXPECT_GE(*codes.begin(), 350);  // 301 to 343 belong to the one-call entry
  EXPECT_LT(*codes.rbegin(), 1000);  // 1000 and up are warnings and run faults
}

TEST(InputChecks, TheReadmeListsEveryCodeWithItsInputAndRange) {
  const std::string text = readme();
  ASSERT_FALSE(text.empty());
  const auto listed = [&](int code, const std::string& name, const std::string& range) {
    const std::string row = "| " + std::to_string(code) + " | ";
    const std::size_t at = text.find(row);
    if (at == std::string::npos) return false;
    const std::string line = text.substr(at, text.find('\n', at) - at);
    return line.find(name) != std::string::npos && line.find(range) != std::string::npos;
  };
  for (std::size_t i = 0; i < vorl::modelInputCheckCount(); ++i) {
    const vorl::ModelInputCheck& row = vorl::modelInputCheckAt(i);
    EXPECT_TRUE(listed(row.code, row.name, row.validRange)) << row.code;
  }
  for (std::size_t i = 0; i < vorl::argumentCheckCount(); ++i) {
    const vorl::ArgumentCheck& row = vorl::argumentCheckAt(i);
    EXPECT_TRUE(listed(row.code, row.name, row.validRange)) << row.code;
  }
}

}  // namespace
