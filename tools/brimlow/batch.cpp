#include "batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "case_file.h"
#include "csv.h"
#include "help.h"
#include "input_files.h"
#include "numbers.h"
#include "output_files.h"
#include "run_case.h"
#include "status.h"
#include "tables.h"
#include "text.h"

namespace brimlow {
namespace {

struct BatchOptions {
  std::string input;
  std::string output;  // "" for standard output
  unsigned jobs = 0;   // 0: one per hardware thread
  int shardIndex = 0, shardCount = 1;
  double model = -1.0;  // --model: 0 fast, 1 reference, for rows that do not choose; -1 not given
};

struct RowOutcome {
  std::uint64_t row = 0;  // data row number, from 1
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
    } else if (argument == "--model" || argument.rfind("--model=", 0) == 0) {
      if (!value(text) || !modelFromWord(text, options.model)) {
        problem = "--model takes fast or reference";
        return false;
      }
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

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += "; ";
    text += part;
  }
  return text;
}

// Whether a row chooses its model in a cell of its own (a row that does
// not takes the one of --model).
bool rowGivesModel(const std::vector<std::string>& header, const std::vector<std::string>& cells) {
  const auto blank = [](const std::string& text) {
    return text.find_first_not_of(" \t\r") == std::string::npos;
  };
  for (std::size_t j = 0; j < header.size() && j < cells.size(); ++j) {
    const std::size_t start = header[j].find_first_not_of(" \t");
    if (start != std::string::npos && header[j].compare(start, 5, "model") == 0 && !blank(cells[j])) return true;
  }
  return false;
}

RowOutcome runRow(const std::vector<std::string>& header, const CsvRow& row, std::uint64_t number, double model) {
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
  if (c.reference != 0.0) {
    // A row's answer is one model's: the reference beside the fast model is brimlow run's.
    outcome.message = "reference: brimlow batch gives one model's answer a row (model reference, or --model "
                      "reference, chooses the reference solution; brimlow run shows both)";
    return outcome;
  }
  if (model >= 0.0 && !rowGivesModel(header, row.cells)) c.model = model;
  // The fast model through the library's sweep entry; the reference (its end,
  // a hole only it takes) through the whole run of a case.
  const CaseResult result = c.model != 0.0 ? runCase(c, false) : runCaseSummary(c);
  outcome.warnings = joined(warningLines(result.reports));
  if (!result.ok) {
    outcome.message = result.failure.text();
    return outcome;
  }
  if (result.referenceFailed()) {
    // The row chose the reference: the fast model's answer is not the row's.
    outcome.message = result.referenceFailure.text();
    return outcome;
  }
  outcome.ok = true;
  outcome.summary = result.summary;
  return outcome;
}

std::string columnRow(const std::vector<std::string>& header) {
  std::vector<std::string> names = {"row"};
  for (const std::string& column : header) names.push_back(column);
  for (const char* name : {"status", "message", "warnings"}) names.push_back(name);
  for (const Column& field : summaryFields()) names.push_back(field.name);
  return csvLine(names);
}

std::string outcomeRow(const RowOutcome& outcome) {
  std::vector<std::string> fields = {std::to_string(outcome.row)};
  fields.insert(fields.end(), outcome.cells.begin(), outcome.cells.end());
  fields.push_back(outcome.ok ? "ok" : "failed");
  fields.push_back(outcome.message);
  fields.push_back(outcome.warnings);
  for (std::size_t i = 0; i < summaryFields().size(); ++i) {
    fields.push_back(outcome.ok ? exactText(outcome.summary[i]) : "");
  }
  return csvLine(fields);
}

// Rows read but not yet written: at most this many per thread, and at most
// this many bytes of cells, however long the file. A slow case holds back the
// writing of the rows after it; the window lets the other threads go on
// meanwhile.
constexpr std::size_t kWindowRowsPerThread = 256;
constexpr std::size_t kWindowRowsMost = 16384;
constexpr std::size_t kWindowBytes = std::size_t{64} << 20;

// Runs the rows handed to it on worker threads and writes their lines in
// the order handed over: each result waits in a window of slots (a ring
// indexed by the row's sequence) until every row before it is written, and a
// row is handed over only while the window has room.
class RowPipeline {
 public:
  RowPipeline(const std::vector<std::string>& header, double model, unsigned threads, CheckedStream& out)
      : header_(header),
        model_(model),
        out_(out),
        window_(std::min(kWindowRowsMost, kWindowRowsPerThread * std::max(1u, threads))) {
    for (unsigned t = 0; t < std::max(1u, threads); ++t) workers_.emplace_back([this] { work(); });
  }
  ~RowPipeline() { finish(); }
  RowPipeline(const RowPipeline&) = delete;
  RowPipeline& operator=(const RowPipeline&) = delete;

  // Hands a row over; false once a write has failed (reading stops). When
  // the window is full it waits until half of it is free again, so that the
  // reader wakes once per half window rather than once per row.
  bool submit(CsvRow row, std::uint64_t number, std::size_t bytes, std::uint64_t endOffset) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::uint64_t waiting = handedOver_ - nextToWrite_;
    if (waiting >= window_.size() || (bytesWaiting_ + bytes > kWindowBytes && waiting > 0)) {
      roomFreed_.wait(lock, [&] { return stopped_ || halfFree(bytes); });
    }
    if (stopped_) return false;
    bytesWaiting_ += bytes;
    queue_.push_back(Job{handedOver_++, number, bytes, endOffset, std::move(row)});
    workAvailable_.notify_one();
    return true;
  }

  // Waits until every row handed over is written (or writing failed).
  void finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      inputDone_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
  }

  std::uint64_t rowsWritten() const { return written_; }
  std::uint64_t rowsFailed() const { return failed_; }
  // The input consumed up to the end of the last row written.
  std::uint64_t offsetWritten() const { return offsetWritten_; }

 private:
  struct Job {
    std::uint64_t sequence;
    std::uint64_t number;
    std::size_t bytes;
    std::uint64_t endOffset;
    CsvRow row;
  };
  struct Slot {
    bool ready = false;
    std::string line;
    std::size_t bytes = 0;
    std::uint64_t endOffset = 0;
  };

  void work() {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        workAvailable_.wait(lock, [&] { return stopped_ || inputDone_ || !queue_.empty(); });
        if (stopped_ || queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      const RowOutcome outcome = runRow(header_, job.row, job.number, model_);
      Slot done{true, outcomeRow(outcome), job.bytes, job.endOffset};
      std::lock_guard<std::mutex> lock(mutex_);
      if (!outcome.ok) ++failed_;
      window_[job.sequence % window_.size()] = std::move(done);
      writeReadyRows();
    }
  }

  // With the lock held: writes the rows that are next in order and done.
  void writeReadyRows() {
    bool freed = false;
    for (Slot* slot = &window_[nextToWrite_ % window_.size()]; slot->ready && !stopped_;
         slot = &window_[nextToWrite_ % window_.size()]) {
      if (!out_.write(slot->line)) {
        stopped_ = true;  // the reader and the workers stop; the caller reports it
        workAvailable_.notify_all();
        break;
      }
      bytesWaiting_ -= slot->bytes;
      offsetWritten_ = slot->endOffset;
      *slot = Slot{};
      ++nextToWrite_;
      ++written_;
      freed = true;
    }
    if (stopped_ || (freed && halfFree(0))) roomFreed_.notify_all();
  }

  // With the lock held: whether half the window (in rows and in bytes) is
  // free for a row of this many bytes; an empty window takes any row.
  bool halfFree(std::size_t bytes) const {
    const std::uint64_t waiting = handedOver_ - nextToWrite_;
    return waiting == 0 || (waiting <= window_.size() / 2 && bytesWaiting_ + bytes <= kWindowBytes / 2);
  }

  const std::vector<std::string>& header_;
  double model_;
  CheckedStream& out_;
  std::mutex mutex_;
  std::condition_variable workAvailable_, roomFreed_;
  std::deque<Job> queue_;
  std::vector<Slot> window_;
  std::uint64_t handedOver_ = 0, nextToWrite_ = 0;
  std::size_t bytesWaiting_ = 0;
  bool inputDone_ = false, stopped_ = false;
  std::atomic<std::uint64_t> written_{0}, failed_{0}, offsetWritten_{0};
  std::vector<std::thread> workers_;
};

// A bar on standard error, redrawn in place: "[#####.....] 57 cases, 1
// failed". The bar is the part of the file written (all of it when last); an
// input of unknown size (a pipe) shows the count alone.
void drawProgress(std::uint64_t done, std::uint64_t failed, std::uint64_t offset, std::uint64_t size, bool last) {
  constexpr std::uint64_t kWidth = 30;
  std::fputc('\r', stderr);
  if (size > 0) {
    const std::uint64_t filled = last ? kWidth : std::min(kWidth, offset * kWidth / size);
    std::fprintf(stderr, "%s ", barText(static_cast<std::size_t>(filled), static_cast<std::size_t>(kWidth)).c_str());
  }
  std::fprintf(stderr, "%llu case%s", static_cast<unsigned long long>(done), done == 1 ? "" : "s");
  if (failed > 0) std::fprintf(stderr, ", %llu failed", static_cast<unsigned long long>(failed));
  std::fprintf(stderr, last ? "\n" : " ");
  std::fflush(stderr);
}

// Redraws the progress of a pipeline every tenth of a second until stopped.
class ProgressBar {
 public:
  ProgressBar(const RowPipeline& pipeline, std::uint64_t size) : pipeline_(pipeline), size_(size) {
    thread_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!stop_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopped_; })) draw(false);
    });
  }
  ~ProgressBar() { stop(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    stop_.notify_all();
    thread_.join();
    draw(true);
  }

 private:
  void draw(bool last) const {
    drawProgress(pipeline_.rowsWritten(), pipeline_.rowsFailed(), pipeline_.offsetWritten(), size_, last);
  }

  const RowPipeline& pipeline_;
  std::uint64_t size_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopped_ = false;
  std::thread thread_;
};

struct BatchTotals {
  std::uint64_t written = 0, failed = 0;
};

// Reads the data rows, runs those of the shard and writes their rows to out
// in the order of the file; stops early when a read or a write fails (the
// reader and out then tell why). inputSize is that of a regular file, for
// the progress bar on a terminal.
BatchTotals runRows(CsvReader& reader, const std::vector<std::string>& header, const BatchOptions& options,
                    CheckedStream& out, std::uint64_t inputSize) {
  unsigned jobs = options.jobs;
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  RowPipeline pipeline(header, options.model, jobs, out);
  std::unique_ptr<ProgressBar> progress;
  if (isatty(STDERR_FILENO) != 0) progress = std::make_unique<ProgressBar>(pipeline, inputSize);

  CsvRow row;
  std::uint64_t number = 0;
  std::uint64_t rowStart = reader.offset();
  const auto shardCount = static_cast<std::uint64_t>(options.shardCount);
  const auto shardIndex = static_cast<std::uint64_t>(options.shardIndex);
  while (reader.next(row)) {
    const std::uint64_t rowEnd = reader.offset();
    const auto bytes = static_cast<std::size_t>(rowEnd - rowStart);
    rowStart = rowEnd;
    if (++number % shardCount != shardIndex) continue;
    if (!pipeline.submit(std::move(row), number, bytes, rowEnd)) break;
  }
  pipeline.finish();
  if (progress) progress->stop();
  return {pipeline.rowsWritten(), pipeline.rowsFailed()};
}

int inputProblem(const std::string& name, const std::string& problem) {
  std::fprintf(stderr, "brimlow batch: %s: %s\n", name.c_str(), problem.c_str());
  return kExitCaseForm;
}

int outputProblem(const std::string& problem) {
  std::fprintf(stderr, "brimlow batch: %s\n", problem.c_str());
  return kExitOutput;
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
  InputFile input;
  if (!input.open(options.input, "cases file", problem)) return inputProblem(options.input, problem);
  std::unique_ptr<StagedFile> staged;
  if (!options.output.empty()) {
    if (options.input != "-" && input.isSameFileAs(options.output)) {
      std::fprintf(stderr, "brimlow batch: --out %s is the cases file itself (see brimlow batch --help)\n",
                   options.output.c_str());
      return kExitUsage;
    }
    staged = std::make_unique<StagedFile>();
    if (!staged->create(options.output, problem)) return outputProblem(problem);
  }

  CsvReader reader(input, kCsvRowLimit);
  CsvRow headerRow;
  if (!reader.next(headerRow)) {
    return inputProblem(options.input, reader.problem().empty() ? "no header row of case keys" : reader.problem());
  }
  const std::vector<std::string> header = headerRow.cells;
  const std::vector<std::string> problems = headerProblems(header);
  if (!problems.empty()) {
    for (const std::string& p : problems) inputProblem(options.input, p);
    return kExitCaseForm;
  }

  CheckedStream standardOutput(stdout, "standard output");
  CheckedStream& out = staged ? staged->stream() : standardOutput;
  out.write(columnRow(header));
  const BatchTotals totals = runRows(reader, header, options, out, input.regularSize());
  if (!out.flush()) return outputProblem(out.problem());
  if (!reader.problem().empty()) return inputProblem(options.input, reader.problem());
  if (staged && !staged->commit(problem)) return outputProblem(problem);
  if (totals.failed > 0) {
    std::fprintf(stderr, "brimlow batch: %llu of %llu cases failed (status \"failed\" in their rows)\n",
                 static_cast<unsigned long long>(totals.failed), static_cast<unsigned long long>(totals.written));
    return kExitCasesFailed;
  }
  return kExitOk;
}

}  // namespace brimlow
