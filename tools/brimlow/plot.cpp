#include "plot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

#include "numbers.h"

namespace brimlow {
namespace {

// A string for gnuplot: single quotes, a quote inside doubled.
std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

// A word for the shell: single quotes, a quote inside as '\''.
std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::size_t columnIndex(const char* name) {
  const auto& columns = pipeColumns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (std::string(columns[i].name) == name) return i;
  }
  return 0;
}

}  // namespace

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

std::string plotScript(const std::string& path, const std::string& format, const Case& c, const CaseResult& r) {
  const std::size_t timeColumn = columnIndex("time_s");
  const std::size_t rateColumn = columnIndex("exit_flux_kg_per_s");
  const std::size_t massColumn = columnIndex("mass_expelled_kg");
  // A branch fed by the supply has an output grid carried far beyond the end
  // of the finite history: the plot stops there.
  const double end = summaryValue(r, "end_time_s");
  const bool hours = end > 7200.0;
  const double unit = hours ? 3600.0 : 60.0;

  std::string data;
  for (std::size_t i = 1; i < r.pipe.rows.size(); ++i) {  // row 0: before the breach
    const auto& row = r.pipe.rows[i];
    const double time = row[timeColumn];
    if (end > 0.0 && time > end * (1.0 + 1e-9)) break;
    if (!std::isfinite(row[rateColumn]) || !std::isfinite(row[massColumn])) continue;
    char line[128];
    std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", time / unit, row[rateColumn], row[massColumn] / 1000.0);
    data += line;
  }

  std::string title = c.name.empty() ? gasText(c) : c.name + ": " + gasText(c);
  title += ", " + shortText(c.pipeLength / 1000.0) + " km x " + shortText(c.pipeDiameter) + " m at " +
           shortText(c.upstreamPressure / 1e5) + " bar, breach at " + shortText(c.breachLocation / 1000.0) + " km";

  std::string s;
  if (format == "svg") {
    s += "set terminal svg size 900,700 dynamic font 'sans,12' background rgb 'white'\n";
  } else {
    s += "set terminal pngcairo size 1000,760 font 'sans,11'\n";
  }
  s += "set output " + quoted(path) + "\n";
  s += "$release << EOD\n" + data + "EOD\n";
  s += "set multiplot layout 2,1 title " + quoted(title) + "\n";
  s += "set grid xtics ytics mytics lc rgb '#d0d0d0'\n";
  s += "set key off\n";
  // Both panels on the same time axis, ending with the history.
  if (end > 0.0) {
    char range[64];
    std::snprintf(range, sizeof range, "set xrange [0:%.9g]\n", end / unit);
    s += range;
  } else {
    s += "set xrange [0:*]\n";
  }
  s += "set lmargin 12\n";
  s += "set xlabel " + quoted(hours ? "time since the breach (h)" : "time since the breach (min)") + "\n";
  s += "set ylabel 'release rate (kg/s)'\n";
  s += "set logscale y\n";
  s += "set format y '%g'\n";
  s += "plot $release using 1:2 with lines lw 2 lc rgb '#c0392b'\n";
  s += "unset logscale y\n";
  s += "set ylabel 'mass released (t)'\n";
  s += "set yrange [0:*]\n";
  s += "plot $release using 1:3 with lines lw 2 lc rgb '#2c5d8a'\n";
  s += "unset multiplot\n";
  s += "set output\n";
  return s;
}

bool writePlot(const std::string& gnuplot, const std::string& path, const std::string& format, const Case& c,
               const CaseResult& result, std::string& problem) {
  if (result.pipe.rows.size() < 3) {
    problem = "no output times to plot";
    return false;
  }
  // gnuplot's own messages go to standard error, never among the results.
  const std::string command = shellQuoted(gnuplot) + " 1>&2";
  FILE* pipe = popen(command.c_str(), "w");
  if (pipe == nullptr) {
    problem = "cannot start " + gnuplot;
    return false;
  }
  const std::string script = plotScript(path, format, c, result);
  std::fwrite(script.data(), 1, script.size(), pipe);
  const int status = pclose(pipe);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    problem = "gnuplot failed to draw " + path;
    return false;
  }
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || info.st_size == 0) {
    problem = "gnuplot wrote no " + path;
    return false;
  }
  return true;
}

}  // namespace brimlow
