#include "run_command.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <limits>
#include <filesystem>
#include <memory>

#include "case.h"
#include "case_file.h"
#include "case_units.h"
#include "help.h"
#include "input_files.h"
#include "output_files.h"
#include "plot.h"
#include "reports.h"
#include "run_case.h"
#include "status.h"
#include "table_step.h"
#include "text.h"
#include "writers.h"

namespace brimlow {
namespace {

struct RunOptions {
  std::string caseFile;  // "" for the built-in default case
  std::string outDir;
  bool json = false;
  std::string plotFormat;  // "", "png" or "svg"
  double tableStep = std::numeric_limits<double>::quiet_NaN();  // s; NaN: as the case says
  bool reference = false;    // --reference: the reference beside the fast model (the default)
  bool noReference = false;  // leave the reference beside the fast model out, whatever the case says
  bool realGas = false;      // --real-gas: the reference takes the Peng-Robinson gas, as the key real_gas
  std::string model;         // "", "fast" or "reference": the case's model unless given
  std::string until;         // "" or the reference's end as text ("2h", "7200")
  bool progress = false;   // draw the reference's progress also when standard error is no terminal
};

// The value of an option given as "--name VALUE" or "--name=VALUE"; false
// when there is none.
bool optionValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
                 std::string& value) {
  const std::string& argument = arguments[i];
  if (argument.rfind(name + "=", 0) == 0) {
    value = argument.substr(name.size() + 1);
    return true;
  }
  if (i + 1 >= arguments.size()) return false;
  value = arguments[++i];
  return true;
}

// --table-step S: seconds, or a time with its unit ("1 min").
bool parseTableStep(const std::vector<std::string>& arguments, std::size_t& i, RunOptions& options,
                    std::string& problem) {
  std::string text;
  if (!optionValue(arguments, i, "--table-step", text)) {
    problem = "--table-step takes a step in seconds";
    return false;
  }
  std::string why;
  if (!valueFromText(text, "s", options.tableStep, why) || !tableStepValid(options.tableStep, why)) {
    problem = "--table-step: " + why;
    return false;
  }
  return true;
}

// --model fast|reference.
bool parseModel(const std::vector<std::string>& arguments, std::size_t& i, RunOptions& options,
                std::string& problem) {
  double choice = 0.0;
  if (!optionValue(arguments, i, "--model", options.model) || !modelFromWord(options.model, choice)) {
    problem = "--model takes fast or reference";
    return false;
  }
  return true;
}

// --until T: seconds, or a time with its unit ("2h", "90 min").
bool parseUntil(const std::vector<std::string>& arguments, std::size_t& i, RunOptions& options,
                std::string& problem) {
  double seconds = 0.0;
  std::string why;
  if (!optionValue(arguments, i, "--until", options.until) || !valueFromText(options.until, "s", seconds, why) ||
      !(seconds > 0.0 && std::isfinite(seconds))) {
    problem = "--until takes a time after the breach above 0, in seconds or with its unit (2h, 90min)" +
              (why.empty() ? std::string() : ": " + why);
    return false;
  }
  return true;
}

bool parseOptions(const std::vector<std::string>& arguments, RunOptions& options, std::string& problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--json") {
      options.json = true;
    } else if (argument == "--reference") {
      options.reference = true;
    } else if (argument == "--no-reference") {
      options.noReference = true;
    } else if (argument == "--real-gas") {
      options.realGas = true;
    } else if (argument == "--model" || argument.rfind("--model=", 0) == 0) {
      if (!parseModel(arguments, i, options, problem)) return false;
    } else if (argument == "--until" || argument.rfind("--until=", 0) == 0) {
      if (!parseUntil(arguments, i, options, problem)) return false;
    } else if (argument == "--progress") {
      options.progress = true;
    } else if (argument == "--table-step" || argument.rfind("--table-step=", 0) == 0) {
      if (!parseTableStep(arguments, i, options, problem)) return false;
    } else if (argument == "--plot") {
      options.plotFormat = "png";
    } else if (argument.rfind("--plot=", 0) == 0) {
      options.plotFormat = argument.substr(7);
      if (options.plotFormat != "png" && options.plotFormat != "svg") {
        problem = "--plot takes png or svg, not '" + options.plotFormat + "'";
        return false;
      }
    } else if (argument == "--out" || argument == "-o" || argument.rfind("--out=", 0) == 0) {
      if (argument.rfind("--out=", 0) == 0) {
        options.outDir = argument.substr(6);
      } else if (i + 1 < arguments.size()) {
        options.outDir = arguments[++i];
      }
      if (options.outDir.empty()) {
        problem = "--out takes a directory";
        return false;
      }
    } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
      problem = "unknown option '" + argument + "'";
      return false;
    } else if (options.caseFile.empty()) {
      options.caseFile = argument;
    } else {
      problem = "more than one case file ('" + options.caseFile + "', '" + argument + "')";
      return false;
    }
  }
  return true;
}

// DIR of --out, made when missing; false with a problem.
bool prepareDirectory(const std::string& dir, std::string& problem) {
  std::error_code error;
  if (std::filesystem::exists(dir, error) && !std::filesystem::is_directory(dir, error)) {
    problem = dir + " is not a directory";
    return false;
  }
  std::filesystem::create_directories(dir, error);
  if (error) {
    problem = "cannot make " + dir + " (" + error.message() + ")";
    return false;
  }
  return true;
}

// A file of the run staged under a temporary name (see output_files.h).
using StagedFiles = std::vector<std::unique_ptr<StagedFile>>;

bool stageText(StagedFiles& files, const std::string& path, const std::string& text, std::string& problem) {
  files.push_back(std::make_unique<StagedFile>());
  return files.back()->create(path, problem) && files.back()->writeAll(text, problem) &&
         files.back()->close(problem);
}

bool stagePlot(StagedFiles& files, const std::string& gnuplot, const std::string& path, const RunOptions& options,
               const Case& c, const CaseResult& result, std::string& problem) {
  files.push_back(std::make_unique<StagedFile>());
  StagedFile& plot = *files.back();
  return plot.create(path, problem) && plot.close(problem) &&
         writePlot(gnuplot, plot.writtenPath(), path, options.plotFormat, c, result, problem);
}

// Every output is written under a temporary name first and renamed into
// place only when all of them, standard output included, were written: a
// run that fails leaves none of its files. False with a problem.
bool writeOutputs(const RunOptions& options, const std::string& gnuplot, const Case& c, const CaseResult& result,
                  const std::string& origin, std::string& problem) {
  StagedFiles files;
  const std::string prefix = options.outDir.empty() ? "" : options.outDir + "/";
  if (!options.outDir.empty()) {
    if (!prepareDirectory(options.outDir, problem)) return false;
    for (const NamedText& table : tableFiles(result)) {
      if (!stageText(files, prefix + table.name, table.text, problem)) return false;
    }
  }
  if (!options.plotFormat.empty() &&
      !stagePlot(files, gnuplot, prefix + "release." + options.plotFormat, options, c, result, problem)) {
    return false;
  }
  if (hasTableStep(c) &&
      !stageText(files, prefix + steppedTableFileName(c.tableStep), steppedTableCsv(result.pipeStepped), problem)) {
    return false;
  }
  std::vector<std::string> written;
  for (const auto& file : files) written.push_back(file->path());
  const std::string text =
      options.json ? resultJson(c, result).dump(2) + "\n" : summaryText(c, result, origin, written);
  if (!writeStandardOutput(text, problem)) return false;
  for (auto& file : files) {
    if (!file->commit(problem)) return false;
  }
  return true;
}

// Ctrl-C while the reference runs: the handler notes it, and the run stops
// at its next report of progress, through the callback's answer.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterrupt(int /*signal*/) { interrupted = 1; }

class InterruptCatch {
 public:
  InterruptCatch() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptCatch() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptCatch(const InterruptCatch&) = delete;
  InterruptCatch& operator=(const InterruptCatch&) = delete;

 private:
  struct sigaction previous_ {};
};

// The reference's progress on standard error, redrawn in place at most
// every tenth of a second and at each whole percent: "reference
// [#######.....] 57 %  1.2 s". Stops the run once Ctrl-C was pressed.
class ProgressWatch : public ReferenceWatch {
 public:
  explicit ProgressWatch(bool draw) : draw_(draw), start_(Clock::now()) {}

  bool proceed(double fraction) override {
    if (interrupted != 0) return false;
    if (draw_) redraw(fraction);
    return true;
  }

  // Ends the bar's line.
  void finish() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::size_t kWidth = 30;
  static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

  void redraw(double fraction) {
    const auto now = Clock::now();
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100.0));
    if (drawn_ && percent == lastPercent_ && now - lastDraw_ < kRedrawInterval) return;
    const auto filled = static_cast<std::size_t>(percent) * kWidth / 100;
    std::fprintf(stderr, "\rreference %s %3d %%  %.1f s", barText(filled, kWidth).c_str(), percent,
                 std::chrono::duration<double>(now - start_).count());
    std::fflush(stderr);
    drawn_ = true;
    lastPercent_ = percent;
    lastDraw_ = now;
  }

  bool draw_;
  Clock::time_point start_, lastDraw_;
  bool drawn_ = false;
  int lastPercent_ = -1;
};

bool asksForHelp(const std::vector<std::string>& arguments) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [](const std::string& argument) { return argument == "--help" || argument == "-h"; });
}

std::string caseOrigin(const RunOptions& options) {
  if (options.caseFile.empty()) return "built-in default case";
  return options.caseFile == "-" ? "standard input" : options.caseFile;
}

// The case as its file states it (the built-in default without one), with
// the table step of --table-step: kExitOk, or the exit status after every
// problem of its form was reported.
int readCase(const RunOptions& options, const std::string& origin, Case& c) {
  c = defaultCase();
  if (!options.caseFile.empty()) {
    std::string text, problem;
    if (!readCaseFile(options.caseFile, kCaseFileLimit, text, problem)) {
      std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), problem.c_str());
      return kExitCaseForm;
    }
    std::vector<std::string> problems;
    if (!caseFromJson(text, c, problems)) {
      for (const std::string& p : problems) std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), p.c_str());
      return kExitCaseForm;
    }
  }
  if (!std::isnan(options.tableStep)) c.tableStep = options.tableStep;
  std::string problem;
  if (hasTableStep(c) && std::isnan(options.tableStep) && !tableStepValid(c.tableStep, problem)) {
    std::fprintf(stderr, "brimlow run: %s: %s: %s\n", origin.c_str(), kTableStepKey, problem.c_str());
    return kExitCaseValue;
  }
  return kExitOk;
}

// The options that change the case (the model, the reference's end, its real
// gas) applied to the case shown, which keeps its own key of the reference;
// the case run, with the reference beside the fast model unless left out (it
// costs about as much as reading the case).
Case caseToRun(const RunOptions& options, Case& c) {
  if (!options.model.empty()) modelFromWord(options.model, c.model);
  if (!options.until.empty()) {
    std::string why;
    valueFromText(options.until, "s", c.referenceEnd, why);
  }
  if (options.realGas) c.realGas = 1.0;
  Case run = c;
  run.reference = options.noReference && !options.reference ? 0.0 : 1.0;
  if (run.reference == 0.0 && run.model == 0.0) {
    // The fast model is an ideal gas's and its history ends where it ends:
    // the real gas and the end time are the reference's alone.
    if (run.realGas != 0.0) {
      std::fprintf(stderr, "brimlow run: warning: real_gas has no meaning here: the fast model takes the ideal gas, "
                           "and --no-reference leaves the reference solution out\n");
    }
    if (hasReferenceEnd(run)) {
      std::fprintf(stderr, "brimlow run: warning: reference_end (--until) has no meaning here: the fast model's "
                           "history ends where it ends, and --no-reference leaves the reference solution out\n");
    }
  }
  return run;
}

// The case run, the reference's progress drawn and Ctrl-C caught while it runs.
CaseResult runWatched(const RunOptions& options, const Case& run) {
  std::unique_ptr<InterruptCatch> interruptCatch;
  if (run.reference != 0.0 || run.model != 0.0) interruptCatch = std::make_unique<InterruptCatch>();
  ProgressWatch watch(options.progress || isatty(STDERR_FILENO) != 0);
  CaseResult result = runCase(run, true, &watch);
  watch.finish();
  return result;
}

// A run that failed reported: its exit status.
int reportFailure(const RunOptions& options, const std::string& origin, const CaseResult& result) {
  if (result.failure.status == kExitCancelled) {
    std::fprintf(stderr, "brimlow run: cancelled (%s); no file written\n", result.failure.message.c_str());
    return kExitCancelled;
  }
  if (result.failure.key == kTableStepKey && !std::isnan(options.tableStep)) {
    std::fprintf(stderr, "brimlow run: --table-step: %s\n", result.failure.message.c_str());
    return kExitUsage;
  }
  std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), result.failure.text().c_str());
  return result.failure.status;
}

}  // namespace

int runCommand(const std::vector<std::string>& arguments) {
  if (asksForHelp(arguments)) {
    std::fputs(helpText("run").c_str(), stdout);
    return kExitOk;
  }
  RunOptions options;
  std::string problem;
  if (!parseOptions(arguments, options, problem)) {
    std::fprintf(stderr, "brimlow run: %s (see brimlow run --help)\n", problem.c_str());
    return kExitUsage;
  }
  const std::string origin = caseOrigin(options);
  Case c;
  if (const int status = readCase(options, origin, c); status != kExitOk) return status;
  std::string gnuplot;
  if (!options.plotFormat.empty()) {
    gnuplot = findGnuplot();
    if (gnuplot.empty()) {
      std::fprintf(stderr, "brimlow run: --plot needs gnuplot, which is not on PATH (Debian: gnuplot-nox)\n");
      return kExitOutput;
    }
  }

  const CaseResult result = runWatched(options, caseToRun(options, c));
  if (!result.ok) return reportFailure(options, origin, result);
  for (const std::string& warning : warningLines(result.reports)) {
    std::fprintf(stderr, "brimlow run: warning: %s\n", warning.c_str());
  }
  if (!writeOutputs(options, gnuplot, c, result, origin, problem)) {
    std::fprintf(stderr, "brimlow run: %s\n", problem.c_str());
    return kExitOutput;
  }
  if (result.referenceFailed()) {
    // The fast model's answer is written; the reference's failure is its own.
    std::fprintf(stderr, "brimlow run: %s: the reference solution failed, the fast model's answer stands: %s\n",
                 origin.c_str(), result.referenceFailure.text().c_str());
    return kExitReferenceFailed;
  }
  return kExitOk;
}

}  // namespace brimlow
