// The release plot: drawn by gnuplot into a PNG or SVG file (without gnuplot:
// input_checks.cpp). What it draws is read from the script that a stand-in
// gnuplot keeps, so that those checks need no gnuplot.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

// One series of the script: its panel (1 the release rate, 2 the mass
// released), legend label and points.
struct DrawnSeries {
  int panel = 0;
  std::string label;
  std::vector<std::pair<double, double>> points;
};

// What the script draws.
struct Drawing {
  double start = 0.0, end = 0.0;  // time axis, s
  double rateFloor = 0.0;         // bottom of the logarithmic rate axis
  std::vector<DrawnSeries> series;
  std::string script;

  const DrawnSeries* find(int panel, const std::string& label) const {
    for (const DrawnSeries& s : series) {
      if (s.panel == panel && s.label == label) return &s;
    }
    return nullptr;
  }
  // The labels of the rate panel that start with prefix.
  std::vector<std::string> labels(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const DrawnSeries& s : series) {
      if (s.panel == 1 && s.label.rfind(prefix, 0) == 0) found.push_back(s.label);
    }
    return found;
  }
};

std::string unquoted(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\'') ++i;  // '' stands for '
  }
  return out;
}

// Reads the data blocks ($name << EOD ... EOD), the axes and the items of
// each plot command ($name using 1:2 with ... title '...').
Drawing parseScript(const std::string& script) {
  Drawing d;
  d.script = script;
  std::map<std::string, std::vector<std::pair<double, double>>> blocks;
  std::istringstream lines(script);
  std::string line, block;
  int panel = 0;
  while (std::getline(lines, line)) {
    if (!block.empty()) {
      if (line == "EOD") {
        block.clear();
      } else {
        std::istringstream numbers(line);
        double x = 0.0, y = 0.0;
        numbers >> x >> y;
        blocks[block].push_back({x, y});
      }
      continue;
    }
    const std::size_t heredoc = line.find(" << EOD");
    if (heredoc != std::string::npos) {
      block = line.substr(0, heredoc);
      blocks[block];
    } else if (line.rfind("set xrange [", 0) == 0) {
      std::sscanf(line.c_str(), "set xrange [%lf:%lf]", &d.start, &d.end);
    } else if (line.rfind("set yrange [", 0) == 0 && panel == 0) {
      std::sscanf(line.c_str(), "set yrange [%lf:", &d.rateFloor);
    }
    const std::size_t item = line.find("$p");
    if (item == std::string::npos || line.find(" using 1:2 with ") == std::string::npos) continue;
    if (line.rfind("plot ", 0) == 0) ++panel;
    const std::string name = line.substr(item, line.find(' ', item) - item);
    const std::size_t title = line.find(" title '");
    const std::size_t close = line.rfind('\'');
    DrawnSeries s;
    s.panel = panel;
    if (title != std::string::npos) s.label = unquoted(line.substr(title + 8, close - title - 8));
    s.points = blocks[name];
    d.series.push_back(s);
  }
  return d;
}

// Runs brimlow run CASE --plot --json with a stand-in gnuplot that keeps the
// script and its title argument: the drawing, and the JSON document.
struct PlottedRun {
  Drawing drawing;
  Json result;
  std::string title;  // gnuplot's first argument after the script
};

PlottedRun plotWithStandIn(const std::string& caseJson, const char* reference = "--reference") {
  TempDir dir;
  std::filesystem::create_directories(dir / "bin");
  writeFile(dir / "bin/gnuplot", "#!/bin/sh\n/bin/cp \"$2\" '" + dir / "script.gp" + "' && printf '%s' \"$3\" > '" +
                                     dir / "title.txt" + "' && printf 'PNG' > \"$4\"\n");
  std::filesystem::permissions(dir / "bin/gnuplot", std::filesystem::perms::owner_all);
  writeFile(dir / "case.json", caseJson);
  const ToolRun run = runTool({"run", "case.json", "--plot", "--json", reference}, "", dir.path(), "PATH=" + dir / "bin");
  EXPECT_EQ(run.status, 0) << run.err;
  PlottedRun plotted;
  plotted.drawing = parseScript(readFile(dir / "script.gp"));
  plotted.result = Json::parse(run.out);
  plotted.title = readFile(dir / "title.txt");
  return plotted;
}

double summary(const PlottedRun& run, const char* field) {
  const Json& value = run.result["summary"][field];
  return value.is_null() ? INFINITY : value.get<double>();
}

TEST(Plot, BranchesAndTotalRunToTheEndOfTheFiniteHistory) {
  const PlottedRun run = plotWithStandIn(readFile(sourcePath("examples/cases/default.json")));
  const Drawing& d = run.drawing;
  // The case's text is the title argument, never part of the script.
  EXPECT_EQ(run.title.rfind("default case: methane", 0), 0u) << run.title;
  EXPECT_EQ(d.script.find("default case"), std::string::npos);

  // A logarithmic time axis up to the end of the finite history, which the
  // branch fed by the supply never reaches. (The curve's layout, its start, a
  // fed branch carried and the total the sum of the branches, is the
  // library's: tests/results/release_curve_test.cpp.)
  const double end = summary(run, "end_time_s");
  EXPECT_NEAR(d.end, end, 1e-8 * end);  // the script's numbers have nine digits
  EXPECT_GT(d.start, 0.0);
  for (const char* label : {"total", "branch A (upstream)", "branch B (downstream)"}) {
    for (int panel : {1, 2}) {
      const DrawnSeries* s = d.find(panel, label);
      ASSERT_NE(s, nullptr) << label << " in panel " << panel;
      ASSERT_GT(s->points.size(), 20u) << label;
      EXPECT_GE(s->points.front().first, d.start / 10) << label;
      EXPECT_NEAR(s->points.back().first, end, 1e-6 * end) << label << ": does not reach the end";
    }
    // Gas only leaves: what was released never shrinks.
    const auto& mass = d.find(2, label)->points;
    for (std::size_t i = 1; i < mass.size(); ++i) EXPECT_GE(mass[i].second, mass[i - 1].second * (1 - 1e-12));
  }

  // Branch B blows down at the end: its rate falls to zero and is drawn on
  // the bottom of the logarithmic axis, not dropped.
  EXPECT_DOUBLE_EQ(summary(run, "b_time_to_depressurise_s"), end);
  EXPECT_DOUBLE_EQ(d.find(1, "branch B (downstream)")->points.back().second, d.rateFloor);
  EXPECT_GT(d.rateFloor, 0.0);

  // Branch A, fed by the supply, is drawn above the floor to the right edge;
  // the total is drawn in tonnes of the summary's mass released at the end.
  EXPECT_GT(d.find(1, "branch A (upstream)")->points.back().second, d.rateFloor);
  const double total = d.find(2, "total")->points.back().second;
  EXPECT_NEAR(total, summary(run, "mass_released_end_kg") / 1000, 1e-6 * total);
}

// The events of the summary that fall within the plotted times, and only
// those, are marked on their branch's curve.
TEST(Plot, EventsWithinThePlottedTimesAreMarkedOnTheirBranch) {
  const struct {
    const char* field;
    const char* label;
  } kEvents[] = {{"a_time_to_disturb_entire_branch_s", "A: whole branch disturbed, "},
                 {"a_time_to_dechoke_s", "A: dechoked, "},
                 {"a_time_to_depressurise_s", "A: depressurised, "},
                 {"b_time_to_disturb_entire_branch_s", "B: whole branch disturbed, "},
                 {"b_time_to_flow_reversal_s", "B: flow reversed at the far end, "},
                 {"b_time_to_dechoke_s", "B: dechoked, "},
                 {"b_time_to_depressurise_s", "B: depressurised, "}};
  const std::string cases[] = {
      readFile(sourcePath("examples/cases/default.json")),
      readFile(sourcePath("examples/cases/valves.json")),
      R"({"upstream_pressure_Pa": 4e6, "breach_location_m": 5000, "aperture": 0.2})",  // fed, small hole
      R"({"inflow_kg_per_s": 0})",                                                     // both branches finish
      R"({"breach_location_m": 1})",  // branch A of 1 m is over before the axis starts
      R"({"breach_location_m": 100000})",  // a single branch
  };
  int before = 0, within = 0;
  for (const std::string& text : cases) {
    const PlottedRun run = plotWithStandIn(text);
    const Drawing& d = run.drawing;
    for (const auto& event : kEvents) {
      const double t = summary(run, event.field);
      const std::vector<std::string> marked = d.labels(event.label);
      const bool inRange = t >= d.start && t <= d.end * (1 + 1e-8);
      before += t < d.start;
      within += inRange;
      ASSERT_EQ(marked.size(), inRange ? 1u : 0u) << text << "\n" << event.label << " at " << t;
      if (!inRange) continue;
      const DrawnSeries& marker = *d.find(1, marked[0]);
      const DrawnSeries& curve = *d.find(1, event.label[0] == 'A' ? "branch A (upstream)" : "branch B (downstream)");
      ASSERT_EQ(marker.points.size(), 1u);
      EXPECT_NEAR(marker.points[0].first, t, 1e-8 * t);
      // On a stored record of its branch: the event times are record times.
      EXPECT_NE(std::find(curve.points.begin(), curve.points.end(), marker.points[0]), curve.points.end())
          << event.label;
      if (std::string(event.label).find("depressurised") == std::string::npos) continue;
      // A branch that finished runs along the bottom of the axis to the end.
      for (const auto& point : curve.points) {
        if (point.first >= t) {
          EXPECT_DOUBLE_EQ(point.second, d.rateFloor) << event.label << " at " << point.first;
        }
      }
      EXPECT_EQ(curve.points.back().first, d.end);
    }
    // A single branch: no curve for the other.
    EXPECT_EQ(d.find(1, "branch B (downstream)") != nullptr, run.result["layout"] != "single branch A") << text;
  }
  EXPECT_GT(before, 0) << "no case had an event before the axis";
  EXPECT_GT(within, 20);
}

TEST(Plot, ValvesThatShutAreMarkedAtTheirClosureTimes) {
  const std::string valves = readFile(sourcePath("examples/cases/valves.json"));
  const Drawing d = plotWithStandIn(valves).drawing;
  // 20 km is upstream of the breach at 30 km, shut at 300 s; 50 km
  // downstream, shut at 600 s. The branch is cut at the end of the step
  // that reaches the closure time.
  const struct {
    const char* label;
    double closure;
  } kClosures[] = {{"A: valve at 20 km shut, 5.0 min", 300.0}, {"B: valve at 50 km shut, 10.0 min", 600.0}};
  for (const auto& closure : kClosures) {
    const DrawnSeries* marker = d.find(1, closure.label);
    ASSERT_NE(marker, nullptr) << closure.label;
    EXPECT_NEAR(marker->points.at(0).first, closure.closure, 1.0);
    // The rate drops at the cut: two records at the closure time.
    const auto& curve = d.find(1, closure.label[0] == 'A' ? "branch A (upstream)" : "branch B (downstream)")->points;
    const auto at = std::find(curve.begin(), curve.end(), marker->points[0]);
    ASSERT_NE(at, curve.end());
    ASSERT_NE(at + 1, curve.end());
    EXPECT_EQ((at + 1)->first, at->first);
    EXPECT_LT((at + 1)->second, at->second);
  }
  EXPECT_EQ(d.labels("A: valve").size() + d.labels("B: valve").size(), 2u);

  // Valves that stay open are not marked.
  Json inactive = Json::parse(valves, nullptr, true, true);
  inactive["valves_active"] = false;
  const Drawing open = plotWithStandIn(inactive.dump()).drawing;
  EXPECT_TRUE(open.labels("A: valve").empty() && open.labels("B: valve").empty());
}

TEST(Plot, TheReferenceIsDrawnInBothPanelsFromItsTable) {
  const std::string line = R"({"pipe_length_m": 2000, "pipe_diameter_m": 0.2, "breach_location_m": 500,
                                "inflow_kg_per_s": 0)";
  const PlottedRun run = plotWithStandIn(line + R"(, "reference": true})");
  const Json& table = run.result["reference"]["table"];
  const DrawnSeries* rate = run.drawing.find(1, "reference");
  const DrawnSeries* mass = run.drawing.find(2, "reference");
  ASSERT_TRUE(rate != nullptr && mass != nullptr);
  EXPECT_NE(run.drawing.script.find("title 'reference'"), std::string::npos);
  EXPECT_NE(run.drawing.script.find("dt 2 title 'reference'"), std::string::npos) << "dashed";
  // Its report times after the breach (the breach instant lies left of the
  // logarithmic axis), to the nine digits of the script; rates at least the
  // axis' bottom, masses in tonnes.
  std::size_t drawn = 0;
  for (std::size_t i = 0; i < table["time_s"].size(); ++i) {
    const double t = table["time_s"][i].get<double>();
    if (t <= 0.0) continue;
    ASSERT_LT(drawn, rate->points.size());
    EXPECT_NEAR(rate->points[drawn].first, t, 1e-8 * t);
    const double r = std::max(table["release_rate_kg_per_s"][i].get<double>(), run.drawing.rateFloor);
    EXPECT_NEAR(rate->points[drawn].second, r, 1e-8 * r);
    const double tonnes = table["mass_released_kg"][i].get<double>() / 1000.0;
    EXPECT_NEAR(mass->points[drawn].second, tonnes, 1e-8 * tonnes);
    ++drawn;
  }
  EXPECT_EQ(drawn, rate->points.size());
  EXPECT_EQ(plotWithStandIn(line + "}", "--no-reference").drawing.find(1, "reference"), nullptr);

  if (std::system("command -v gnuplot > /dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
  TempDir dir;
  const ToolRun svg = runTool({"run", "-", "--reference", "--plot=svg", "--out", dir.path()}, line + "}");
  ASSERT_EQ(svg.status, 0) << svg.err;
  EXPECT_NE(readFile(dir / "release.svg").find("<title>reference</title>"), std::string::npos);
}

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
  // The document's title is the case's; each series is a group titled by
  // its legend entry.
  const std::size_t title = drawing.find("<title>");
  EXPECT_EQ(drawing.substr(title, 50), "<title>valves either side of the breach: methane (");
  for (const char* text : {"release rate (kg/s)", "mass released (t)", "<title>total</title>",
                           "<title>branch A (upstream)</title>", "<title>branch B (downstream)</title>",
                           "<title>A: valve at 20 km shut, 5.0 min</title>", ">B: depressurised, 40.5 min<"}) {
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
                           "` @ARG2 a_b^{c}\tend <b>&amp;";
  writeFile(dir / "hostile.json", Json{{"name", name}}.dump());
  const ToolRun hostile = runTool({"run", "hostile.json", "--plot=svg", "--out", "out"}, "", dir.path());
  ASSERT_EQ(hostile.status, 0) << hostile.err;
  EXPECT_FALSE(std::filesystem::exists(marker)) << "the name ran as a gnuplot command";
  // The title shows the name with its control characters as blanks.
  const std::string drawing = readFile(dir / "out/release.svg");
  EXPECT_NE(drawing.find("x'\" system \"touch " + marker + "\" ! touch"), std::string::npos) << "no title in the SVG";
  EXPECT_NE(drawing.find("a_b^{c} end"), std::string::npos) << "enhanced-text markup or the tab was not shown";
  // The document's title element holds it as escaped XML: no markup of the
  // name's gets into the document.
  EXPECT_NE(drawing.find("<title>x&apos;&quot; system &quot;touch "), std::string::npos);
  EXPECT_NE(drawing.find("end &lt;b&gt;&amp;amp;: methane"), std::string::npos);
  EXPECT_EQ(drawing.find("<b>"), std::string::npos);
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
