// The default case: it runs, and its numbers are the library's own answers
// for the same line, set up here directly through the C interface.
#include <gtest/gtest.h>

#include <cmath>

#include "tool_runner.h"
#include "vorl.h"

namespace brimlow_test {
namespace {

using nlohmann::json;

// The documented default case, as a host would set it up: a 100 km methane
// line of 0.5 m bore at 70 bar fed by 20 kg/s, breached at 30 km, in air at
// 101325 Pa. Every other input keeps the library's own default.
class ReferenceModel {
 public:
  ReferenceModel() : model_(VorlModelCreateZel(74828)) {
    VorlAmbientPressureSet(model_, 101325.0);
    VorlPipeLengthSet(model_, 100000.0);
    VorlPipeDiameterSet(model_, 0.5);
    VorlPipeRoughnessSet(model_, 5e-5);
    VorlUpstreamPressureSet(model_, 7.0e6);
    VorlTotalInflowSet(model_, 20.0);
    VorlGasTemperatureSet(model_, 288.15);
    VorlPipeBreachLocationSet(model_, 30000.0);
    VorlRun(model_);
  }
  ~ReferenceModel() { VorlModelDelete(&model_); }
  ReferenceModel(const ReferenceModel&) = delete;
  ReferenceModel& operator=(const ReferenceModel&) = delete;
  VorlHandle get() const { return model_; }

 private:
  VorlHandle model_;
};

json runJson(const std::vector<std::string>& arguments) {
  const ToolRun run = runTool(arguments);
  EXPECT_EQ(run.status, 0) << run.err;
  return json::parse(run.out);
}

double infinite(double libraryValue) { return libraryValue > 9e127 ? INFINITY : libraryValue; }

TEST(DefaultCase, RunsWithoutAFileAndPrintsItsSummary) {
  const ToolRun run = runTool({"run"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* expected : {"built-in default case", "methane (74828)", "100000 m long, bore 0.5 m",
                               "70 bar upstream, inflow 20 kg/s", "at 30000 m", "double branch",
                               "initial release rate", "7032 kg/s", "time to flow reversal",
                               "mass released after 10 min", "never"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << "missing \"" << expected << "\" in\n" << run.out;
  }
}

TEST(DefaultCase, SummaryIsTheLibrarysOwnAnswers) {
  const json result = runJson({"run", "--json"});
  const json& s = result["summary"];
  ReferenceModel reference;
  VorlHandle m = reference.get();

  EXPECT_EQ(result["layout"], "double branch");
  EXPECT_DOUBLE_EQ(s["fanning_factor"], VorlFanning(m));
  EXPECT_TRUE(s["a_time_to_depressurise_s"].is_null()) << "branch A is fed: it never finishes";
  EXPECT_DOUBLE_EQ(s["a_time_to_dechoke_s"], VorlBranchATimeToDechoke(m));
  EXPECT_DOUBLE_EQ(s["a_time_to_disturb_entire_branch_s"], VorlBranchATimeToDisturbEntireFlow(m));
  EXPECT_DOUBLE_EQ(s["b_time_to_dechoke_s"], VorlBranchBTimeToDechoke(m));
  EXPECT_DOUBLE_EQ(s["b_time_to_disturb_entire_branch_s"], VorlBranchBTimeToDisturbEntireFlow(m));
  EXPECT_DOUBLE_EQ(s["b_time_to_flow_reversal_s"], VorlBranchBTimeToFlowReversal(m));
  EXPECT_DOUBLE_EQ(s["b_time_to_depressurise_s"], VorlBranchBTimeToDepressurise(m));
  EXPECT_DOUBLE_EQ(s["end_time_s"], VorlPipeTimeMax(m));

  // At the breach instant both branches blow out of their ends of the break.
  EXPECT_DOUBLE_EQ(s["initial_release_rate_kg_per_s"], VorlBranchAExitFlux(m, 1) + VorlBranchBExitFlux(m, 1));
  VorlPipeTimeSet(m, 0.0, 0.0);
  EXPECT_DOUBLE_EQ(s["initial_mass_kg"], VorlPipeMassInitial(m));
  double velocity = 0, temperature = 0, liquid = 0, drop = 0;
  VorlPipePostFlash(m, &velocity, &temperature, &liquid, &drop);
  EXPECT_DOUBLE_EQ(s["postflash_temperature_K"], temperature);
  EXPECT_DOUBLE_EQ(s["postflash_velocity_m_per_s"], velocity);

  // Masses released at the marked times, looked up to a millionth of the time.
  const std::pair<const char*, double> marks[] = {
      {"mass_released_1min_kg", 60.0}, {"mass_released_10min_kg", 600.0}, {"mass_released_1h_kg", 3600.0}};
  for (const auto& [name, time] : marks) {
    const double set = VorlPipeTimeSet(m, time, 1e-6 * time);
    EXPECT_NEAR(set, time, 1e-6 * time);
    EXPECT_DOUBLE_EQ(s[name], VorlPipeMassExpelled(m)) << name;
  }
}

TEST(DefaultCase, BranchHistoriesAreTheLibrarysRecords) {
  const json result = runJson({"run", "--json"});
  ReferenceModel reference;
  VorlHandle m = reference.get();
  const json& a = result["branch_a"];
  const json& b = result["branch_b"];
  ASSERT_EQ(a["time_s"].size(), static_cast<std::size_t>(VorlBranchAFlowSequenceSize(m)));
  ASSERT_EQ(b["time_s"].size(), static_cast<std::size_t>(VorlBranchBFlowSequenceSize(m)));
  for (int i = 0; i < VorlBranchAFlowSequenceSize(m); ++i) {
    ASSERT_TRUE(sameValue(a["time_s"][i], infinite(VorlBranchATime(m, i)))) << i;
    ASSERT_EQ(a["regime"][i], VorlBranchARegime(m, i)) << i;
    ASSERT_TRUE(sameValue(a["exit_flux_kg_per_s"][i], infinite(VorlBranchAExitFlux(m, i)))) << i;
    ASSERT_TRUE(sameValue(a["upstream_pressure_Pa"][i], VorlBranchAUpstreamPressure(m, i))) << i;
    double t = 0, v = 0, l = 0, d = 0;
    VorlBranchAPostFlash(m, i, &t, &v, &l, &d);
    ASSERT_TRUE(sameValue(a["postflash_velocity_m_per_s"][i], v)) << i;
  }
  for (int i = 0; i < VorlBranchBFlowSequenceSize(m); ++i) {
    ASSERT_TRUE(sameValue(b["time_s"][i], infinite(VorlBranchBTime(m, i)))) << i;
    ASSERT_TRUE(sameValue(b["mass_expelled_kg"][i], VorlBranchBMassExpelled(m, i))) << i;
    ASSERT_TRUE(sameValue(b["length_to_pressure_peak_m"][i], VorlBranchBLengthToPressurePeak(m, i))) << i;
  }
  // The fed branch A ends on a record of infinite time whose expelled mass
  // grows without end: both are null, not the library's 1e128 markers.
  EXPECT_TRUE(a["time_s"].back().is_null());
  EXPECT_TRUE(a["mass_expelled_kg"].back().is_null());
}

TEST(DefaultCase, PipeTableFollowsTheOutputGridOfTheOneCallEntry) {
  const json result = runJson({"run", "--json"});
  const json& pipe = result["pipe"];
  ReferenceModel reference;
  VorlHandle m = reference.get();
  VorlPipeOutputMaxStepsSet(m, 200);
  VorlPipeOutputTmaxSet(m, 900000.0);
  VorlPipeOutputTimesDefine(m, 3, 100);  // the smaller of time division 100 and output steps 200
  const int steps = VorlPipeOutputSteps(m);
  ASSERT_EQ(pipe["time_s"].size(), static_cast<std::size_t>(steps));
  // Before the breach nothing leaves; at its instant the initial rate does.
  EXPECT_EQ(pipe["time_s"][0], 0.0);
  EXPECT_EQ(pipe["time_s"][1], 0.0);
  EXPECT_EQ(pipe["mass_expelled_kg"][0], 0.0);
  EXPECT_EQ(pipe["exit_flux_kg_per_s"][1], result["summary"]["initial_release_rate_kg_per_s"]);
  for (int i = 1; i < steps; ++i) {
    const double set = VorlPipeTimeSet(m, VorlPipeOutputTime(m, i), VorlPipeOutputTimeTolerance(m, i));
    ASSERT_EQ(pipe["time_s"][i], set) << i;
    ASSERT_TRUE(sameValue(pipe["exit_flux_kg_per_s"][i], VorlPipeExitFlux(m))) << i;
    ASSERT_TRUE(sameValue(pipe["mass_expelled_kg"][i], VorlPipeMassExpelled(m))) << i;
  }
  // The supply keeps feeding branch A: the grid is carried on to 900000 s.
  EXPECT_EQ(pipe["time_s"].back(), 900000.0);
}

TEST(DefaultCase, ReleaseIsPhysicallyConsistent) {
  const json s = runJson({"run", "--json"})["summary"];
  const double m1 = s["mass_released_1min_kg"], m10 = s["mass_released_10min_kg"], m60 = s["mass_released_1h_kg"];
  const double end = s["end_time_s"], mEnd = s["mass_released_end_kg"], initial = s["initial_mass_kg"];
  EXPECT_LT(0.0, m1);
  EXPECT_LT(m1, m10);
  EXPECT_LT(m10, m60);
  EXPECT_LT(m60, mEnd);
  // No more can leave than was held plus what the supply fed since.
  EXPECT_LT(mEnd, initial + 20.0 * end);
  // Never faster than the initial rate.
  EXPECT_LT(m1, 60.0 * s["initial_release_rate_kg_per_s"].get<double>());
}

TEST(DefaultCase, ExampleFileAndEchoedCaseGiveTheSameResult) {
  const json builtIn = runJson({"run", "--json"});
  json fromFile = runJson({"run", sourcePath("examples/cases/default.json"), "--json"});
  EXPECT_EQ(fromFile["case"]["name"], "default case");
  fromFile["case"]["name"] = "";
  EXPECT_EQ(fromFile, builtIn) << "examples/cases/default.json and the built-in defaults differ";

  // The "case" of a result is a complete case file of its own.
  const ToolRun again = runTool({"run", "-", "--json"}, builtIn["case"].dump());
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(json::parse(again.out), builtIn);
}

TEST(OtherCases, IdealGasAndSingleBranchCasesRun) {
  // An ideal gas of methane's molar mass behaves as methane in the pipe.
  const ToolRun gas = runTool({"run", "-", "--json"}, R"({"material": null, "molar_mass_kg_per_kmol": 16.0428})");
  ASSERT_EQ(gas.status, 0) << gas.err;
  const json g = json::parse(gas.out);
  const json methane = runJson({"run", "--json"});
  EXPECT_NEAR(g["summary"]["initial_release_rate_kg_per_s"].get<double>(),
              methane["summary"]["initial_release_rate_kg_per_s"].get<double>(), 1e-3);

  // A breach at the far end leaves branch A alone; branch B's table is empty.
  const ToolRun end = runTool({"run", "-", "--json"}, R"({"breach_location_m": 100000})");
  ASSERT_EQ(end.status, 0) << end.err;
  const json e = json::parse(end.out);
  EXPECT_EQ(e["layout"], "single branch A");
  EXPECT_TRUE(e["branch_b"]["time_s"].empty());
  EXPECT_TRUE(e["summary"]["b_time_to_flow_reversal_s"].is_null());
  EXPECT_FALSE(e["branch_a"]["time_s"].empty());
}

TEST(OtherCases, ValvesShutAndHoldGasBack) {
  const json open = runJson({"run", "--json"});
  const json shut = runJson({"run", sourcePath("examples/cases/valves.json"), "--json"});
  EXPECT_EQ(shut["case"]["valves"].size(), 2u);
  // Upstream of the valve at 20 km the supply no longer reaches the breach:
  // branch A now blows down, and gas stays behind both valves.
  EXPECT_FALSE(shut["summary"]["a_time_to_depressurise_s"].is_null());
  EXPECT_GT(shut["summary"]["mass_trapped_end_kg"].get<double>(), 0.0);
  EXPECT_LT(shut["summary"]["mass_released_1h_kg"].get<double>(),
            open["summary"]["mass_released_1h_kg"].get<double>());
  // Until the first valve shuts at 300 s the release is the same.
  EXPECT_EQ(shut["summary"]["mass_released_1min_kg"], open["summary"]["mass_released_1min_kg"]);

  // The same valves, inactive, change nothing.
  json inactive = shut["case"];
  inactive["valves_active"] = false;
  const ToolRun run = runTool({"run", "-", "--json"}, inactive.dump());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(json::parse(run.out)["summary"]["mass_released_1h_kg"], open["summary"]["mass_released_1h_kg"]);
}

}  // namespace
}  // namespace brimlow_test
