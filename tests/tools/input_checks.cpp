// Bad input: each class of problem gives its message and exit status, and
// nothing is written.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace brimlow_test {
namespace {

constexpr int kUsage = 2, kCaseForm = 3, kCaseValue = 4;

struct BadCase {
  const char* what;
  const char* caseText;  // the case file
  int status;
  std::vector<const char*> messages;  // each must appear on standard error
};

void expectRefused(const BadCase& bad) {
  TempDir dir;
  writeFile(dir / "case.json", bad.caseText);
  const ToolRun run = runTool({"run", "case.json", "--out", "results", "--json"}, "", dir.path());
  EXPECT_EQ(run.status, bad.status) << bad.what << "\n" << run.err;
  for (const char* message : bad.messages) {
    EXPECT_NE(run.err.find(message), std::string::npos) << bad.what << ": no \"" << message << "\" in\n" << run.err;
  }
  EXPECT_EQ(run.out, "") << bad.what;
  EXPECT_FALSE(fileExists(dir / "results")) << bad.what << ": an output directory was made";
  EXPECT_EQ(dir.entries().size(), 1u) << bad.what << ": something beside the case file was written";
}

TEST(BadCaseFile, FormProblemsAreAllReportedAtOnce) {
  expectRefused({"every form problem",
                 R"({"pipe_lenght_m": 5000, "aperture": "half", "time_division": 10.5,
                     "valves": [{"position_m": 1000}, {"position_m": 2, "closure_time_s": 3, "shut": 1}],
                     "material": "unobtainium", "valves_active": "yes"})",
                 kCaseForm,
                 {"unknown key 'pipe_lenght_m' (did you mean 'pipe_length_m'?)",
                  "aperture: must be a number, not \"half\"", "time_division: must be a whole number, not 10.5",
                  "valves[0].closure_time_s: missing", "valves[1]: unknown key 'shut'",
                  "material: unknown material 'unobtainium'", "valves_active: must be true or false"}});
}

TEST(BadCaseFile, UnreadableOrNotAnObject) {
  expectRefused({"not JSON", "{\"aperture\": 0.5,\n", kCaseForm, {"not valid JSON", "line 2"}});
  expectRefused({"an array", "[1, 2]", kCaseForm, {"must be a JSON object"}});
  expectRefused({"both gases", R"({"material": "ethane", "molar_mass_kg_per_kmol": 30})", kCaseForm,
                 {"give one of them, not both"}});

  TempDir dir;
  const ToolRun missing = runTool({"run", "absent.json", "--out", "results"}, "", dir.path());
  EXPECT_EQ(missing.status, kCaseForm);
  EXPECT_NE(missing.err.find("absent.json: cannot read the file"), std::string::npos) << missing.err;
  EXPECT_TRUE(dir.entries().empty());
}

TEST(BadCaseValues, TheLibrarysCheckNamesTheKeyValueAndRange) {
  expectRefused({"ambient temperature", R"({"ambient_temperature_K": 150})", kCaseValue,
                 {"ambient_temperature_K: ambient temperature 150 K is below 200 K (allowed 200 to 350 K)"}});
  expectRefused({"aperture", R"({"aperture": 0.1})", kCaseValue, {"aperture: ", "0.1", "allowed 0.2 to 1"}});
  expectRefused({"output steps", R"({"output_steps": 10001})", kCaseValue, {"output_steps: ", "10001"}});
  expectRefused({"expansion method", R"({"expansion_method": 3})", kCaseValue, {"expansion_method: "}});
  expectRefused({"valves active as a number", R"({"valves_active": 2})", kCaseValue, {"valves_active: "}});
  expectRefused({"gas temperature", R"({"gas_temperature_K": 400})", kCaseValue,
                 {"gas_temperature_K: ", "allowed 150 to 350 K"}});
}

TEST(BadCaseValues, AFailingValveIsNamedByItsPlaceInTheList) {
  expectRefused({"second valve's closure time",
                 R"({"valves": [{"position_m": 10000, "closure_time_s": 60},
                                {"position_m": 50000, "closure_time_s": 0}]})",
                 kCaseValue, {"valves[1].closure_time_s: ", "not above 0"}});
  expectRefused({"first valve's position",
                 R"({"valves": [{"position_m": -5, "closure_time_s": 60}]})", kCaseValue,
                 {"valves[0].position_m: ", "-5"}});
}

TEST(BadCaseValues, MaterialsTheLibraryDoesNotKnow) {
  expectRefused({"material number", R"({"material": 999})", kCaseValue, {"material: ", "999"}});
  expectRefused({"molar mass", R"({"material": null, "molar_mass_kg_per_kmol": -3})", kCaseValue,
                 {"molar_mass_kg_per_kmol: "}});
}

TEST(BadCommandLine, UsageErrorsWriteNothing) {
  TempDir dir;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"run", "--bogus"},
                                             {"run", "a.json", "b.json"},
                                             {"run", "--plot=gif"},
                                             {"run", "--out"},
                                             {"frobnicate"},
                                             {},
                                             {"batch"},
                                             {"batch", "x.csv", "--jobs", "0"},
                                             {"batch", "x.csv", "--shard", "4/4"},
                                             {"materials", "extra"}}) {
    const ToolRun run = runTool(arguments, "", dir.path());
    EXPECT_EQ(run.status, kUsage) << (arguments.empty() ? "(none)" : arguments[0]) << "\n" << run.err;
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_TRUE(dir.entries().empty());
}

TEST(Warnings, AreShownAndTheRunGoesOn) {
  // A breach beyond the end is moved to the end, with the library's warning.
  const ToolRun run = runTool({"run", "-"}, R"({"breach_location_m": 200000})");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("warning: breach location 200000 m is beyond the pipe length"), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("single branch A"), std::string::npos);
}

}  // namespace
}  // namespace brimlow_test
