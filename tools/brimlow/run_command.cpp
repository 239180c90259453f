#include "run_command.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <filesystem>
#include <memory>

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
#include "writers.h"

namespace brimlow {
namespace {

struct RunOptions {
  std::string caseFile;  // "" for the built-in default case
  std::string outDir;
  bool json = false;
  std::string plotFormat;  // "", "png" or "svg"
  double tableStep = std::numeric_limits<double>::quiet_NaN();  // s; NaN: as the case says
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

bool parseOptions(const std::vector<std::string>& arguments, RunOptions& options, std::string& problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--json") {
      options.json = true;
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

}  // namespace

int runCommand(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::fputs(helpText("run").c_str(), stdout);
      return kExitOk;
    }
  }
  RunOptions options;
  std::string problem;
  if (!parseOptions(arguments, options, problem)) {
    std::fprintf(stderr, "brimlow run: %s (see brimlow run --help)\n", problem.c_str());
    return kExitUsage;
  }

  // The case: its form first, every problem at once.
  const std::string origin = options.caseFile.empty() ? "built-in default case"
                             : options.caseFile == "-" ? "standard input"
                                                       : options.caseFile;
  Case c = defaultCase();
  if (!options.caseFile.empty()) {
    std::string text;
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
  if (hasTableStep(c) && std::isnan(options.tableStep) && !tableStepValid(c.tableStep, problem)) {
    std::fprintf(stderr, "brimlow run: %s: %s: %s\n", origin.c_str(), kTableStepKey, problem.c_str());
    return kExitCaseValue;
  }

  std::string gnuplot;
  if (!options.plotFormat.empty()) {
    gnuplot = findGnuplot();
    if (gnuplot.empty()) {
      std::fprintf(stderr, "brimlow run: --plot needs gnuplot, which is not on PATH (Debian: gnuplot-nox)\n");
      return kExitOutput;
    }
  }

  // Its values, by the library's check, then the run.
  const CaseResult result = runCase(c, true);
  if (!result.ok && result.failure.key == kTableStepKey && !std::isnan(options.tableStep)) {
    std::fprintf(stderr, "brimlow run: --table-step: %s\n", result.failure.message.c_str());
    return kExitUsage;
  }
  if (!result.ok) {
    std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), result.failure.text().c_str());
    return result.failure.status;
  }
  for (const std::string& warning : warningLines(result.reports)) {
    std::fprintf(stderr, "brimlow run: warning: %s\n", warning.c_str());
  }

  if (!writeOutputs(options, gnuplot, c, result, origin, problem)) {
    std::fprintf(stderr, "brimlow run: %s\n", problem.c_str());
    return kExitOutput;
  }
  return kExitOk;
}

}  // namespace brimlow
