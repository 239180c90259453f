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

// The gnuplot script that draws the plot into path ("png" or "svg"), with
// its data inline.
std::string plotScript(const std::string& path, const std::string& format, const Case& c, const CaseResult& result);

// Runs gnuplot on the script; false with a problem.
bool writePlot(const std::string& gnuplot, const std::string& path, const std::string& format, const Case& c,
               const CaseResult& result, std::string& problem);

}  // namespace brimlow

#endif
