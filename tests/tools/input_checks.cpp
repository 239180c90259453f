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
    {"a directory for a case file", nullptr, kForm, {"brimlow run: .: is a directory"}, {"run", ".", "--json"}},
    // What nlohmann's parser alone would take or abort on.
    {"number beyond a double", R"({"pipe_length_m": 5000, "aperture": 1e999})", kForm,
     {"aperture: the number 1e999 is beyond the range of a double"}},
    {"negative number beyond a double", R"({"valves": [{"position_m": 5, "closure_time_s": -1e400}]})", kForm,
     {"valves[0].closure_time_s: the number -1e400 is beyond the range of a double"}},
    {"keys given twice",
     R"({"aperture": 0.5, "valves": [{"position_m": 1, "position_m": 2, "closure_time_s": 3}], "aperture": 0.6,
         "pipe_lenght_m": 1})",
     kForm,
     {"aperture: the key is given twice", "valves[0].position_m: the key is given twice",
      "unknown key 'pipe_lenght_m'"}},
    {"misspelt material", R"({"material": "Methan"})", kForm,
     {"unknown material 'Methan' (did you mean 'methane'?"}},
    {"misspelt CAS number", R"({"material": "74-82-9"})", kForm, {"did you mean '74-82-8' (methane)?"}},
    {"far from any material", R"({"material": "xyz"})", kForm, {"unknown material 'xyz' (brimlow materials"}},
    // Text of the file quoted in a message reaches the terminal as text only.
    {"escapes in a key", R"({"x\u001b[2J\u009b1m\n": 1})", kForm, {"unknown key 'x\\x1b[2J\\xc2\\x9b1m\\n'"}},
    {"bidirectional controls in a key", R"({"x\u202ey\u2066\u200f": 1})", kForm,
     {"unknown key 'x\\xe2\\x80\\xaey\\xe2\\x81\\xa6\\xe2\\x80\\x8f'"}},
    {"bytes that are no text in a column", "name,col\xff\n", kForm, {"unknown column 'col\\xff'"},
     {"batch", "input"}},
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
    {"valve beyond the pipe's end",
     R"({"pipe_length_m": 50000, "breach_location_m": 20000,
         "valves": [{"position_m": 10000, "closure_time_s": 60}, {"position_m": 50000.5, "closure_time_s": 60}]})",
     kValue, {"valves[1].position_m: valve 2 position 50000.5 m is beyond the pipe end at 50000 m"}},
    {"molar mass", R"({"material": null, "molar_mass_kg_per_kmol": -3})", kValue, {"molar_mass_kg_per_kmol: "}},
    // Units: an unknown one names the key and the words accepted.
    {"unknown pressure unit", R"({"upstream_pressure_Pa": "70 bars"})", kForm,
     {"upstream_pressure_Pa: unknown unit 'bars' in '70 bars' (accepted: Pa, kPa, MPa, bar, bara, barg, psi, psia, "
      "psig, atm)"}},
    {"unknown temperature unit", R"({"gas_temperature_K": "15 C"})", kForm,
     {"gas_temperature_K: unknown unit 'C' in '15 C' (accepted: K, degC, "}},
    {"unknown length unit", R"({"pipe_length_m": "100 yd"})", kForm, {"(accepted: m, km, cm, mm, in, ft, mi)"}},
    {"unknown flow unit", R"({"inflow_kg_per_s": "20 kg"})", kForm, {"(accepted: kg/s, kg/min, kg/h, t/h)"}},
    {"unknown velocity unit", R"({"max_velocity_m_per_s": "100 km/h"})", kForm,
     {"max_velocity_m_per_s: unknown unit 'km/h' in '100 km/h' (accepted: m/s)"}},
    {"unknown time unit", R"({"valves": [{"position_m": "2 km", "closure_time_s": "1 day"}]})", kForm,
     {"valves[0].closure_time_s: unknown unit 'day' in '1 day' (accepted: s, min, h)"}},
    {"a unit without a number", R"({"pipe_length_m": "km"})", kForm,
     {"pipe_length_m: must be a number or a number with a unit, not \"km\""}},
    {"a unit where none is taken", R"({"aperture": "0.5 m"})", kForm, {"aperture: must be a number, not \"0.5 m\""}},
    {"a gauge ambient pressure", R"({"ambient_pressure_Pa": "0 barg"})", kForm,
     {"ambient_pressure_Pa: the ambient pressure is what a gauge pressure"}},
    {"a converted value beyond a double", R"({"upstream_pressure_Pa": "1e308 psi"})", kForm,
     {"is beyond the range of a double"}},
    // The hole by its diameter: alone, and within the bore of 0.5 m; (0.1 / 0.5)^2 = 0.04 is below the smallest
    // aperture 0.2, whose hole is sqrt(0.2) 0.5 m = 0.2236 m.
    {"hole beside an aperture", R"({"aperture": 0.5, "hole_diameter_m": 0.3})", kForm,
     {"aperture and hole_diameter_m: give one of them, not both"}},
    {"hole wider than the bore", R"({"hole_diameter_m": 0.6})", kValue,
     {"hole_diameter_m: hole diameter 0.6 m is not within the bore of 0.5 m"}},
    {"hole of 0 m", R"({"hole_diameter_m": 0})", kValue, {"hole_diameter_m: hole diameter 0 m is not within the bore"}},
    {"hole below the smallest aperture", R"({"hole_diameter_m": 0.1})", kValue,
     {"hole_diameter_m: hole diameter 0.1 m in the bore of 0.5 m gives the aperture 0.04: orifice aperture",
      "the smallest hole the fast model takes in this bore is 0.2236 m"}},
    // The table at a fixed step: above 0, and few enough rows.
    {"--table-step too small", "{}", kUsage, {"--table-step: a step of 0.001 s up to the end of the history at"},
     {"run", "input", "--out", "out", "--table-step", "0.001"}},
    {"--table-step 0", "{}", kUsage, {"--table-step: the table step 0 s is not above 0 s"},
     {"run", "input", "--out", "out", "--table-step", "0"}},
    {"--table-step unit", "{}", kUsage, {"--table-step: unknown unit 'day'"},
     {"run", "input", "--out", "out", "--table-step", "1 day"}},
    {"table_step_s too small", R"({"table_step_s": 0.001})", kValue, {"table_step_s: a step of 0.001 s"}},
    {"table_step_s negative", R"({"table_step_s": -5})", kValue, {"table_step_s: the table step -5 s is not above 0 s"}},
    // A batch file it cannot read.
    {"batch column", "breach_location_m,apperture\n1000,0.5\n", kForm,
     {"unknown column 'apperture' (did you mean 'aperture'?)"}, {"batch", "input", "--out", "results.csv"}},
    {"missing batch file", nullptr, kForm, {"absent.csv: cannot read"}, {"batch", "absent.csv", "--out", "r.csv"}},
    {"a directory for a batch file", nullptr, kForm, {"brimlow batch: .: is a directory"}, {"batch", "."}},
    {"a quote left open", "name,aperture\n\"open,0.5\n", kForm, {"line 2: a quoted field is not closed"},
     {"batch", "input", "--out", "results.csv"}},
    {"batch output onto its input", "name\nx\n", kUsage, {"--out input is the cases file itself"},
     {"batch", "input", "--out", "input"}},
    {"batch output a directory", "name\nx\n", kOutput, {"brimlow batch: . is a directory"},
     {"batch", "input", "--out", "."}},
    {"run output a file", "{}", kOutput, {"brimlow run: input is not a directory"}, {"run", "input", "--out", "input"}},
    // The command line.
    {"no command", nullptr, kUsage, {"usage: brimlow"}, {}},
    {"unknown command", nullptr, kUsage, {"unknown command 'frobnicate'"}, {"frobnicate"}},
    {"help of an unknown command", nullptr, kUsage, {"no help for 'frobnicate'"}, {"help", "frobnicate"}},
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

constexpr std::size_t kMebibyte = std::size_t{1} << 20;

// n arrays nested under a key of the case: {"key": [[[...]]]}.
std::string nestedUnder(const std::string& key, std::size_t n) {
  return "{\"" + key + "\": " + std::string(n, '[') + std::string(n, ']') + "}";
}

// Limits hold on input of any size or shape: case files over 32 MiB, nesting beyond 64 levels, rows over 1 MiB.
TEST(BadInput, LimitsHoldWhateverTheSizeOrShapeOfTheInput) {
  TempDir dir;
  const auto refusedCase = [&](const std::string& file, const std::string& message) {
    SCOPED_TRACE(file);
    const ToolRun run = runTool({"run", file, "--json"}, "", dir.path());
    EXPECT_EQ(run.status, kForm) << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  };
  // A sparse file: its size is known without reading it.
  { std::ofstream(dir / "huge.json"); }
  std::filesystem::resize_file(dir / "huge.json", 33 * kMebibyte);
  refusedCase("huge.json", "huge.json: is larger than 32 MiB, the limit of a case file");
  refusedCase("/dev/zero", "/dev/zero: is larger than 32 MiB");

  // A case of just under 32 MiB (blanks around it) is read.
  writeFile(dir / "padded.json", "{\"aperture\": 0.5}" + std::string(32 * kMebibyte - 20, ' '));
  EXPECT_EQ(runTool({"run", "padded.json", "--json"}, "", dir.path()).status, 0);

  // 64 levels in all are read (and the unknown key found); 65 are not, nor
  // a hundred thousand, which would overflow the stack of a recursive reader.
  writeFile(dir / "deep63.json", nestedUnder("bogus", 63));
  refusedCase("deep63.json", "unknown key 'bogus'");
  writeFile(dir / "deep64.json", nestedUnder("bogus", 64));
  refusedCase("deep64.json", "bogus: nested deeper than 64 levels");
  writeFile(dir / "deeper.json", nestedUnder("aperture", 100000));
  refusedCase("deeper.json", "aperture: nested deeper than 64 levels");

  // Batch: a row longer than 1 MiB stops the batch; with --out nothing is
  // written. So does an endless input without line breaks.
  TempDir batch;
  writeFile(batch / "cases.csv", "name,aperture\nfirst,0.5\n" + std::string(kMebibyte + 1, 'x') + ",0.5\nlast,1\n");
  const ToolRun longRow = runTool({"batch", "cases.csv", "--out", "results.csv"}, "", batch.path());
  EXPECT_EQ(longRow.status, kForm);
  EXPECT_NE(longRow.err.find("cases.csv: line 3: a row longer than 1 MiB"), std::string::npos) << longRow.err;
  EXPECT_EQ(batch.entryCount(), 1u) << "a stopped batch left its output";
  const ToolRun endless = runTool({"batch", "/dev/zero"});
  EXPECT_EQ(endless.status, kForm);
  EXPECT_NE(endless.err.find("line 1: a row longer than 1 MiB"), std::string::npos) << endless.err.substr(0, 300);
}

}  // namespace
}  // namespace brimlow_test
