// The documentation and the help show what the tool does.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

// The Markdown table that follows the marker line of a document.
std::string keyTableOf(const std::string& document) {
  const std::size_t marker = document.find("<!-- brimlow keys: the output of `brimlow keys --markdown` -->");
  const std::size_t start = document.find("\n|", marker);
  if (marker == std::string::npos || start == std::string::npos) return "";
  std::size_t end = start + 1;
  while (end < document.size() && document[end] == '|') {
    const std::size_t next = document.find('\n', end);
    end = next == std::string::npos ? document.size() : next + 1;
  }
  return document.substr(start + 1, end - start - 1);
}

TEST(Docs, ReadmeAndCliDocumentHaveTheToolsKeyTable) {
  const ToolRun keys = runTool({"keys", "--markdown"});
  ASSERT_EQ(keys.status, 0);
  for (const char* document : {"README.md", "docs/cli.md"}) {
    EXPECT_EQ(keyTableOf(readFile(sourcePath(document))), keys.out)
        << document << ": paste the output of brimlow keys --markdown after the marker";
  }
}

TEST(Docs, EveryCommandShowsItsManualPage) {
  for (const char* command : {"run", "batch", "materials", "keys"}) {
    const ToolRun help = runTool({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find("SYNOPSIS\n  brimlow " + std::string(command)), std::string::npos) << help.out;
  }
}

TEST(Materials, ListsTheLibrarysMaterialsAndACaseNamesThemInAnySpelling) {
  const ToolRun run = runTool({"materials"});
  ASSERT_EQ(run.status, 0) << run.err;
  // Name, number, CAS number and the molar mass read back through the library.
  for (const char* line : {"methane                 74828  74-82-8          16.043",
                           "hydrogen              1333740  1333-74-0         2.016",
                           "air                 132259100  132259-10-0      28.959"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  const ToolRun sulphide = runTool({"run", "-"}, R"({"material": "Hydrogen Sulfide", "upstream_pressure_Pa": 2e6})");
  EXPECT_EQ(sulphide.status, 0) << sulphide.err;
  EXPECT_NE(sulphide.out.find("hydrogen sulphide (7783064)"), std::string::npos);
}

}  // namespace
}  // namespace brimlow_test
