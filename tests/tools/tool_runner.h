// Runs the built brimlow program and reads what it wrote.
#ifndef BRIMLOW_TOOL_RUNNER_H
#define BRIMLOW_TOOL_RUNNER_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "vorl.h"

namespace brimlow_test {

// A methane line as a host sets it up and runs it, every other input at the
// library's default; by default the documented case. The caller deletes it.
struct Line {
  double length = 100000.0, diameter = 0.5, inflow = 20.0, breach = 30000.0;
  int material = 74828;
};
inline VorlHandle lineRun(const Line& line = {}) {
  VorlHandle m = VorlModelCreateZel(line.material);
  VorlAmbientPressureSet(m, 101325.0);
  VorlPipeLengthSet(m, line.length);
  VorlPipeDiameterSet(m, line.diameter);
  VorlPipeRoughnessSet(m, 5e-5);
  VorlUpstreamPressureSet(m, 7.0e6);
  VorlTotalInflowSet(m, line.inflow);
  VorlGasTemperatureSet(m, 288.15);
  VorlPipeBreachLocationSet(m, line.breach);
  VorlRun(m);
  return m;
}
inline VorlHandle defaultCaseRun() { return lineRun(); }

// Ordered: the columns of a table keep the order of the document.
using Json = nlohmann::ordered_json;
using CsvRows = std::vector<std::vector<std::string>>;

struct ToolRun {
  int status = -1;  // exit status of brimlow
  std::string out;  // standard output
  std::string err;  // standard error
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A file of the source tree: "examples/cases/default.json".
inline std::string sourcePath(const std::string& relative) {
  return std::string(BRIMLOW_SOURCE_DIR) + "/" + relative;
}

// A fresh directory, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir() : path_((std::filesystem::temp_directory_path() / "brimlow-checks-XXXXXX").string()) {
    if (mkdtemp(path_.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  std::size_t entryCount() const {
    const std::filesystem::directory_iterator entries(path_);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
  }

 private:
  std::string path_;
};

inline std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// `brimlow <arguments>` with stdinText as input, in workDir ("": here), environment settings ("PATH=/nowhere") first.
inline ToolRun runTool(const std::vector<std::string>& arguments, const std::string& stdinText = "",
                       const std::string& workDir = "", const std::string& environment = "") {
  TempDir io;
  writeFile(io / "stdin", stdinText);
  std::string command;
  if (!workDir.empty()) command += "cd " + shellQuoted(workDir) + " && ";
  if (!environment.empty()) command += "env " + environment + " ";
  command += shellQuoted(BRIMLOW_PROGRAM);
  for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
  command += " < " + shellQuoted(io / "stdin") + " > " + shellQuoted(io / "stdout") + " 2> " +
             shellQuoted(io / "stderr");
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(io / "stdout"), readFile(io / "stderr")};
}

// Starts `brimlow <arguments>` as a child (no shell), standard input from
// /dev/null, output and errors into files, ASAN_OPTIONS if given; -1 when it cannot.
inline pid_t spawnTool(const std::vector<std::string>& arguments, const std::string& stdoutPath,
                       const std::string& stderrPath, const std::string& workDir = "",
                       const std::string& sanitizerOptions = "") {
  std::vector<std::string> words = {BRIMLOW_PROGRAM};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child != 0) return child;
  if (!sanitizerOptions.empty()) setenv("ASAN_OPTIONS", sanitizerOptions.c_str(), 1);
  const int in = open("/dev/null", O_RDONLY);
  const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0 || (!workDir.empty() && chdir(workDir.c_str()) != 0)) _exit(127);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  execv(argv[0], argv.data());
  _exit(127);
}

// A run with its peak resident memory in kilobytes (stdoutPath "/dev/full" for a full disk).
struct MeasuredRun {
  int status = -1;
  std::string err;
  long peakKilobytes = 0;
};

inline MeasuredRun runToolMeasured(const std::vector<std::string>& arguments, const std::string& stdoutPath,
                                   const std::string& workDir = "") {
  TempDir io;
  // AddressSanitizer's quarantine of freed memory is not the tool's own.
  const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
  const pid_t child = spawnTool(arguments, stdoutPath, io / "stderr", workDir,
                                std::string(sanitizerOptions != nullptr ? sanitizerOptions : "") +
                                    ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0");
  MeasuredRun run;
  int status = 0;
  struct rusage usage {};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
  }
  run.err = readFile(io / "stderr");
  return run;
}

// The JSON document of a run that must succeed (arguments end in --json).
inline Json runJson(const std::vector<std::string>& arguments, const std::string& stdinText = "") {
  const ToolRun run = runTool(arguments, stdinText);
  EXPECT_EQ(run.status, 0) << run.err;
  return Json::parse(run.out);
}

// CSV rows of cells (quoted fields allowed).
inline CsvRows parseCsv(const std::string& text) {
  CsvRows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      field += text[++i];
    } else if (c == '"') {
      quoted = !quoted;
    } else if (quoted || (c != ',' && c != '\n')) {
      field += c;
    } else {
      row.push_back(std::exchange(field, {}));
      if (c == '\n') rows.push_back(std::exchange(row, {}));
    }
  }
  if (!row.empty() || !field.empty()) {
    row.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

// A cell as a double: "inf" is infinity, "" NaN.
inline double cellValue(const std::string& cell) {
  if (cell.empty()) return std::numeric_limits<double>::quiet_NaN();
  if (cell == "inf") return std::numeric_limits<double>::infinity();
  std::size_t used = 0;
  const double value = std::stod(cell, &used);
  if (used != cell.size()) throw std::runtime_error("not a number: " + cell);
  return value;
}

// Index of a named column in a header row (header.size() when absent).
inline std::size_t columnOf(const std::vector<std::string>& header, const std::string& name) {
  return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
}

// A JSON number equal to value, or null for an infinite or missing value.
inline bool sameValue(const Json& json, double value) {
  if (json.is_null()) return !(value - value == 0.0);  // infinity or NaN
  return json.is_number() && json.get<double>() == value;
}

}  // namespace brimlow_test

#endif
