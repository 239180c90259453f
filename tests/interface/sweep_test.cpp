// VorlSweepRun: many cases in one call on the library's threads, each as a
// single run of it gives it, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace vorl::test {
namespace {

constexpr int kBreachInput = 6, kApertureInput = 7, kInflowInput = 4, kLengthInput = 3;

// One case as the one-call arrays hold it: the default line (100 km of 0.5 m
// bore at 70 bar) with some inputs changed.
struct SweepCase {
  int material = kMethane;
  double molecularWeight = 0.0;
  int model = VORL_MODEL_FAST;
  std::vector<int> flags{0, 0};
  std::vector<double> inputs{288.15, 101325.0, 0.7, 100000.0, 0.0, 7.0e6, 30000.0, 1.0,
                             0.5,    5e-5,     28.966, 12.5, 1000.0, 1e-6, 0.01, 288.15};
  int timeDivision = 100, maxSteps = 1000;
  std::vector<double> valvePositions, valveTimes;

  SweepCase with(int input, double value) const {
    SweepCase c = *this;
    c.inputs[static_cast<std::size_t>(input)] = value;
    return c;
  }
};

const std::vector<double> kPipeTimes{0.0, 10.0, 333.0, 5000.0};

struct SweepOutcome {
  std::vector<double> report, pipe;
  std::vector<int> status, codes;
  int finished = 0;
};

int reportWidth() { return VorlReleaseReportColumnCount(); }
int pipeWidth() { return static_cast<int>(kPipeTimes.size()) * VorlPipeTableColumnCount(); }

SweepOutcome sweep(const std::vector<SweepCase>& cases, int threads, VorlProgress progress = nullptr,
                   void* user = nullptr) {
  std::vector<int> materials, models, flags, divisions, steps, starts{0};
  std::vector<double> weights, inputs, positions, times;
  for (const SweepCase& c : cases) {
    materials.push_back(c.material);
    weights.push_back(c.molecularWeight);
    models.push_back(c.model);
    flags.insert(flags.end(), c.flags.begin(), c.flags.end());
    inputs.insert(inputs.end(), c.inputs.begin(), c.inputs.end());
    divisions.push_back(c.timeDivision);
    steps.push_back(c.maxSteps);
    positions.insert(positions.end(), c.valvePositions.begin(), c.valvePositions.end());
    times.insert(times.end(), c.valveTimes.begin(), c.valveTimes.end());
    starts.push_back(static_cast<int>(positions.size()));
  }
  const std::size_t n = cases.size();
  SweepOutcome out{std::vector<double>(n * reportWidth()), std::vector<double>(n * pipeWidth()),
                   std::vector<int>(n, -1), std::vector<int>(n, -1)};
  const double tolerance = 0.0;
  out.finished = VorlSweepRun(static_cast<int>(n), materials.data(), weights.data(), models.data(), flags.data(),
                              inputs.data(), divisions.data(), steps.data(), starts.data(), positions.data(),
                              times.data(), threads, kPipeTimes.data(), static_cast<int>(kPipeTimes.size()),
                              &tolerance, 1, out.report.data(), out.pipe.data(), out.status.data(),
                              out.codes.data(), progress, user);
  return out;
}

// The case run alone through the handle interface: its report and pipe rows.
void runAlone(const SweepCase& c, std::vector<double>& report, std::vector<double>& pipe) {
  VorlHandle model = c.molecularWeight != 0.0 ? VorlModelCreateSimple(c.molecularWeight) : VorlModelCreateZel(c.material);
  const int valves = static_cast<int>(c.valvePositions.size());
  VorlGenericInputsSet(model, c.flags.data(), c.inputs.data(), c.valvePositions.data(), c.valveTimes.data(),
                       &c.timeDivision, &c.maxSteps, &valves);
  VorlRun(model);
  report.resize(static_cast<std::size_t>(reportWidth()));
  pipe.resize(static_cast<std::size_t>(pipeWidth()));
  const double tolerance = 0.0;
  ASSERT_EQ(VorlReleaseReportFill(model, report.data(), 1), 1);
  const int rows = static_cast<int>(kPipeTimes.size());
  ASSERT_EQ(VorlPipeTableFill(model, kPipeTimes.data(), rows, &tolerance, 1, pipe.data(), rows), rows);
  VorlModelDelete(&model);
}

bool sameBits(const double* a, const double* b, std::size_t n) { return std::memcmp(a, b, n * sizeof(double)) == 0; }

// Cases of every kind the fast model has: two branches, one (breach at the
// far end), fed, valves shutting on both sides, an ideal gas, a small hole.
std::vector<SweepCase> mixedCases() {
  const SweepCase line;
  SweepCase valves = line;
  valves.flags[0] = 1;
  valves.valvePositions = {10000.0, 80000.0};
  valves.valveTimes = {60.0, 120.0};
  SweepCase idealGas = line.with(kBreachInput, 55000.0);
  idealGas.molecularWeight = 20.0;
  return {line, line.with(kBreachInput, 100000.0), line.with(kInflowInput, 50.0), valves, idealGas,
          line.with(kApertureInput, 0.3).with(kLengthInput, 40000.0).with(kBreachInput, 5000.0)};
}

TEST(Sweep, EveryCaseAsItsSingleRunWhateverTheThreads) {
  const std::vector<SweepCase> cases = mixedCases();
  std::vector<std::vector<double>> reports(cases.size()), pipes(cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) runAlone(cases[i], reports[i], pipes[i]);
  for (int threads : {1, 2, 8}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    const SweepOutcome out = sweep(cases, threads);
    EXPECT_EQ(out.finished, static_cast<int>(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
      EXPECT_EQ(out.status[i], VORL_SWEEP_OK) << "case " << i;
      EXPECT_TRUE(sameBits(&out.report[i * reportWidth()], reports[i].data(), reports[i].size())) << "case " << i;
      EXPECT_TRUE(sameBits(&out.pipe[i * pipeWidth()], pipes[i].data(), pipes[i].size())) << "case " << i;
    }
  }
}

TEST(Sweep, ARefusedCaseGetsItsCodeAndTheOthersRun) {
  const SweepCase line;
  SweepCase unknownGas = line, unknownModel = line;
  unknownGas.material = 99999;
  unknownModel.model = 7;
  const std::vector<SweepCase> cases{line, line.with(kBreachInput, 0.0), unknownGas, unknownModel,
                                     line.with(kBreachInput, 60000.0)};
  const SweepOutcome out = sweep(cases, 2);
  EXPECT_EQ(out.finished, 2);
  EXPECT_EQ(VorlLastCode(), 0);  // the sweep did not fail: two of its cases did
  EXPECT_EQ(out.status, (std::vector<int>{VORL_SWEEP_OK, VORL_SWEEP_FAILED, VORL_SWEEP_FAILED, VORL_SWEEP_FAILED,
                                          VORL_SWEEP_OK}));
  EXPECT_EQ(out.codes, (std::vector<int>{0, VORL_E_RANGE_BREACH_LOCATION_LOW, VORL_E_UNKNOWN_MATERIAL,
                                         VORL_E_INVALID_MODEL_CHOICE, 0}));
  EXPECT_TRUE(std::isnan(out.report[1 * reportWidth()]));
  std::vector<double> report, pipe;
  runAlone(cases[4], report, pipe);
  EXPECT_TRUE(sameBits(&out.report[4 * reportWidth()], report.data(), report.size()));
}

int VORL_CALL stopAtOnce(double, void* calls) {
  ++*static_cast<int*>(calls);
  return 0;
}

TEST(Sweep, StoppedByItsProgressCallbackNoCaseStartsAfter) {
  VorlErrorLogClear();
  const std::vector<SweepCase> cases(400, SweepCase{});
  int calls = 0;
  const SweepOutcome out = sweep(cases, 2, stopAtOnce, &calls);
  EXPECT_EQ(VorlLastCode(), VORL_E_SWEEP_CANCELLED);
  EXPECT_EQ(calls, 1);
  int notRun = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (out.status[i] == VORL_SWEEP_NOT_RUN) {
      EXPECT_EQ(out.codes[i], VORL_E_SWEEP_CANCELLED);
      ++notRun;
    } else {
      EXPECT_EQ(out.status[i], VORL_SWEEP_OK);
      EXPECT_TRUE(sameBits(&out.report[i * reportWidth()], &out.report[0], reportWidth()));
    }
  }
  EXPECT_GT(notRun, 0);
  EXPECT_EQ(out.finished, static_cast<int>(cases.size()) - notRun);
  EXPECT_EQ(lastReport().code, VORL_E_SWEEP_CANCELLED);
}

TEST(Sweep, WhatNoCaseCouldRunWithIsRefusedBeforeAny) {
  const int flags[2] = {0, 0}, steps = 10, wrongStarts[2] = {1, 0};
  const double inputs[16] = {};
  int status = -1, code = -1;
  struct Refusal {
    int count, threads, timeCount;
    const int* starts;
    int expected;
  } refusals[] = {
      {-1, 0, 0, nullptr, VORL_E_SWEEP_CASE_COUNT},
      {1, -2, 0, nullptr, VORL_E_SWEEP_THREADS},
      {1, 0, -1, nullptr, VORL_E_ROW_COUNT},
      {1, 0, 0, wrongStarts, VORL_E_SWEEP_VALVE_STARTS},
      {1, 0, 1, nullptr, VORL_E_MISSING_DATA},  // times asked for without them
  };
  for (const Refusal& r : refusals) {
    VorlErrorLogClear();
    EXPECT_EQ(VorlSweepRun(r.count, &kMethane, nullptr, nullptr, flags, inputs, &steps, &steps, r.starts, nullptr,
                           nullptr, r.threads, nullptr, r.timeCount, nullptr, 1, nullptr, nullptr, &status, &code,
                           nullptr, nullptr),
              0);
    EXPECT_EQ(lastReport().code, r.expected);
    EXPECT_EQ(status, -1);
  }
}

// A reference case: the reference's answer as a model chosen to give it
// gives it, with its gas accounted for (no inflow: what left the line is
// what it held less what it holds).
TEST(Sweep, AReferenceCaseIsTheReferenceModelsAnswer) {
  SweepCase c = SweepCase{}.with(kLengthInput, 5000.0).with(kBreachInput, 2000.0);
  c.model = VORL_MODEL_REFERENCE;
  const SweepOutcome out = sweep({c}, 1);
  ASSERT_EQ(out.status[0], VORL_SWEEP_OK) << out.codes[0];

  VorlHandle model = VorlModelCreateZel(c.material);
  const int valves = 0;
  VorlGenericInputsSet(model, c.flags.data(), c.inputs.data(), nullptr, nullptr, &c.timeDivision, &c.maxSteps,
                       &valves);
  VorlModelChoiceSet(model, VORL_MODEL_REFERENCE);
  VorlModelRun(model, nullptr, nullptr);
  std::vector<double> report(static_cast<std::size_t>(reportWidth()));
  ASSERT_EQ(VorlReleaseReportFill(model, report.data(), 1), 1);
  VorlModelDelete(&model);
  EXPECT_TRUE(sameBits(out.report.data(), report.data(), report.size()));

  const auto field = [&](const char* name) {
    char text[80];
    for (int i = 0; i < reportWidth(); ++i) {
      VorlReleaseReportColumnName(i, text, sizeof text);
      if (std::string(text) == name) return out.report[static_cast<std::size_t>(i)];
    }
    return -1.0;
  };
  const double initial = field("initial_mass_kg");
  EXPECT_NEAR(field("mass_released_1min_kg") + field("gas_in_pipe_1min_kg"), initial, 1e-9 * initial);
}

// A reference case's end and real gas, given as the case's extra inputs,
// are those of the case run alone with them set; an input the one-call
// arrays hold is no extra input.
TEST(Sweep, ACasesExtraInputsAreItsOwnAsWhenRunAlone) {
  SweepCase c = SweepCase{}.with(kLengthInput, 5000.0).with(kBreachInput, 2000.0);
  const int extras[2] = {VorlInputFind("reference end time"), VorlInputFind("reference real gas flag")};
  const double values[2] = {40.0, 1.0};
  const int models = VORL_MODEL_REFERENCE, valves = 0;
  const double tolerance = 0.0;
  std::vector<double> report(static_cast<std::size_t>(reportWidth()));
  int status = -1, code = -1;
  ASSERT_EQ(VorlSweepRunWithInputs(1, &c.material, nullptr, &models, c.flags.data(), c.inputs.data(),
                                   &c.timeDivision, &c.maxSteps, nullptr, nullptr, nullptr, 2, extras, values, 1,
                                   nullptr, 0, &tolerance, 1, report.data(), nullptr, &status, &code, nullptr,
                                   nullptr),
            1)
      << code;

  VorlHandle model = VorlModelCreateZel(c.material);
  VorlGenericInputsSet(model, c.flags.data(), c.inputs.data(), nullptr, nullptr, &c.timeDivision, &c.maxSteps,
                       &valves);
  VorlReferenceEndTimeSet(model, values[0]);
  VorlReferenceRealGasSet(model, 1);
  VorlModelChoiceSet(model, VORL_MODEL_REFERENCE);
  VorlModelRun(model, nullptr, nullptr);
  std::vector<double> alone(report.size());
  ASSERT_EQ(VorlReleaseReportFill(model, alone.data(), 1), 1);
  EXPECT_TRUE(sameBits(report.data(), alone.data(), alone.size()));
  // Without them the release runs to its own end on the ideal gas: another answer.
  VorlReferenceEndTimeSet(model, 0.0);
  VorlReferenceRealGasSet(model, 0);
  VorlModelRun(model, nullptr, nullptr);
  ASSERT_EQ(VorlReleaseReportFill(model, alone.data(), 1), 1);
  EXPECT_FALSE(sameBits(report.data(), alone.data(), alone.size()));
  VorlModelDelete(&model);

  VorlErrorLogClear();
  const int held = VorlInputFind("pipe length");
  EXPECT_EQ(VorlSweepRunWithInputs(1, &c.material, nullptr, &models, c.flags.data(), c.inputs.data(),
                                   &c.timeDivision, &c.maxSteps, nullptr, nullptr, nullptr, 1, &held, values, 1,
                                   nullptr, 0, &tolerance, 1, report.data(), nullptr, &status, &code, nullptr,
                                   nullptr),
            0);
  EXPECT_EQ(lastReport().code, VORL_E_SWEEP_INPUT);
}

}  // namespace
}  // namespace vorl::test
