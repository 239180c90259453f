// Runs the built brimlow program and reads what it wrote.
#ifndef BRIMLOW_TOOL_RUNNER_H
#define BRIMLOW_TOOL_RUNNER_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace brimlow_test {

struct ToolRun {
  int status = -1;  // exit status of brimlow
  std::string out;  // standard output
  std::string err;  // standard error
};

// A fresh directory, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the directory (or in a subdirectory of it).
  std::vector<std::string> entries(const std::string& sub = "") const;

 private:
  std::string path_;
};

// Runs `brimlow <arguments>` (each argument quoted for the shell), with
// standard input from stdinText, in the directory workDir ("" for the
// current one); environment settings such as "PATH=/nowhere" go first.
ToolRun runTool(const std::vector<std::string>& arguments, const std::string& stdinText = "",
                const std::string& workDir = "", const std::string& environment = "");

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);

// A file of the source tree: "examples/cases/default.json".
std::string sourcePath(const std::string& relative);

// CSV rows of cells (quoted fields allowed).
std::vector<std::vector<std::string>> parseCsv(const std::string& text);

// A cell as a double: "inf" is infinity, "" NaN.
double cellValue(const std::string& cell);

// A JSON number equal to value, or null for an infinite or missing value.
template <class Json>
bool sameValue(const Json& json, double value) {
  if (json.is_null()) return !(value - value == 0.0);  // infinity or NaN
  return json.is_number() && json.template get<double>() == value;
}

}  // namespace brimlow_test

#endif
