#include "run_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "case_file.h"
#include "help.h"
#include "plot.h"
#include "reports.h"
#include "run_case.h"
#include "status.h"
#include "writers.h"

namespace brimlow {
namespace {

struct RunOptions {
  std::string caseFile;  // "" for the built-in default case
  std::string outDir;
  bool json = false;
  std::string plotFormat;  // "", "png" or "svg"
};

bool parseOptions(const std::vector<std::string>& arguments, RunOptions& options, std::string& problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--json") {
      options.json = true;
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

bool readCaseText(const std::string& name, std::string& text, std::string& problem) {
  if (name == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::error_code error;
  if (std::filesystem::is_directory(name, error)) {
    problem = "is a directory, not a case file";
    return false;
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    problem = std::string("cannot read the file (") + std::strerror(errno) + ")";
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
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
    if (!readCaseText(options.caseFile, text, problem)) {
      std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), problem.c_str());
      return kExitCaseForm;
    }
    std::vector<std::string> problems;
    if (!caseFromJson(text, c, problems)) {
      for (const std::string& p : problems) std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), p.c_str());
      return kExitCaseForm;
    }
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
  if (!result.ok) {
    std::fprintf(stderr, "brimlow run: %s: %s\n", origin.c_str(), result.failure.text().c_str());
    return result.failure.status;
  }
  for (const std::string& warning : warningLines(result.reports)) {
    std::fprintf(stderr, "brimlow run: warning: %s\n", warning.c_str());
  }

  if (!options.outDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (error || !writeTables(options.outDir, result, problem)) {
      if (error) problem = "cannot make " + options.outDir + " (" + error.message() + ")";
      std::fprintf(stderr, "brimlow run: %s\n", problem.c_str());
      return kExitOutput;
    }
  }
  if (!options.plotFormat.empty()) {
    const std::string path = (options.outDir.empty() ? std::string() : options.outDir + "/") + "release." +
                             options.plotFormat;
    if (!writePlot(gnuplot, path, options.plotFormat, c, result, problem)) {
      std::fprintf(stderr, "brimlow run: %s\n", problem.c_str());
      return kExitOutput;
    }
  }

  if (options.json) {
    std::fputs((resultJson(c, result).dump(2) + "\n").c_str(), stdout);
  } else {
    std::fputs(summaryText(c, result, origin).c_str(), stdout);
  }
  return kExitOk;
}

}  // namespace brimlow
