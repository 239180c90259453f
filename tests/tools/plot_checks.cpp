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

}  // namespace
}  // namespace brimlow_test
