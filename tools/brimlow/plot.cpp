#include "plot.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "numbers.h"
#include "output_files.h"
#include "text.h"

extern char** environ;

namespace brimlow {
namespace {

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

std::string plotTitle(const Case& c, const CaseResult& r) {
  std::string title = c.name.empty() ? gasText(c) : withoutControlCharacters(c.name) + ": " + gasText(c);
  return title + ", " + shortText(c.pipeLength / 1000.0) + " km x " + shortText(c.pipeDiameter) + " m at " +
         shortText(c.upstreamPressure / 1e5) + " bar, breach at " + shortText(r.breachLocation / 1000.0) + " km";
}

std::string plotScript(const std::string& format, const CaseResult& r) {
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

  std::string s;
  if (format == "svg") {
    s += "set terminal svg size 900,700 dynamic font 'sans,12' background rgb 'white'\n";
  } else {
    s += "set terminal pngcairo size 1000,760 font 'sans,11'\n";
  }
  s += "set output ARG2\n";
  s += "$release << EOD\n" + data + "EOD\n";
  // The title is text to show, not markup: noenhanced keeps ^, _ and braces.
  s += "set multiplot layout 2,1 title ARG1 noenhanced\n";
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
  s += std::string("set xlabel ") + (hours ? "'time since the breach (h)'" : "'time since the breach (min)'") + "\n";
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

namespace {

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
  if (!script.create("brimlow-plot", plotScript(format, result), problem)) return false;
  std::string messages;
  int status = 0;
  if (!runGnuplot(gnuplot, {"-c", script.path(), plotTitle(c, result), outputPath}, messages, status)) {
    problem = "cannot start " + gnuplot;
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const std::string message = firstMessage(messages);
    problem = "gnuplot failed to draw " + shownPath + (message.empty() ? "" : ": " + message);
    return false;
  }
  struct stat info {};
  if (::stat(outputPath.c_str(), &info) != 0 || (S_ISREG(info.st_mode) && info.st_size == 0)) {
    problem = "gnuplot wrote no " + shownPath;
    return false;
  }
  return true;
}

}  // namespace brimlow
