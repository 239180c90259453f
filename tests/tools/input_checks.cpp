// Bad input: each class of problem gives its message and exit status, and
// nothing is written.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

constexpr int kOutput = 1, kUsage = 2, kForm = 3, kValue = 4;

struct BadInput {
  const char* what;
  const char* input;  // written to the file "input" of an empty directory; nullptr: none
  int status;
  std::vector<const char*> messages;  // each must appear on standard error
  std::vector<std::string> arguments = {"run", "input", "--out", "results", "--json"};
  const char* environment = "";
};

const BadInput kBadInputs[] = {
    // The form of a case file: every problem reported at once.
    {"every form problem",
     R"({"pipe_lenght_m": 5000, "aperture": "half", "time_division": 10.5,
         "valves": [{"position_m": 1000}, {"position_m": 2, "closure_time_s": 3, "shut": 1}],
         "material": "unobtainium", "valves_active": "yes"})",
     kForm,
     {"unknown key 'pipe_lenght_m' (did you mean 'pipe_length_m'?)", "aperture: must be a number, not \"half\"",
      "time_division: must be a whole number, not 10.5", "valves[0].closure_time_s: missing",
      "valves[1]: unknown key 'shut'", "material: unknown material 'unobtainium'",
      "valves_active: must be true or false"}},
    {"not JSON", "{\"aperture\": 0.5,\n", kForm, {"not valid JSON", "line 2"}},
    {"an array", "[1, 2]", kForm, {"must be a JSON object"}},
    {"both gases", R"({"material": "ethane", "molar_mass_kg_per_kmol": 30})", kForm, {"give one of them, not both"}},
    {"missing case file", nullptr, kForm, {"absent.json: cannot read the file"}, {"run", "absent.json", "--out", "r"}},
    // Values, by the library's check: the key in the file's terms, its value
    // and its allowed range.
    {"ambient temperature", R"({"ambient_temperature_K": 150})", kValue,
     {"ambient_temperature_K: ambient temperature 150 K is below 200 K (allowed 200 to 350 K)"}},
    {"aperture", R"({"aperture": 0.1})", kValue, {"aperture: ", "0.1", "allowed 0.2 to 1"}},
    {"output steps", R"({"output_steps": 10001})", kValue, {"output_steps: ", "10001"}},
    {"expansion method", R"({"expansion_method": 3})", kValue, {"expansion_method: "}},
    {"valves active as a number", R"({"valves_active": 2})", kValue, {"valves_active: "}},
    {"gas temperature", R"({"gas_temperature_K": 400})", kValue, {"gas_temperature_K: ", "allowed 150 to 350 K"}},
    {"second valve's closure time",
     R"({"valves": [{"position_m": 10000, "closure_time_s": 60}, {"position_m": 50000, "closure_time_s": 0}]})",
     kValue, {"valves[1].closure_time_s: ", "not above 0"}},
    {"first valve's position", R"({"valves": [{"position_m": -5, "closure_time_s": 60}]})", kValue,
     {"valves[0].position_m: ", "-5"}},
    {"material number", R"({"material": 999})", kValue, {"material: ", "999"}},
    {"molar mass", R"({"material": null, "molar_mass_kg_per_kmol": -3})", kValue, {"molar_mass_kg_per_kmol: "}},
    // A batch file it cannot read.
    {"batch column", "breach_location_m,apperture\n1000,0.5\n", kForm,
     {"unknown column 'apperture' (did you mean 'aperture'?)"}, {"batch", "input", "--out", "results.csv"}},
    {"missing batch file", nullptr, kForm, {"absent.csv: cannot read"}, {"batch", "absent.csv", "--out", "r.csv"}},
    // The command line.
    {"no command", nullptr, kUsage, {"usage: brimlow"}, {}},
    {"unknown command", nullptr, kUsage, {"unknown command 'frobnicate'"}, {"frobnicate"}},
    {"unknown option", nullptr, kUsage, {"unknown option '--bogus'"}, {"run", "--bogus"}},
    {"two case files", nullptr, kUsage, {"more than one case file"}, {"run", "a.json", "b.json"}},
    {"plot format", nullptr, kUsage, {"--plot takes png or svg"}, {"run", "--plot=gif"}},
    {"--out alone", nullptr, kUsage, {"--out takes a directory"}, {"run", "--out"}},
    {"batch without file", nullptr, kUsage, {"no cases file"}, {"batch"}},
    {"no threads", nullptr, kUsage, {"--jobs takes"}, {"batch", "x.csv", "--jobs", "0"}},
    {"shard out of range", nullptr, kUsage, {"--shard takes K/N"}, {"batch", "x.csv", "--shard", "4/4"}},
    {"materials argument", nullptr, kUsage, {"unexpected argument 'extra'"}, {"materials", "extra"}},
    // An output it cannot make.
    {"plot without gnuplot", nullptr, kOutput, {"needs gnuplot"}, {"run", "--out", "out", "--plot"}, "PATH=/nowhere"},
};

TEST(BadInput, GivesItsMessageAndStatusAndWritesNothing) {
  for (const BadInput& bad : kBadInputs) {
    SCOPED_TRACE(bad.what);
    TempDir dir;
    if (bad.input != nullptr) writeFile(dir / "input", bad.input);
    const ToolRun run = runTool(bad.arguments, "", dir.path(), bad.environment);
    EXPECT_EQ(run.status, bad.status) << run.err;
    for (const char* message : bad.messages) {
      EXPECT_NE(run.err.find(message), std::string::npos) << "no \"" << message << "\" in\n" << run.err;
    }
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.entryCount(), bad.input != nullptr ? 1u : 0u) << "something beside the input was written";
  }
}

}  // namespace
}  // namespace brimlow_test
