#include "run/model_choice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "companion/reporting.h"
#include "core/vorl_error.h"
#include "model/inputs.h"
#include "model/vorl.h"
#include "run/reference_run.h"
#include "run/run_driver.h"

namespace vorl {
namespace {

constexpr const char* kTag = "VorlModelRun";

// The report's marks (s): its rates, masses and gas in the pipe, and the
// spans of its mean rates.
constexpr double kReportMarks[] = {10.0, 20.0, 60.0, 600.0, 3600.0};
constexpr int kEqualSteps = 200;
constexpr int kPointsPerDecade = 20;
constexpr double kDecadesBelowEnd = 6.0;

// The fast model beside the reference: its failure leaves the reference to
// answer alone, with a warning that says why.
void runFastBeside(VORL& model) {
  try {
    runModel(model);
  } catch (const MODELERROR& failure) {
    model.resetSequences();
    reportWarning(VORL_W_FAST_MODEL_FAILED, kTag,
                  "the fast model failed (" + failure.eGetErrorString() + "); the reference solution answers alone");
  }
}

// Ten to a whole power as the nearest double: 0.001 is 1 / 1000, which every
// platform's division rounds alike, where pow(10, -3) of some runtime
// libraries misses it by an ulp.
double powerOfTen(int exponent) {
  double magnitude = 1.0;
  for (int i = 0; i < std::abs(exponent); ++i) magnitude *= 10.0;
  return exponent >= 0 ? magnitude : 1.0 / magnitude;
}

}  // namespace

bool fastModelTakesAperture(const VORL& model) {
  return model.pipeSet().orificeAperture >= smallestAperture(ModelChoice::kFast, model.pipeInterior().Diameter());
}

std::vector<double> modelReportTimes(double end) {
  std::vector<double> times = {0.0};
  if (!(end > 0.0)) return times;
  for (double mark : kReportMarks) {
    if (mark < end) times.push_back(mark);
  }
  for (int k = 1; k < kEqualSteps; ++k) times.push_back(end * k / kEqualSteps);
  const double firstDecade = std::floor(std::log10(end) - kDecadesBelowEnd);
  for (int j = 0;; ++j) {
    const double time = j % kPointsPerDecade == 0
                            ? powerOfTen(static_cast<int>(firstDecade) + j / kPointsPerDecade)
                            : std::pow(10.0, firstDecade + static_cast<double>(j) / kPointsPerDecade);
    if (!(time < end)) break;
    times.push_back(time);
  }
  times.push_back(end);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

int runChosenModel(VORL& model, const reference::ProgressCallback& progress) {
  if (model.modelChoice() == ModelChoice::kFast) return runModel(model);
  model.resetSequences();
  // The fast model beside the reference, where it takes the case: its hole,
  // its constant inflow and its valves shutting at an instant.
  if (fastModelTakesAperture(model) && fastModelKeepsSupply(model) && fastModelKeepsValves(model)) {
    runFastBeside(model);
  }
  if (!model.referenceSettings().reportTimes.empty()) return runModelReference(model, progress);
  return runModelReference(model, progress, ReportTimesAtEnd(modelReportTimes));
}

}  // namespace vorl
