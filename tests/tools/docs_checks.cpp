// The help and the documentation show the keys the tool reads.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

// The Markdown table that follows the marker line in a document.
std::string tableAfterMarker(const std::string& document, const std::string& marker) {
  const std::size_t at = document.find(marker);
  if (at == std::string::npos) return "";
  std::size_t start = document.find("\n|", at);
  if (start == std::string::npos) return "";
  ++start;
  std::size_t end = start;
  while (end < document.size() && document[end] == '|') {
    const std::size_t next = document.find('\n', end);
    end = next == std::string::npos ? document.size() : next + 1;
  }
  return document.substr(start, end - start);
}

const char* const kMarker = "<!-- brimlow keys: the output of `brimlow keys --markdown` -->";

TEST(Docs, CliDocumentHasTheToolsKeyTable) {
  const ToolRun keys = runTool({"keys", "--markdown"});
  ASSERT_EQ(keys.status, 0);
  EXPECT_EQ(tableAfterMarker(readFile(sourcePath("docs/cli.md")), kMarker), keys.out)
      << "docs/cli.md: paste the output of brimlow keys --markdown after the marker";
}

TEST(Docs, ReadmeHasTheToolsKeyTable) {
  const std::string readme = readFile(sourcePath("README.md"));
  if (readme.find(kMarker) == std::string::npos) GTEST_SKIP() << "README.md has no key table yet";
  const ToolRun keys = runTool({"keys", "--markdown"});
  EXPECT_EQ(tableAfterMarker(readme, kMarker), keys.out)
      << "README.md: paste the output of brimlow keys --markdown after the marker";
}

TEST(Docs, EveryCommandHasHelpAndRunHelpListsEveryKey) {
  for (const char* command : {"run", "batch", "materials", "keys"}) {
    const ToolRun help = runTool({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS"}) {
      EXPECT_NE(help.out.find(section), std::string::npos) << command << " --help has no " << section;
    }
  }
  const ToolRun run = runTool({"run", "--help"});
  const ToolRun keys = runTool({"keys", "--markdown"});
  int listed = 0;
  for (std::size_t at = keys.out.find("| `"); at != std::string::npos; at = keys.out.find("| `", at + 1)) {
    const std::size_t close = keys.out.find('`', at + 3);
    const std::string key = keys.out.substr(at + 3, close - at - 3);
    EXPECT_NE(run.out.find("  " + key + " = "), std::string::npos) << key;
    ++listed;
  }
  EXPECT_GT(listed, 20);
}

TEST(Materials, ListsTheLibrarysMaterialsWithTheirMolarMasses) {
  const ToolRun run = runTool({"materials"});
  ASSERT_EQ(run.status, 0) << run.err;
  // Name, number, CAS number and the molar mass read back through the library.
  for (const char* line : {"methane                 74828  74-82-8          16.043",
                           "hydrogen              1333740  1333-74-0         2.016",
                           "air                 132259100  132259-10-0      28.959"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  // A case names a material in any spelling of it.
  const ToolRun sulphide = runTool({"run", "-"}, R"({"material": "Hydrogen Sulfide", "upstream_pressure_Pa": 2e6})");
  EXPECT_EQ(sulphide.status, 0) << sulphide.err;
  EXPECT_NE(sulphide.out.find("hydrogen sulphide (7783064)"), std::string::npos);
}

}  // namespace
}  // namespace brimlow_test
