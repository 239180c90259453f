#include "batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "case_file.h"
#include "csv.h"
#include "help.h"
#include "numbers.h"
#include "run_case.h"
#include "status.h"
#include "writers.h"

namespace brimlow {
namespace {

struct BatchOptions {
  std::string input;
  std::string output;  // "" for standard output
  unsigned jobs = 0;   // 0: one per hardware thread
  int shardIndex = 0, shardCount = 1;
};

struct RowOutcome {
  int row = 0;  // data row number, from 1
  std::vector<std::string> cells;
  bool ok = false;
  std::string message;
  std::string warnings;
  std::vector<double> summary;
};

bool parseWhole(const std::string& text, long& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  value = std::stol(text);
  return true;
}

bool parseOptions(const std::vector<std::string>& arguments, BatchOptions& options, std::string& problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const auto value = [&](std::string& out) {
      const std::size_t equals = argument.find('=');
      if (equals != std::string::npos) {
        out = argument.substr(equals + 1);
        return true;
      }
      if (i + 1 >= arguments.size()) return false;
      out = arguments[++i];
      return true;
    };
    std::string text;
    if (argument == "--jobs" || argument.rfind("--jobs=", 0) == 0 || argument == "-j") {
      long jobs = 0;
      if (!value(text) || !parseWhole(text, jobs) || jobs < 1 || jobs > 1024) {
        problem = "--jobs takes a number of threads from 1 to 1024";
        return false;
      }
      options.jobs = static_cast<unsigned>(jobs);
    } else if (argument == "--shard" || argument.rfind("--shard=", 0) == 0) {
      const std::size_t slash = value(text) ? text.find('/') : std::string::npos;
      long k = 0, n = 0;
      if (slash == std::string::npos || !parseWhole(text.substr(0, slash), k) ||
          !parseWhole(text.substr(slash + 1), n) || n < 1 || k >= n) {
        problem = "--shard takes K/N with 0 <= K < N, for example 0/4";
        return false;
      }
      options.shardIndex = static_cast<int>(k);
      options.shardCount = static_cast<int>(n);
    } else if (argument == "--out" || argument.rfind("--out=", 0) == 0 || argument == "-o") {
      if (!value(options.output) || options.output.empty()) {
        problem = "--out takes a file name";
        return false;
      }
    } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
      problem = "unknown option '" + argument + "'";
      return false;
    } else if (options.input.empty()) {
      options.input = argument;
    } else {
      problem = "more than one cases file ('" + options.input + "', '" + argument + "')";
      return false;
    }
  }
  if (options.input.empty()) {
    problem = "no cases file given";
    return false;
  }
  return true;
}

bool readInput(const std::string& name, std::string& text) {
  if (name == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += "; ";
    text += part;
  }
  return text;
}

RowOutcome runRow(const std::vector<std::string>& header, const CsvRow& row, int number) {
  RowOutcome outcome;
  outcome.row = number;
  outcome.cells = row.cells;
  outcome.cells.resize(header.size());
  Case c;
  std::vector<std::string> problems;
  if (!caseFromRow(header, row.cells, c, problems)) {
    outcome.message = joined(problems);
    return outcome;
  }
  const CaseResult result = runCase(c, false);
  outcome.warnings = joined(warningLines(result.reports));
  if (!result.ok) {
    outcome.message = result.failure.text();
    return outcome;
  }
  outcome.ok = true;
  outcome.summary = result.summary;
  return outcome;
}

// A bar on standard error, redrawn in place: "[#####.....] 57/200 cases, 1 failed".
void drawProgress(int done, int total, int failed, bool last) {
  constexpr int kWidth = 30;
  const int filled = total > 0 ? done * kWidth / total : kWidth;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kWidth - filled), '.');
  std::fprintf(stderr, "\r[%s] %d/%d cases", bar.c_str(), done, total);
  if (failed > 0) std::fprintf(stderr, ", %d failed", failed);
  std::fprintf(stderr, last ? "\n" : " ");
  std::fflush(stderr);
}

std::vector<RowOutcome> runRows(const std::vector<std::string>& header, const std::vector<const CsvRow*>& rows,
                                const std::vector<int>& numbers, unsigned jobs, bool progress) {
  std::vector<RowOutcome> outcomes(rows.size());
  std::atomic<std::size_t> next{0};
  std::atomic<int> done{0}, failed{0};
  std::mutex mutex;
  std::condition_variable finished;

  const auto work = [&] {
    for (std::size_t i = next++; i < rows.size(); i = next++) {
      outcomes[i] = runRow(header, *rows[i], numbers[i]);
      if (!outcomes[i].ok) ++failed;
      if (++done == static_cast<int>(rows.size())) {
        std::lock_guard<std::mutex> lock(mutex);
        finished.notify_all();
      }
    }
  };
  const unsigned threads = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(rows.size())));
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);
  if (progress) {
    std::unique_lock<std::mutex> lock(mutex);
    const int total = static_cast<int>(rows.size());
    while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done.load() == total; })) {
      drawProgress(done, total, failed, false);
    }
    drawProgress(done, total, failed, true);
  }
  for (std::thread& thread : pool) thread.join();
  return outcomes;
}

std::string outputText(const std::vector<std::string>& header, const std::vector<RowOutcome>& outcomes) {
  std::vector<std::string> names = {"row"};
  for (const std::string& column : header) names.push_back(column);
  for (const char* name : {"status", "message", "warnings"}) names.push_back(name);
  for (const Column& field : summaryFields()) names.push_back(field.name);
  std::string text = csvLine(names);
  for (const RowOutcome& outcome : outcomes) {
    std::vector<std::string> fields = {std::to_string(outcome.row)};
    fields.insert(fields.end(), outcome.cells.begin(), outcome.cells.end());
    fields.push_back(outcome.ok ? "ok" : "failed");
    fields.push_back(outcome.message);
    fields.push_back(outcome.warnings);
    for (std::size_t i = 0; i < summaryFields().size(); ++i) {
      fields.push_back(outcome.ok ? exactText(outcome.summary[i]) : "");
    }
    text += csvLine(fields);
  }
  return text;
}

}  // namespace

int batchCommand(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::fputs(helpText("batch").c_str(), stdout);
      return kExitOk;
    }
  }
  BatchOptions options;
  std::string problem;
  if (!parseOptions(arguments, options, problem)) {
    std::fprintf(stderr, "brimlow batch: %s (see brimlow batch --help)\n", problem.c_str());
    return kExitUsage;
  }
  std::string text;
  if (!readInput(options.input, text)) {
    std::fprintf(stderr, "brimlow batch: %s: cannot read the file\n", options.input.c_str());
    return kExitCaseForm;
  }
  // A spreadsheet may start its CSV with a byte-order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::vector<CsvRow> rows;
  if (!readCsv(text, rows, problem)) {
    std::fprintf(stderr, "brimlow batch: %s: %s\n", options.input.c_str(), problem.c_str());
    return kExitCaseForm;
  }
  if (rows.empty()) {
    std::fprintf(stderr, "brimlow batch: %s: no header row of case keys\n", options.input.c_str());
    return kExitCaseForm;
  }
  const std::vector<std::string> header = rows.front().cells;
  const std::vector<std::string> problems = headerProblems(header);
  if (!problems.empty()) {
    for (const std::string& p : problems) std::fprintf(stderr, "brimlow batch: %s: %s\n", options.input.c_str(), p.c_str());
    return kExitCaseForm;
  }

  std::vector<const CsvRow*> selected;
  std::vector<int> numbers;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const int number = static_cast<int>(i);
    if (number % options.shardCount != options.shardIndex) continue;
    selected.push_back(&rows[i]);
    numbers.push_back(number);
  }
  unsigned jobs = options.jobs;
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  const bool progress = isatty(STDERR_FILENO) != 0 && !selected.empty();
  const std::vector<RowOutcome> outcomes = runRows(header, selected, numbers, jobs, progress);

  const std::string output = outputText(header, outcomes);
  if (options.output.empty()) {
    std::fwrite(output.data(), 1, output.size(), stdout);
    std::fflush(stdout);
  } else if (!writeFile(options.output, output, problem)) {
    std::fprintf(stderr, "brimlow batch: %s\n", problem.c_str());
    return kExitOutput;
  }
  const auto failures = std::count_if(outcomes.begin(), outcomes.end(), [](const RowOutcome& o) { return !o.ok; });
  if (failures > 0) {
    std::fprintf(stderr, "brimlow batch: %ld of %zu cases failed (status \"failed\" in their rows)\n",
                 static_cast<long>(failures), outcomes.size());
    return kExitCasesFailed;
  }
  return kExitOk;
}

}  // namespace brimlow
