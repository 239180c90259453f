// The release plot: drawn by gnuplot into a PNG or SVG file (without gnuplot:
// input_checks.cpp).
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

TEST(Plot, PngIntoTheOutputDirectoryAndSvgIntoTheCurrentOne) {
  if (std::system("command -v gnuplot > /dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
  TempDir dir;
  const ToolRun png = runTool({"run", "--out", "out", "--plot"}, "", dir.path());
  ASSERT_EQ(png.status, 0) << png.err;
  const std::string image = readFile(dir / "out/release.png");
  EXPECT_GT(image.size(), 10000u) << "too small to hold two panels";
  EXPECT_EQ(image.substr(1, 3), "PNG");

  const ToolRun svg =
      runTool({"run", sourcePath("examples/cases/valves.json"), "--plot=svg", "--json"}, "", dir.path());
  ASSERT_EQ(svg.status, 0) << svg.err;
  EXPECT_TRUE(Json::accept(svg.out)) << "gnuplot disturbed the JSON document on standard output";
  const std::string drawing = readFile(dir / "release.svg");
  for (const char* text : {"<svg", "release rate (kg/s)", "mass released (t)", "valves either side of the breach"}) {
    EXPECT_NE(drawing.find(text), std::string::npos) << text;
  }
}

// The case's text reaches gnuplot as data only: a name that closes gnuplot's
// quotes and starts a command on a line of its own would create a file if it
// ran. Gnuplot's own output never reaches the terminal.
TEST(Plot, TextOfTheCaseIsDataToGnuplotAndItsOutputStaysOffTheTerminal) {
  if (std::system("command -v gnuplot > /dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
  TempDir dir;
  const std::string marker = dir / "executed";
  const std::string name = "x'\"\nsystem \"touch " + marker + "\"\n! touch " + marker + "\n`touch " + marker +
                           "` @ARG2 a_b^{c}\tend";
  writeFile(dir / "hostile.json", Json{{"name", name}}.dump());
  const ToolRun hostile = runTool({"run", "hostile.json", "--plot=svg", "--out", "out"}, "", dir.path());
  ASSERT_EQ(hostile.status, 0) << hostile.err;
  EXPECT_FALSE(std::filesystem::exists(marker)) << "the name ran as a gnuplot command";
  // The title shows the name with its control characters as blanks.
  const std::string drawing = readFile(dir / "out/release.svg");
  EXPECT_NE(drawing.find("x'\" system \"touch " + marker + "\" ! touch"), std::string::npos) << "no title in the SVG";
  EXPECT_NE(drawing.find("a_b^{c} end"), std::string::npos) << "enhanced-text markup or the tab was not shown";
  // So does the summary's title on the terminal.
  const ToolRun summary = runTool({"run", "hostile.json"}, "", dir.path());
  const std::string title = summary.out.substr(0, summary.out.find("\n\n"));
  EXPECT_EQ(title.find_first_of("\t\n"), std::string::npos) << title;

  // A directory where the plot goes: a short message, no image bytes on the
  // terminal, and none of the run's files left behind.
  TempDir blocked;
  std::filesystem::create_directories(blocked / "out/release.png");
  const ToolRun failed = runTool({"run", "--out", "out", "--plot"}, "", blocked.path());
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("out/release.png is a directory"), std::string::npos) << failed.err;
  EXPECT_LT(failed.err.size(), 500u) << "gnuplot's output reached standard error";
  EXPECT_EQ(failed.out, "");
  const std::filesystem::directory_iterator left(blocked / "out");
  EXPECT_EQ(std::distance(begin(left), end(left)), 1) << "a failed run left some of its files";
}

}  // namespace
}  // namespace brimlow_test
