#include "tool_runner.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace brimlow_test {
namespace {

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

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brimlow-checks-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::entries(const std::string& sub) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(sub.empty() ? path_ : path_ + "/" + sub, error)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

ToolRun runTool(const std::vector<std::string>& arguments, const std::string& stdinText, const std::string& workDir,
                const std::string& environment) {
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
  ToolRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readFile(io / "stdout");
  run.err = readFile(io / "stderr");
  return run;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

std::string sourcePath(const std::string& relative) { return std::string(BRIMLOW_SOURCE_DIR) + "/" + relative; }

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
      any = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
      any = true;
    } else if (c == '\n') {
      row.push_back(field);
      rows.push_back(row);
      row.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (any) {
    row.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

double cellValue(const std::string& cell) {
  if (cell.empty()) return std::numeric_limits<double>::quiet_NaN();
  if (cell == "inf") return std::numeric_limits<double>::infinity();
  std::size_t used = 0;
  const double value = std::stod(cell, &used);
  if (used != cell.size()) throw std::runtime_error("not a number: " + cell);
  return value;
}

}  // namespace brimlow_test
