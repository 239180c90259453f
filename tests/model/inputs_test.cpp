// The run's guard and the queries' argument checks: every code told to hosts
// in the README with the input's name and valid range.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "model/argument_checks.h"
#include "model/inputs.h"

namespace {

std::string readme() {
  std::ifstream in(VORL_README_FILE);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
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
  for (std::size_t i = 0; i < vorl::inputCount(); ++i) {
    const vorl::Input& row = vorl::inputAt(i);
    if (row.guard.code != 0) {
      EXPECT_TRUE(listed(row.guard.code, row.name, row.guard.validRange)) << row.guard.code;
    }
  }
  for (std::size_t i = 0; i < vorl::argumentCheckCount(); ++i) {
    const vorl::ArgumentCheck& row = vorl::argumentCheckAt(i);
    EXPECT_TRUE(listed(row.code, row.name, row.validRange)) << row.code;
  }
}

}  // namespace
