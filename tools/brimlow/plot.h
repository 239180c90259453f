// The release plot: release rate and mass released against time, per branch
// and in total, with the events of each branch, drawn by gnuplot into a PNG
// or SVG file.
#ifndef BRIMLOW_PLOT_H
#define BRIMLOW_PLOT_H

#include <string>
#include <vector>

#include "case.h"
#include "results.h"

namespace brimlow {

struct PlotPoint {
  double x;  // s since the breach
  double y;  // in the unit of the panel
};

// One curve or set of markers: its legend entry ("" for none), gnuplot's
// `with` clause that draws it, and its points. The series are data: adding
// one (a reference solution, say) is one more entry in a panel's list.
struct PlotSeries {
  std::string label;
  std::string style;
  std::vector<PlotPoint> points;
};

struct PlotPanel {
  std::string yLabel;
  bool logY = false;
  double floor = 0.0;  // bottom of a logarithmic axis; values below drawn on it
  bool legend = true;  // the series' labels in the legend (else only in an SVG)
  std::vector<PlotSeries> series;
};

// Panels above each other on one logarithmic time axis, and notes on how
// to read them.
struct PlotData {
  double timeStart = 0.0, timeEnd = 0.0;  // s
  std::vector<PlotPanel> panels;
  std::vector<std::string> notes;
};

// The plot of a case's results: the release rate of branch A, branch B and
// the total with the events of each branch (valve closures, dechoking, the
// whole branch disturbed, flow reversal, depressurisation) that fall within
// the plotted times; below it the mass released. From the decade below the
// first stored time after the breach to the end of the finite history.
PlotData releasePlot(const CaseResult& result);

// The gnuplot program on PATH, or "" when there is none.
std::string findGnuplot();

// The gnuplot script that draws the plot ("png" or "svg"), with its data
// inline. It holds no text of the case: the title is its argument ARG1 and
// the output file ARG2 (gnuplot -c script title output), so that no name can
// become a command of the script.
std::string plotScript(const std::string& format, const PlotData& plot);

// The title of the plot: the case's name (without control characters), gas,
// pipe and breach.
std::string plotTitle(const Case& c, const CaseResult& result);

// Runs gnuplot to draw into outputPath (shownPath names it in messages).
// Gnuplot's own output never reaches the terminal: a failure reports the
// first line of its messages, control characters escaped. False with a
// problem.
bool writePlot(const std::string& gnuplot, const std::string& outputPath, const std::string& shownPath,
               const std::string& format, const Case& c, const CaseResult& result, std::string& problem);

}  // namespace brimlow

#endif
