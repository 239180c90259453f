#include "plot.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "case_units.h"
#include "numbers.h"
#include "output_files.h"
#include "reference.h"
#include "tables.h"
#include "text.h"
#include "vorl.h"

extern char** environ;

namespace brimlow {
namespace {

std::size_t columnIndex(const std::vector<Column>& columns, const char* name) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (std::string(columns[i].name) == name) return i;
  }
  return 0;
}

// Gnuplot's name of the SVG document (an identifier), replaced by the title.
constexpr const char* kSvgName = "brimlow_release";

// Colours of the curves: one per branch and one for the pipe as a whole.
constexpr const char* kColourA = "#1f5fa8";
constexpr const char* kColourB = "#d35400";
constexpr const char* kColourTotal = "#202020";
// The reference solution's total, dashed over the fast model's.
constexpr const char* kColourReference = "#1b9e77";

// The time axis is logarithmic, where the release is fastest in the first
// seconds and slow for hours; the library says where it starts and ends.
constexpr double kDecade = 10.0;

// A logarithmic rate axis spans at most this ratio below its highest rate:
// a rate that falls toward zero is drawn down to the axis rather than
// stretching it over decades of nothing.
constexpr double kRateSpan = 1e4;

constexpr double kKilogramsPerTonne = 1000.0;

// Records of a time within this fraction of the end belong to the plot.
constexpr double kEndTolerance = 1e-9;

// The columns of the library's release curve, and its series.
enum CurveColumn : std::size_t { kCurveSeries, kCurveTime, kCurveRate, kCurveMass };
enum class CurveSeries : int { kTotal, kBranchA, kBranchB };

// The curves of one branch, or of the pipe as a whole.
struct History {
  std::vector<PlotPoint> rate;  // kg/s
  std::vector<PlotPoint> mass;  // t released
  double carriedFrom = INFINITY;  // s: the last record of a fed branch carried on from there
};

// Adds a record after the breach to a history; false once past the end.
bool addRecord(History& h, double time, double rate, double mass, double end) {
  if (time > end * (1.0 + kEndTolerance)) return false;
  if (time > 0.0 && std::isfinite(rate) && std::isfinite(mass)) {
    h.rate.push_back({time, rate});
    h.mass.push_back({time, mass / kKilogramsPerTonne});
  }
  return true;
}

// The rows of a table after the breach up to the end, by the names of its
// time, release-rate and released-mass columns.
History rowsHistory(const std::vector<Column>& columns, const Table& table, const char* rateName,
                    const char* massName, double end) {
  const std::size_t time = columnIndex(columns, "time_s");
  const std::size_t rate = columnIndex(columns, rateName);
  const std::size_t mass = columnIndex(columns, massName);
  History h;
  for (const auto& row : table.rows) {
    if (!addRecord(h, row[time], row[rate], row[mass], end)) break;
  }
  return h;
}

// The reference's total at its report times.
History referenceHistory(const ReferenceResult& reference, double end) {
  return rowsHistory(referenceColumns(), reference.table, "release_rate_kg_per_s", "mass_released_kg", end);
}

// One series of the library's release curve: the instant of the breach
// (time 0) drawn at the start of the logarithmic axis, masses in tonnes.
History curveHistory(const ReleaseCurve& curve, CurveSeries series, double carriedFrom) {
  History h;
  h.carriedFrom = carriedFrom;
  for (const auto& row : curve.points.rows) {
    if (row[kCurveSeries] != static_cast<double>(series)) continue;
    const double t = std::max(row[kCurveTime], curve.start);
    h.rate.push_back({t, row[kCurveRate]});
    h.mass.push_back({t, row[kCurveMass] / kKilogramsPerTonne});
  }
  return h;
}

// The value of a curve at time t: that of its first point at t, or between
// the points around it.
double valueAt(const std::vector<PlotPoint>& points, double t) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].x < t) continue;
    if (points[i].x == t || i == 0) return points[i].y;
    const PlotPoint& a = points[i - 1];
    const PlotPoint& b = points[i];
    return a.y + (b.y - a.y) * (t - a.x) / (b.x - a.x);
  }
  return points.empty() ? 0.0 : points.back().y;
}

// A time for a legend: seconds, minutes or hours as people say it.
std::string timeText(double seconds) {
  char text[32];
  if (seconds < 120.0) {
    std::snprintf(text, sizeof text, "%.3g s", seconds);
  } else if (seconds < 7200.0) {
    std::snprintf(text, sizeof text, "%.1f min", seconds / 60.0);
  } else {
    std::snprintf(text, sizeof text, "%.2f h", seconds / 3600.0);
  }
  return text;
}

// An event of a branch: when, what, and gnuplot's symbol for it.
struct Event {
  double time;
  std::string what;
  const char* marker;
};

// Events at the same time sit on each other: open symbols around smaller
// filled ones keep each in sight.
constexpr const char* kValveMarker = "pt 4 ps 2.2";          // open square
constexpr const char* kDisturbedMarker = "pt 8 ps 1.7";      // open triangle
constexpr const char* kReversalMarker = "pt 13 ps 1.2";      // filled diamond
constexpr const char* kDechokeMarker = "pt 7 ps 1.3";        // filled circle
constexpr const char* kDepressuriseMarker = "pt 11 ps 1.5";  // filled triangle, point down

// What an event of the library's list is called on the plot, and its symbol.
Event eventOf(const RunEvent& event) {
  switch (event.kind) {
    case VORL_EVENT_VALVE_CLOSURE:
      return {event.time,
              std::isnan(event.valvePosition) ? "valve shut"
                                              : "valve at " + shortText(event.valvePosition / 1000.0) + " km shut",
              kValveMarker};
    case VORL_EVENT_WHOLE_BRANCH_DISTURBED: return {event.time, "whole branch disturbed", kDisturbedMarker};
    case VORL_EVENT_FLOW_REVERSAL: return {event.time, "flow reversed at the far end", kReversalMarker};
    case VORL_EVENT_DECHOKE: return {event.time, "dechoked", kDechokeMarker};
    default: return {event.time, "depressurised", kDepressuriseMarker};
  }
}

// The events of a branch in the order of time, as the library lists them.
std::vector<Event> branchEvents(const CaseResult& r, bool upstream) {
  std::vector<Event> events;
  for (const RunEvent& event : r.events) {
    if (event.upstream == upstream) events.push_back(eventOf(event));
  }
  return events;
}

std::string lineStyle(double width, const char* colour) {
  char style[64];
  std::snprintf(style, sizeof style, "lines lw %.1f lc rgb '%s'", width, colour);
  return style;
}

// The total is drawn beneath the branches and wider: where one branch alone
// releases, the branch's colour runs inside the total's.
constexpr double kTotalWidth = 3.5;
constexpr double kBranchWidth = 1.8;
constexpr double kReferenceWidth = 2.2;

struct Branch {
  bool upstream;
  const History& history;
  const char* label;
  const char* colour;
};

// The markers of a branch's events within the plotted times, on its curves.
void addEvents(PlotData& plot, const CaseResult& r, const Branch& branch) {
  for (const Event& event : branchEvents(r, branch.upstream)) {
    if (!(event.time >= plot.timeStart && event.time <= plot.timeEnd)) continue;
    const std::string style = std::string("points ") + event.marker + " lw 2 lc rgb '" + branch.colour + "'";
    const std::string label =
        std::string(branch.upstream ? "A" : "B") + ": " + event.what + ", " + timeText(event.time);
    plot.panels[0].series.push_back({label, style, {{event.time, valueAt(branch.history.rate, event.time)}}});
    plot.panels[1].series.push_back({label, style, {{event.time, valueAt(branch.history.mass, event.time)}}});
  }
}

// Zero cannot be drawn on a logarithmic axis: the rates are drawn no lower
// than its bottom, so that a branch that finishes runs along it to the end.
// True when some rate lay below it.
bool setLogFloor(PlotPanel& panel, double span) {
  double highest = 0.0, lowest = INFINITY;
  for (const PlotSeries& series : panel.series) {
    for (const PlotPoint& p : series.points) {
      highest = std::max(highest, p.y);
      if (p.y > 0.0) lowest = std::min(lowest, p.y);
    }
  }
  if (!(highest > 0.0)) highest = lowest = 1.0;
  panel.floor = std::pow(kDecade, std::floor(std::log10(std::max(lowest, highest / span))));
  bool lifted = false;
  for (PlotSeries& series : panel.series) {
    for (PlotPoint& p : series.points) {
      lifted = lifted || p.y < panel.floor;
      p.y = std::max(p.y, panel.floor);
    }
  }
  return lifted;
}

}  // namespace

namespace {

// The curves of the answer: the library's release curve of the fast model,
// or the reference's own series at its report times when it is the answer.
struct Curves {
  History total, a, b;
  // The other model's total, dashed beside them, and its name.
  History beside;
  const char* besideName = nullptr;
};

Curves curvesOf(const CaseResult& r, PlotData& plot) {
  Curves curves;
  const bool fastDrawn = !r.curve.points.rows.empty();
  if (r.model != "reference") {
    // The library lays the curve out; the plot only draws it.
    plot.timeEnd = r.curve.end;
    plot.timeStart = r.curve.start;
    curves.a = curveHistory(r.curve, CurveSeries::kBranchA, r.curve.carriedFromA);
    curves.b = curveHistory(r.curve, CurveSeries::kBranchB, r.curve.carriedFromB);
    curves.total = curveHistory(r.curve, CurveSeries::kTotal, INFINITY);
    if (r.reference.ran) {
      curves.beside = referenceHistory(r.reference, plot.timeEnd);
      curves.besideName = "reference";
    }
    return curves;
  }
  const double end = r.reference.endTime;
  const Table& table = r.reference.table;
  curves.total = referenceHistory(r.reference, end);
  curves.a = rowsHistory(referenceColumns(), table, "a_release_rate_kg_per_s", "a_mass_released_kg", end);
  curves.b = rowsHistory(referenceColumns(), table, "b_release_rate_kg_per_s", "b_mass_released_kg", end);
  plot.timeEnd = end;
  plot.timeStart = curves.total.rate.empty() ? end : curves.total.rate.front().x;
  if (fastDrawn) {
    curves.beside = curveHistory(r.curve, CurveSeries::kTotal, INFINITY);
    curves.besideName = "fast model";
  }
  return curves;
}

}  // namespace

PlotData releasePlot(const CaseResult& r) {
  PlotData plot;
  const Curves curves = curvesOf(r, plot);
  const History& a = curves.a;
  const History& b = curves.b;
  const History& total = curves.total;
  plot.panels = {{"release rate (kg/s)", true, 0.0, true, {}}, {"mass released (t)", false, 0.0, false, {}}};
  PlotPanel& rates = plot.panels[0];
  PlotPanel& masses = plot.panels[1];

  rates.series.push_back({"total", lineStyle(kTotalWidth, kColourTotal), total.rate});
  masses.series.push_back({"total", lineStyle(kTotalWidth, kColourTotal), total.mass});
  std::vector<Branch> branches;
  if (r.hasA) branches.push_back({true, a, "branch A (upstream)", kColourA});
  if (r.hasB) branches.push_back({false, b, "branch B (downstream)", kColourB});
  for (const Branch& branch : branches) {
    rates.series.push_back({branch.label, lineStyle(kBranchWidth, branch.colour), branch.history.rate});
    masses.series.push_back({branch.label, lineStyle(kBranchWidth, branch.colour), branch.history.mass});
  }
  if (curves.besideName != nullptr) {
    const std::string dashed = lineStyle(kReferenceWidth, kColourReference) + " dt 2";
    rates.series.push_back({curves.besideName, dashed, curves.beside.rate});
    masses.series.push_back({curves.besideName, dashed, curves.beside.mass});
  }
  // The rate at the instant of the breach lies left of a logarithmic time
  // axis: shown on its left edge.
  const double initial = summaryValue(r, "initial_release_rate_kg_per_s");
  if (std::isfinite(initial) && initial > 0.0) {
    rates.series.push_back({"total at the instant of the breach, " + shortText(std::round(initial)) + " kg/s",
                            "points pt 6 ps 1.8 lw 2 lc rgb '" + std::string(kColourTotal) + "'",
                            {{plot.timeStart, initial}}});
  }
  for (const Branch& branch : branches) addEvents(plot, r, branch);
  if (setLogFloor(rates, kRateSpan)) {
    plot.notes.push_back("Rates below " + shortText(rates.floor) + " kg/s (zero too) lie on the axis.");
  }
  for (const Branch& branch : branches) {
    if (branch.history.carriedFrom >= plot.timeEnd) continue;
    plot.notes.push_back(std::string(branch.upstream ? "Branch A" : "Branch B") +
                         ", fed by the supply, holds its last rate");
    plot.notes.push_back("from its last record on (" + timeText(branch.history.carriedFrom) + ").");
  }
  plot.notes.push_back(r.model == "reference"
                           ? "The reference solution's answer; it ends at " + timeText(plot.timeEnd) + "."
                           : "The plot ends with the finite history (" + timeText(plot.timeEnd) + ").");
  return plot;
}

std::string findGnuplot() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  std::string paths = path;
  std::size_t start = 0;
  while (start <= paths.size()) {
    const std::size_t colon = paths.find(':', start);
    std::string dir = paths.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/gnuplot";
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR)) return candidate;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return "";
}

std::string plotTitle(const Case& c, const CaseResult& r) {
  std::string title = c.name.empty() ? gasText(c) : withoutControlCharacters(c.name) + ": " + gasText(c);
  const std::string hole = hasHoleDiameter(c) ? " (hole " + shortText(c.holeDiameter) + " m)" : "";
  return title + ", " + shortText(c.pipeLength / 1000.0) + " km x " + shortText(c.pipeDiameter) + " m at " +
         shortText(c.upstreamPressure / 1e5) + " bar, breach at " + shortText(r.breachLocation / 1000.0) +
         " km, aperture " + shortText(c.aperture) + hole;
}

namespace {

// Text of the tool's own (a legend entry) as a gnuplot string: single
// quotes take nothing but a doubled quote as special; control characters,
// which would end the command, go.
std::string quoted(const std::string& text) {
  std::string out = "'";
  for (const char ch : withoutControlCharacters(text)) out += ch == '\'' ? std::string("''") : std::string(1, ch);
  return out + "'";
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// The time axis in seconds, its tics named in the units people use.
std::string timeTics(double start, double end) {
  static const struct {
    double seconds;
    const char* name;
  } kTics[] = {{0.001, "1 ms"}, {0.01, "0.01 s"}, {0.1, "0.1 s"}, {1.0, "1 s"},      {10.0, "10 s"},
               {60.0, "1 min"}, {600.0, "10 min"}, {3600.0, "1 h"}, {36000.0, "10 h"}, {360000.0, "100 h"}};
  std::string tics;
  for (const auto& tic : kTics) {
    if (tic.seconds < start * (1 - 1e-9) || tic.seconds > end * (1 + 1e-9)) continue;
    tics += std::string(tics.empty() ? "" : ", ") + "'" + tic.name + "' " + number(tic.seconds);
  }
  return "set xtics (" + tics + ")\n";
}

}  // namespace

namespace {

// The layout, as fractions of the picture: the panels stacked on the left,
// the legend in a column on their right.
constexpr double kPanelsTop = 0.92, kPanelsBottom = 0.08, kPanelGap = 0.08;
constexpr double kPanelsLeft = 0.09, kPanelsRight = 0.66, kLegendLeft = 0.68;
constexpr double kNotesTop = 0.40, kNoteSpacing = 0.03;

// The name of a series' data block in the script.
std::string blockName(std::size_t panel, std::size_t series) {
  return "$p" + std::to_string(panel + 1) + "s" + std::to_string(series + 1);
}

// Every series' points as an inline data block: numbers only.
std::string dataBlocks(const PlotData& plot) {
  std::string s;
  for (std::size_t p = 0; p < plot.panels.size(); ++p) {
    for (std::size_t i = 0; i < plot.panels[p].series.size(); ++i) {
      s += blockName(p, i) + " << EOD\n";
      for (const PlotPoint& point : plot.panels[p].series[i].points) {
        s += number(point.x) + " " + number(point.y) + "\n";
      }
      s += "EOD\n";
    }
  }
  return s;
}

// The commands of panel p: its place, axes and plot of its series (a
// series without points has nothing to draw, and gnuplot refuses a plot of
// nothing but empty ones).
std::string panelCommands(const PlotData& plot, std::size_t p) {
  const PlotPanel& panel = plot.panels[p];
  const double height = (kPanelsTop - kPanelsBottom - kPanelGap * (plot.panels.size() - 1)) / plot.panels.size();
  const double top = kPanelsTop - p * (height + kPanelGap);
  std::string s = "set tmargin at screen " + number(top) + "\nset bmargin at screen " + number(top - height) + "\n";
  s += p + 1 == plot.panels.size() ? "set xlabel 'time since the breach'\n" : "unset xlabel\n";
  s += "set ylabel " + quoted(panel.yLabel) + "\n";
  s += panel.legend ? "set key\n" : "set key off\n";
  if (panel.logY) {
    s += "set logscale y\nset yrange [" + number(panel.floor) + ":*]\n";
  } else {
    s += "unset logscale y\nset yrange [0:*]\n";
  }
  std::string items;
  for (std::size_t i = 0; i < panel.series.size(); ++i) {
    const PlotSeries& series = panel.series[i];
    if (series.points.empty()) continue;
    items += std::string(items.empty() ? "plot " : ", \\\n     ") + blockName(p, i) + " using 1:2 with " +
             series.style + " " + (series.label.empty() ? "notitle" : "title " + quoted(series.label));
  }
  return s + items + "\n";
}

// The notes in the legend's column, below the middle of the picture.
std::string noteLabels(const std::vector<std::string>& notes) {
  std::string s;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    s += "set label " + std::to_string(i + 1) + " " + quoted(notes[i]) + " at screen " + number(kLegendLeft) + "," +
         number(kNotesTop - i * kNoteSpacing) + " left font ',10' textcolor rgb '#505050' noenhanced\n";
  }
  return s;
}

}  // namespace

std::string plotScript(const std::string& format, const PlotData& plot) {
  std::string s;
  if (format == "svg") {
    s += std::string("set terminal svg size 1240,820 dynamic name '") + kSvgName +
         "' font 'sans,12' background rgb 'white'\n";
  } else {
    s += "set terminal pngcairo size 1240,820 font 'sans,11'\n";
  }
  s += "set output ARG2\n";
  s += dataBlocks(plot);
  // The title is text to show, not markup: noenhanced keeps ^, _ and braces.
  s += "set multiplot title ARG1 noenhanced\n";
  s += "set grid xtics ytics mytics lt 1 lw 0.5 lc rgb '#e4e4e4'\n";
  s += "set logscale x\n";
  s += "set xrange [" + number(plot.timeStart) + ":" + number(plot.timeEnd) + "]\n";
  s += timeTics(plot.timeStart, plot.timeEnd);
  s += "set format y '%g'\n";
  s += "set lmargin at screen " + number(kPanelsLeft) + "\nset rmargin at screen " + number(kPanelsRight) + "\n";
  s += "set key at screen " + number(kLegendLeft) + "," + number(kPanelsTop) +
       " top left Left reverse noenhanced spacing 1.3 samplen 2.5\n";
  for (std::size_t p = 0; p < plot.panels.size(); ++p) {
    // Labels stay set for every later plot: the notes go with the last.
    if (p + 1 == plot.panels.size()) s += noteLabels(plot.notes);
    s += panelCommands(plot, p);
  }
  s += "unset multiplot\n";
  s += "set output\n";
  return s;
}

namespace {

// Text as XML character data or an attribute value.
std::string xmlEscaped(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += ch;
    }
  }
  return out;
}

// The most of the title kept in the SVG's title element.
constexpr std::size_t kSvgTitleKept = 300;

// Gnuplot names an SVG document by its terminal's `name`, an identifier; the
// document's title element gets the plot's title instead, as escaped XML
// (bytes that are no UTF-8 shown as escapes), and the drawing is copied to
// outputPath. False with a problem.
bool writeTitledSvg(const std::string& drawingPath, const std::string& outputPath, const std::string& shownPath,
                    const std::string& title, std::string& problem) {
  std::ifstream in(drawingPath, std::ios::binary);
  std::ostringstream read;
  read << in.rdbuf();
  std::string drawing = read.str();
  if (drawing.empty()) {
    problem = "gnuplot wrote no " + shownPath;
    return false;
  }
  const std::string named = std::string("<title>") + kSvgName + "</title>";
  const std::size_t at = drawing.find(named);
  if (at != std::string::npos) {
    drawing.replace(at, named.size(), "<title>" + xmlEscaped(shownText(title, kSvgTitleKept)) + "</title>");
  }
  std::FILE* file = std::fopen(outputPath.c_str(), "wb");
  if (file == nullptr) {
    problem = "cannot write " + shownPath + " (" + std::strerror(errno) + ")";
    return false;
  }
  CheckedStream stream(file, shownPath);
  const bool written = stream.write(drawing) && stream.flush();
  if (std::fclose(file) != 0 || !written) {
    problem = written ? "cannot write " + shownPath + " (" + std::strerror(errno) + ")" : stream.problem();
    return false;
  }
  return true;
}

// The most of gnuplot's messages kept for a report of its failure.
constexpr std::size_t kMessagesKept = 4096;

// Runs gnuplot with the arguments, its standard input and output on
// /dev/null and its standard error read into messages; false when it could
// not be started or waited for.
bool runGnuplot(const std::string& gnuplot, const std::vector<std::string>& arguments, std::string& messages,
                int& status) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  std::vector<char*> argv;
  std::vector<std::string> words = {gnuplot};
  words.insert(words.end(), arguments.begin(), arguments.end());
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, gnuplot.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    return false;
  }
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(pipeEnds[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    messages.append(chunk, static_cast<std::size_t>(got));
    if (messages.size() > kMessagesKept) messages.resize(kMessagesKept);
  }
  ::close(pipeEnds[0]);
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The first line of gnuplot's messages that says something, as data.
std::string firstMessage(const std::string& messages) {
  std::size_t start = 0;
  while (start < messages.size()) {
    const std::size_t end = std::min(messages.find('\n', start), messages.size());
    const std::string line = messages.substr(start, end - start);
    if (line.find_first_not_of(" \t\r^") != std::string::npos) return shownText(line, 200);
    start = end + 1;
  }
  return "";
}

}  // namespace

bool writePlot(const std::string& gnuplot, const std::string& outputPath, const std::string& shownPath,
               const std::string& format, const Case& c, const CaseResult& result, std::string& problem) {
  if (result.pipe.rows.size() < 3) {
    problem = "no output times to plot";
    return false;
  }
  ScratchFile script;
  if (!script.create("brimlow-plot", plotScript(format, releasePlot(result)), problem)) return false;
  // An SVG is drawn aside first: its title element is set afterwards.
  const bool svg = format == "svg";
  ScratchFile drawing;
  if (svg && !drawing.create("brimlow-plot-svg", "", problem)) return false;
  const std::string title = plotTitle(c, result);
  std::string messages;
  int status = 0;
  if (!runGnuplot(gnuplot, {"-c", script.path(), title, svg ? drawing.path() : outputPath}, messages, status)) {
    problem = "cannot start " + gnuplot;
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const std::string message = firstMessage(messages);
    problem = "gnuplot failed to draw " + shownPath + (message.empty() ? "" : ": " + message);
    return false;
  }
  if (svg) return writeTitledSvg(drawing.path(), outputPath, shownPath, title, problem);
  struct stat info {};
  if (::stat(outputPath.c_str(), &info) != 0 || (S_ISREG(info.st_mode) && info.st_size == 0)) {
    problem = "gnuplot wrote no " + shownPath;
    return false;
  }
  return true;
}

}  // namespace brimlow
