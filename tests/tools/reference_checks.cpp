// run --reference: the table against the library's own for the same case, the figures against table and summary.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "tool_runner.h"
#include "vorl.h"

namespace brimlow_test {
namespace {

// The smallest pipe the kernel makes, and more than any one redraw of the
// reference's progress bar takes of it.
constexpr int kPipePage = 4096;
constexpr int kLongestRedraw = 200;

// 2 km of 0.2 m bore at 70 bar without inflow, breached at 500 m.
constexpr const char* kShortLine =
    R"({"pipe_length_m": 2000, "pipe_diameter_m": 0.2, "breach_location_m": 500, "inflow_kg_per_s": 0)";

std::string shortLine(const std::string& more = "") { return std::string(kShortLine) + more + "}"; }

VorlHandle shortLineModel(int material = 74828) { return lineRun({2000.0, 0.2, 0.0, 500.0, material}); }

std::vector<std::string> libraryColumnNames() {
  std::vector<std::string> names;
  for (int j = 0; j < VorlReferenceTableColumnCount(); ++j) {
    char name[64] = "";
    VorlReferenceTableColumnName(j, name, sizeof name);
    names.emplace_back(name);
  }
  return names;
}

bool sameBits(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

TEST(Reference, TableIsTheLibrarysAtTheSummarysInstantsAndAnEvenGrid) {
  TempDir dir;
  const Json result = runJson({"run", "-", "--reference", "--out", dir.path(), "--json"}, shortLine());
  const CsvRows rows = parseCsv(readFile(dir / "reference.csv"));
  ASSERT_GT(rows.size(), 100u);
  EXPECT_EQ(rows.front(), libraryColumnNames());

  // The times are the library's for the end of the fast model's finite
  // history (VorlModelReportTimes: tests/run/reference_run_test.cpp).
  std::vector<double> times;
  for (std::size_t r = 1; r < rows.size(); ++r) times.push_back(cellValue(rows[r][0]));
  const double end = result["summary"]["end_time_s"].get<double>();
  ASSERT_GT(end, 60.0);
  ASSERT_LT(end, 600.0);
  EXPECT_EQ(result["reference"]["end_time_s"].get<double>(), end);
  std::vector<double> libraryTimes(static_cast<std::size_t>(VorlModelReportTimes(end, nullptr, 0)));
  VorlModelReportTimes(end, libraryTimes.data(), static_cast<int>(libraryTimes.size()));
  EXPECT_EQ(times, libraryTimes);

  // The library's table of the same case at those times, bit for bit.
  VorlHandle m = shortLineModel();
  VorlReferenceReportTimesSet(m, times.data(), static_cast<int>(times.size()));
  const int count = VorlReferenceRun(m, nullptr, nullptr);
  ASSERT_EQ(count, static_cast<int>(times.size()));
  const std::size_t width = rows.front().size();
  std::vector<double> library(static_cast<std::size_t>(count) * width);
  ASSERT_EQ(VorlReferenceTableFill(m, library.data(), count), count);
  VorlModelDelete(&m);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    for (std::size_t j = 0; j < width; ++j) {
      ASSERT_TRUE(sameBits(cellValue(rows[r][j]), library[(r - 1) * width + j]))
          << rows.front()[j] << " at " << rows[r][0] << ": " << rows[r][j];
    }
  }
  // The document holds the same table.
  const Json& table = result["reference"]["table"];
  ASSERT_EQ(table.size(), width);
  for (std::size_t j = 0; j < width; ++j) {
    const Json& column = table[rows.front()[j]];
    ASSERT_EQ(column.size(), rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r) ASSERT_TRUE(sameValue(column[r - 1], cellValue(rows[r][j])));
  }
}

// The reference's row at time t in the document's table.
double tableValue(const Json& table, const char* column, double t) {
  const Json& times = table["time_s"];
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (times[i].get<double>() == t) return table[column][i].get<double>();
  }
  return NAN;
}

TEST(Reference, FiguresAreTheTablesAndTheSummarysAndTheirRatios) {
  const Json result = runJson({"run", "-", "--json"}, shortLine(R"(, "reference": true)"));
  EXPECT_EQ(result["case"]["reference"], true) << "the case reads back as one with the reference";
  const Json& ref = result["reference"];
  const Json& fast = ref["fast"];
  const Json& summary = result["summary"];
  const double end = ref["end_time_s"].get<double>();
  // The fast model's figures are its release report's where it has them.
  EXPECT_EQ(fast["release_rate_breach_kg_per_s"], summary["initial_release_rate_kg_per_s"]);
  EXPECT_EQ(fast["mass_released_breach_kg"], 0.0);
  for (const char* mark : {"10s", "1min"}) {
    EXPECT_EQ(fast[std::string("release_rate_") + mark + "_kg_per_s"],
              summary[std::string("release_rate_") + mark + "_kg_per_s"]);
  }
  EXPECT_EQ(fast["mass_released_1min_kg"], summary["mass_released_1min_kg"]);
  EXPECT_EQ(fast["mass_released_end_kg"], summary["mass_released_end_kg"]);

  const std::pair<const char*, double> instants[] = {{"breach", 0.0}, {"10s", 10.0}, {"1min", 60.0},
                                                     {"10min", 600.0}, {"1h", 3600.0}, {"end", end}};
  for (const auto& [mark, time] : instants) {
    SCOPED_TRACE(mark);
    const std::string rate = std::string("release_rate_") + mark, mass = std::string("mass_released_") + mark;
    const Json& r = ref[rate + "_kg_per_s"];
    const Json& q = ref[mass + "_kg"];
    if (time > end) {  // past the end of the reference
      EXPECT_TRUE(r.is_null() && q.is_null() && ref["ratios"][rate].is_null());
      continue;
    }
    EXPECT_EQ(r.get<double>(), tableValue(ref["table"], "release_rate_kg_per_s", time));
    EXPECT_EQ(q.get<double>(), tableValue(ref["table"], "mass_released_kg", time));
    EXPECT_EQ(ref["ratios"][rate].get<double>(), fast[rate + "_kg_per_s"].get<double>() / r.get<double>());
    if (time > 0.0) {
      EXPECT_EQ(ref["ratios"][mass].get<double>(), fast[mass + "_kg"].get<double>() / q.get<double>());
    }
  }
  // Nothing is released at the breach instant: no ratio.
  EXPECT_TRUE(ref["ratios"]["mass_released_breach"].is_null());

  // The summary puts them side by side.
  const ToolRun text = runTool({"run", "-", "--reference"}, shortLine());
  ASSERT_EQ(text.status, 0) << text.err;
  for (const char* expected : {"Reference solution: ideal gas", "fast/reference", "release rate at the breach",
                               "mass released after 1 min"}) {
    EXPECT_NE(text.out.find(expected), std::string::npos) << "missing \"" << expected << "\" in\n" << text.out;
  }
  EXPECT_EQ(text.err, "") << "no progress bar without a terminal or --progress";
}

TEST(Reference, RealGasChangesTheReferenceAndNotTheFastModel) {
  Json ideal = runJson({"run", "-", "--reference", "--json"}, shortLine());
  Json real = runJson({"run", "-", "--reference", "--json"}, shortLine(R"(, "real_gas": true)"));
  EXPECT_EQ(ideal["reference"]["real_gas"], false);
  EXPECT_EQ(real["reference"]["real_gas"], true);
  EXPECT_NE(ideal["reference"]["table"]["mass_released_kg"], real["reference"]["table"]["mass_released_kg"]);
  // Methane at 70 bar is denser than the ideal gas: the line holds more.
  EXPECT_GT(real["reference"]["table"]["line_mass_kg"][0].get<double>(),
            ideal["reference"]["table"]["line_mass_kg"][0].get<double>());
  for (const char* fastPart : {"summary", "branch_a", "branch_b", "pipe"}) {
    EXPECT_EQ(ideal[fastPart], real[fastPart]) << fastPart;
  }
  EXPECT_EQ(ideal["reference"]["fast"], real["reference"]["fast"]);
}

TEST(Reference, TheLibrarysRefusalIsReportedUnderItsKeyAndWritesNothing) {
  // Propane at 70 bar and 288 K is a liquid: the real gas has no gas phase.
  VorlHandle m = shortLineModel(74986);
  VorlErrorLogClear();
  VorlReferenceRealGasSet(m, 1);
  EXPECT_EQ(VorlReferenceRun(m, nullptr, nullptr), 0);
  VorlModelDelete(&m);
  const int last = VorlErrorLogCount() - 1;
  ASSERT_GE(last, 0);
  EXPECT_EQ(VorlErrorLogCode(last), 407);
  char message[1024] = "";
  VorlErrorLogMessage(last, message, sizeof message);
  const std::string library = message;
  const std::string plain = library.substr(library.find(": ") + 2);  // without "VORL 407 <tag>: "

  TempDir dir;
  const ToolRun run = runTool({"run", "-", "--out", dir / "out"},
                              shortLine(R"(, "material": "propane", "reference": true, "real_gas": true)"));
  // The fast model's answer stands: its summary and files, the reference's
  // failure named apart, and a status of its own.
  EXPECT_EQ(run.status, 7);
  EXPECT_NE(run.err.find("the reference solution failed, the fast model's answer stands: real_gas: " + plain),
            std::string::npos)
      << run.err << "\nlibrary: " << library;
  EXPECT_NE(run.out.find("the fast model (the reference solution failed)"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "out/pipe.csv"));
  EXPECT_FALSE(std::filesystem::exists(dir / "out/reference.csv"));

  // A batch runs the fast model only: a row asking for the reference fails.
  const ToolRun batch = runTool({"batch", "-"}, "name,reference\nfast,false\nslow,true\n");
  EXPECT_EQ(batch.status, 6);
  const CsvRows rows = parseCsv(batch.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][columnOf(rows[0], "status")], "ok");
  EXPECT_EQ(rows[2][columnOf(rows[0], "status")], "failed");
  // The tool's own flags take true, false, 0 or 1.
  EXPECT_EQ(runTool({"run", "-"}, shortLine(R"(, "reference": 2)")).status, 3);
}

// The reference chosen as the model answers to the --until end, and the fast
// model's branch records are no part of the answer. (Its summary is the
// library's release report: run_checks.cpp and tests/run/reference_run_test.cpp.)
TEST(Reference, TheChosenReferenceIsTheAnswerToTheUntilOption) {
  const Json result = runJson({"run", "-", "--model", "reference", "--until", "2 min", "--json"}, shortLine());
  EXPECT_EQ(result["model"], "reference");
  EXPECT_FALSE(result.contains("branch_a"));
  EXPECT_EQ(result["reference"]["end_time_s"].get<double>(), 120.0);
  EXPECT_EQ(result["summary"]["end_time_s"].get<double>(), 120.0);
  EXPECT_TRUE(result["summary"]["mass_released_10min_kg"].is_null()) << "past the reference's end";
  EXPECT_EQ(runTool({"run", "--model", "slow"}).status, 2);
  const ToolRun idealOnly = runTool({"run", "-", "--real-gas", "--no-reference"}, shortLine());
  EXPECT_EQ(idealOnly.status, 0);
  EXPECT_NE(idealOnly.err.find("real_gas has no meaning here"), std::string::npos) << idealOnly.err;
  const ToolRun fastOnly = runTool({"run", "-", "--until", "2 min", "--no-reference"}, shortLine());
  EXPECT_EQ(fastOnly.status, 0);
  EXPECT_NE(fastOnly.err.find("reference_end (--until) has no meaning here"), std::string::npos) << fastOnly.err;
  EXPECT_EQ(runTool({"run", "--until", "-1"}).status, 2);
}

// The reference as the model keeps the fast model beside it in the
// comparison: the fast figures are the fast model's own, as beside the
// reference over the same span, not the answer's again.
TEST(Reference, TheChosenReferenceComparesWithTheFastModelsOwnFigures) {
  const Json chosen = runJson({"run", "-", "--model", "reference", "--until", "2 min", "--json"}, shortLine());
  const Json beside = runJson({"run", "-", "--until", "2 min", "--json"}, shortLine());
  EXPECT_EQ(chosen["reference"]["fast"], beside["reference"]["fast"]);
  EXPECT_NE(chosen["reference"]["fast"]["mass_released_10s_kg"], chosen["reference"]["mass_released_10s_kg"]);
}

// Holes below the fast model's smallest aperture: refused by the fast model
// with word of the reference, taken by the reference down to 1 mm.
TEST(Reference, TheReferenceTakesHolesTheFastModelRefuses) {
  const std::string hole = shortLine(R"(, "hole_diameter_m": "5 mm")");
  const ToolRun fast = runTool({"run", "-"}, hole);
  EXPECT_EQ(fast.status, 4);
  EXPECT_NE(fast.err.find("takes smaller holes, down to 1 mm"), std::string::npos) << fast.err;
  const ToolRun reference = runTool({"run", "-", "--model", "reference", "--until", "30 s"}, hole);
  EXPECT_EQ(reference.status, 0) << reference.err;
  const ToolRun tooSmall =
      runTool({"run", "-", "--model", "reference"}, shortLine(R"(, "hole_diameter_m": "0.5 mm")"));
  EXPECT_EQ(tooSmall.status, 4);
  EXPECT_NE(tooSmall.err.find("hole_diameter_m: "), std::string::npos) << tooSmall.err;
  // A batch row takes --model unless it chooses its own.
  const ToolRun batch = runTool({"batch", "-", "--model", "reference"},
                                "pipe_length_m,pipe_diameter_m,breach_location_m,inflow_kg_per_s,aperture,model\n"
                                "2000,0.2,500,0,0.01,\n2000,0.2,500,0,0.01,fast\n");
  EXPECT_EQ(batch.status, 6);
  const CsvRows rows = parseCsv(batch.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][columnOf(rows[0], "status")], "ok");
  EXPECT_EQ(rows[2][columnOf(rows[0], "status")], "failed");
}

TEST(Reference, ProgressOnRequestAndCtrlCCancelsWithoutFiles) {
  const ToolRun shown = runTool({"run", "-", "--reference", "--progress"}, shortLine());
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.err.find("reference [##############################] 100 %"), std::string::npos) << shown.err;
  EXPECT_EQ(shown.out.find("reference ["), std::string::npos) << "the bar went to standard output";

  // Ctrl-C while the reference runs. The run takes milliseconds, so it is
  // held where it cannot end: its bar goes into a pipe of one page that
  // nobody reads until the signal is sent, and the whole bar is more than a
  // page, so a redraw waits on the full pipe.
  TempDir dir;
  int bar[2];
  ASSERT_EQ(pipe(bar), 0);
  ASSERT_EQ(fcntl(bar[0], F_SETPIPE_SZ, kPipePage), kPipePage);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int none = open("/dev/null", O_RDWR);
    if (none < 0 || dup2(none, 0) < 0 || dup2(none, 1) < 0 || dup2(bar[1], 2) < 0) _exit(127);
    const std::string out = dir / "out";
    execl(BRIMLOW_PROGRAM, BRIMLOW_PROGRAM, "run", "--reference", "--progress", "--out", out.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(bar[1]);
  int queued = 0, status = 0;
  for (int i = 0; i < 6000 && queued < kPipePage - kLongestRedraw; ++i) {
    ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the run ended before its bar filled the pipe";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(ioctl(bar[0], FIONREAD, &queued), 0);
  }
  kill(child, SIGINT);
  std::string err;
  char chunk[kPipePage];
  for (ssize_t got; (got = read(bar[0], chunk, sizeof chunk)) > 0;) err.append(chunk, static_cast<std::size_t>(got));
  close(bar[0]);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of cancelling";
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_NE(err.find("brimlow run: cancelled"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out") && !std::filesystem::is_empty(dir / "out"));
}

// The line as operated is the reference's: the fast model alone refuses it,
// naming the reference, and beside the reference keeps its own supply and
// valves, its answer that of the case without them. A batch cell reads the
// supply's words.
TEST(Reference, TheLineAsOperatedIsTheReferencesAndTheFastModelKeepsItsOwn) {
  const std::string line =
      R"({"pipe_length_m": 2000, "pipe_diameter_m": 0.2, "breach_location_m": 500, "inflow_kg_per_s": 5,
          "valves": [{"position_m": 200, "closure_time_s": 5}])";
  const std::string operated = line + R"(, "supply": "holding pressure", "valve_closing_duration_s": 20})";
  const ToolRun alone = runTool({"run", "-", "--no-reference"}, operated);
  EXPECT_EQ(alone.status, 4);
  EXPECT_NE(alone.err.find("supply: the fast model keeps a constant inflow"), std::string::npos) << alone.err;
  EXPECT_NE(alone.err.find("reference solution takes it"), std::string::npos) << alone.err;

  const Json both = runJson({"run", "-", "--json"}, operated);
  const Json fastOnly = runJson({"run", "-", "--json", "--no-reference"}, line + "}");
  EXPECT_EQ(both["summary"], fastOnly["summary"]);
  EXPECT_EQ(both["operation"]["supply"]["reference"], "holding 70 bar at the inlet");
  EXPECT_EQ(both["operation"]["valve_closure"]["fast"], "each valve shut at once at its closure time");
  EXPECT_TRUE(both.contains("reference"));

  TempDir dir;
  writeFile(dir / "cases.csv", "pipe_length_m,supply\n2000,holding pressure\n");
  const ToolRun batch = runTool({"batch", dir / "cases.csv"});
  EXPECT_EQ(batch.status, 6);
  EXPECT_NE(batch.out.find("reference solution takes it"), std::string::npos) << batch.out;
}

}  // namespace
}  // namespace brimlow_test
