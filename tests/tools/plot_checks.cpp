// The release plot: drawn by gnuplot into a PNG or SVG file.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

bool haveGnuplot() { return std::system("command -v gnuplot > /dev/null 2>&1") == 0; }

TEST(Plot, PngOfTheDefaultCase) {
  if (!haveGnuplot()) GTEST_SKIP() << "gnuplot is not installed";
  TempDir dir;
  const ToolRun run = runTool({"run", "--out", "out", "--plot"}, "", dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string png = readFile(dir / "out/release.png");
  ASSERT_GT(png.size(), 10000u) << "too small to hold two panels";
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST(Plot, SvgInTheCurrentDirectoryWithoutOut) {
  if (!haveGnuplot()) GTEST_SKIP() << "gnuplot is not installed";
  TempDir dir;
  const ToolRun run =
      runTool({"run", sourcePath("examples/cases/valves.json"), "--plot=svg", "--json"}, "", dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  // The JSON document on standard output is not disturbed by gnuplot.
  EXPECT_TRUE(nlohmann::json::accept(run.out));
  const std::string svg = readFile(dir / "release.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("release rate (kg/s)"), std::string::npos);
  EXPECT_NE(svg.find("mass released (t)"), std::string::npos);
  EXPECT_NE(svg.find("valves either side of the breach"), std::string::npos);
}

TEST(Plot, WithoutGnuplotNothingIsWritten) {
  TempDir dir;
  const ToolRun run = runTool({"run", "--out", "out", "--plot"}, "", dir.path(), "PATH=/nonexistent");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("needs gnuplot"), std::string::npos) << run.err;
  EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace brimlow_test
