// The release plot: release rate and mass released against time, drawn by
// gnuplot into a PNG or SVG file.
#ifndef BRIMLOW_PLOT_H
#define BRIMLOW_PLOT_H

#include <string>

#include "case.h"
#include "run_case.h"

namespace brimlow {

// The gnuplot program on PATH, or "" when there is none.
std::string findGnuplot();

// The gnuplot script that draws the plot ("png" or "svg"), with its data
// inline. It holds no text of the case: the title is its argument ARG1 and
// the output file ARG2 (gnuplot -c script title output), so that no name can
// become a command of the script.
std::string plotScript(const std::string& format, const CaseResult& result);

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
