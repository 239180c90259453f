#include "results/sweep.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "companion/error_log.h"
#include "companion/reporting.h"
#include "core/enums.h"
#include "core/vorl_error.h"
#include "model/argument_checks.h"
#include "model/inputs.h"
#include "model/vorl.h"
#include "results/pipe_table.h"
#include "results/reference_answer.h"
#include "results/release_report.h"
#include "run/model_setup.h"
#include "run/model_choice.h"
#include "run/run_driver.h"

namespace vorl {
namespace {

constexpr const char* kTag = "VorlSweepRun";
constexpr double kNotAvailable = std::numeric_limits<double>::quiet_NaN();
// How often the calling thread tells the host how far the sweep is.
constexpr std::chrono::milliseconds kProgressInterval{50};
// More threads than this are not asked of any machine.
constexpr int kMostThreads = 1024;

std::size_t width(int slot) { return static_cast<std::size_t>(oneCallSlotSize(slot)); }

void requireArray(const void* array, const char* what) {
  if (array == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, std::string("the ") + what + " are null");
}

void checkValveStarts(const SweepCases& cases) {
  if (cases.valveStarts == nullptr) return;
  for (int i = 0; i <= cases.count; ++i) {
    const int start = cases.valveStarts[i];
    if (start < 0 || (i > 0 && start < cases.valveStarts[i - 1])) {
      throw VORLERROR(VORL_E_SWEEP_VALVE_STARTS, kTag,
                      "valve start " + std::to_string(i) + " is " + std::to_string(start) +
                          (start < 0 ? ", below 0" : ", below the one before it"));
    }
  }
  if (cases.valveStarts[cases.count] > 0) {
    requireArray(cases.valveFirst, "valve positions");
    requireArray(cases.valveSecond, "valve closure times");
  }
}

// The extra inputs a case may carry: rows of the input table the one-call
// arrays do not hold, of one value per model; the model choice has its own array.
void checkExtraInputs(const SweepCases& cases) {
  if (cases.extraCount < 0) {
    throw VORLERROR(VORL_E_SWEEP_INPUT, kTag,
                    "the count of extra inputs " + std::to_string(cases.extraCount) + " is below 0");
  }
  if (cases.extraCount == 0) return;
  requireArray(cases.extraInputs, "extra inputs");
  requireArray(cases.extraValues, "extra input values");
  for (int k = 0; k < cases.extraCount; ++k) {
    const int number = cases.extraInputs[k];
    const bool known = number >= 0 && static_cast<std::size_t>(number) < inputCount();
    const Input* row = known ? &inputAt(static_cast<std::size_t>(number)) : nullptr;
    if (row == nullptr || row->oneCall.slot != VORL_SLOT_NONE || row->perValve || row->id == InputId::kModelChoice) {
      throw VORLERROR(VORL_E_SWEEP_INPUT, kTag,
                      "extra input " + std::to_string(k) + " is input " + std::to_string(number) + ", " +
                          (row == nullptr ? std::string("not one of the input table's")
                                          : std::string(row->name) + ", which " +
                                                (row->perValve ? "belongs to each valve"
                                                 : row->id == InputId::kModelChoice
                                                     ? "the models array gives"
                                                     : "the one-call arrays hold")));
    }
  }
}

// The one-call arrays of case i.
struct CaseArrays {
  int valveCount;
  OneCallArrays arrays;
};

CaseArrays arraysOf(const SweepCases& cases, int i) {
  const auto row = static_cast<std::size_t>(i);
  const int first = cases.valveStarts != nullptr ? cases.valveStarts[i] : 0;
  const int valves = cases.valveStarts != nullptr ? cases.valveStarts[i + 1] - first : 0;
  CaseArrays c{valves, {}};
  c.arrays.flags = cases.flags + row * width(VORL_SLOT_FLAGS);
  c.arrays.inputs = cases.inputs + row * width(VORL_SLOT_INPUTS);
  c.arrays.valveFirst = valves > 0 ? cases.valveFirst + first : nullptr;
  c.arrays.valveSecond = valves > 0 ? cases.valveSecond + first : nullptr;
  c.arrays.timeDivision = cases.timeDivisions + row;
  c.arrays.maxSteps = cases.maxSteps + row;
  return c;
}

std::unique_ptr<VORL> modelOf(const SweepCases& cases, int i) {
  const double molecularWeight = cases.molecularWeights != nullptr ? cases.molecularWeights[i] : 0.0;
  if (molecularWeight != 0.0) return newModel(VORL::SimpleGas{molecularWeight});
  if (cases.materials == nullptr) {
    throw VORLERROR(VORL_E_MISSING_DATA, kTag,
                    "case " + std::to_string(i) + " gives neither a molecular weight nor a material");
  }
  return newModel(cases.materials[i]);
}

ModelChoice modelChoiceOf(const SweepCases& cases, int i) {
  const int choice = cases.models != nullptr ? cases.models[i] : VORL_MODEL_FAST;
  if (choice != VORL_MODEL_FAST && choice != VORL_MODEL_REFERENCE) {
    throw VORLERROR(VORL_E_INVALID_MODEL_CHOICE, kTag,
                    "case " + std::to_string(i) + ": model choice " + std::to_string(choice) +
                        " is neither 0 (the fast model) nor 1 (the reference solution)");
  }
  return choice == VORL_MODEL_FAST ? ModelChoice::kFast : ModelChoice::kReference;
}

// The one-call check of a case. The reference takes holes below the fast
// model's smallest aperture, down to its own smallest hole: such an aperture
// is checked against that, and the rest of the case as the check has it.
void checkCase(const OneCallArrays& arrays, ModelChoice choice) {
  const Input& aperture = input(InputId::kAperture);
  const double given = oneCallValue(aperture, arrays, 0);
  const double bore = oneCallValue(input(InputId::kPipeDiameter), arrays, 0);
  if (choice == ModelChoice::kFast || !(given < aperture.oneCall.minimum) ||
      !(given >= smallestAperture(ModelChoice::kReference, bore))) {
    checkOneCallInputs(arrays);
    return;
  }
  std::vector<double> inputs(arrays.inputs, arrays.inputs + width(VORL_SLOT_INPUTS));
  inputs[static_cast<std::size_t>(aperture.oneCall.index)] = aperture.oneCall.minimum;
  OneCallArrays withinFastRange = arrays;
  withinFastRange.inputs = inputs.data();
  checkOneCallInputs(withinFastRange);
}

class Sweep {
 public:
  Sweep(const SweepCases& cases, const SweepPipeTimes& times, const SweepOutputs& out, CaseFrame frame)
      : cases_(cases),
        times_(times),
        out_(out),
        frame_(frame),
        reportWidth_(releaseReportFields().count),
        pipeWidth_(static_cast<std::size_t>(times.count) * pipeTableColumns().count) {}

  int run(int threads, const SweepProgress& progress);

 private:
  void work();
  void runCase(int i);
  void compute(int i);
  void blank(int i);
  void markNotRun();
  bool stopped() const { return cancelled_.load(std::memory_order_relaxed); }
  void watch(const SweepProgress& progress);

  const SweepCases& cases_;
  const SweepPipeTimes& times_;
  const SweepOutputs& out_;
  CaseFrame frame_;
  std::size_t reportWidth_, pipeWidth_;
  std::atomic<int> next_{0};
  std::atomic<int> finished_{0};
  std::atomic<int> succeeded_{0};
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::condition_variable workersDone_;
  int workersRunning_ = 0;
  int told_ = -1;  // the cases finished when the host was last told
};

// The whole work of one case, as a single run of it does it: the one-call
// check, a model of the gas, the inputs set, the run, then the report and
// the pipe at the times asked for.
void Sweep::compute(int i) {
  const CaseArrays c = arraysOf(cases_, i);
  OneCallArrays arrays = c.arrays;
  arrays.valveCount = &c.valveCount;
  const ModelChoice choice = modelChoiceOf(cases_, i);
  checkCase(arrays, choice);
  std::unique_ptr<VORL> model = modelOf(cases_, i);
  setOneCallInputs(*model, arrays);
  for (int k = 0; k < cases_.extraCount; ++k) {
    const double value = cases_.extraValues[static_cast<std::size_t>(i) * cases_.extraCount + k];
    setInput(*model, inputAt(static_cast<std::size_t>(cases_.extraInputs[k])).id, value);
  }
  double* report = out_.report != nullptr ? out_.report + static_cast<std::size_t>(i) * reportWidth_ : nullptr;
  double* pipe = pipeWidth_ > 0 ? out_.pipe + static_cast<std::size_t>(i) * pipeWidth_ : nullptr;
  if (choice == ModelChoice::kReference) {
    // As VorlModelChoiceSet, VorlModelRun and the fills give it; a sweep
    // stopped stops the reference run too.
    model->modelChoiceSet(ModelChoice::kReference);
    runChosenModel(*model, [this](double) { return !stopped(); });
    if (report != nullptr) fillReferenceReleaseReport(*model, report);
    if (pipe != nullptr) fillReferencePipeTableAt(*model, times_.times, times_.count, pipe);
    return;
  }
  runModel(*model);
  if (report != nullptr) fillReleaseReport(*model, report);
  if (pipe != nullptr) {
    fillPipeTableAt(*model, times_.times, times_.tolerances, times_.toleranceCount, times_.count, pipe);
  }
}

void Sweep::blank(int i) {
  if (out_.report != nullptr) {
    std::fill_n(out_.report + static_cast<std::size_t>(i) * reportWidth_, reportWidth_, kNotAvailable);
  }
  if (pipeWidth_ > 0) std::fill_n(out_.pipe + static_cast<std::size_t>(i) * pipeWidth_, pipeWidth_, kNotAvailable);
}

void Sweep::runCase(int i) {
  const errorlog::CodeCapture capture;
  const bool finished = frame_([this, i] { compute(i); });
  if (finished && capture.firstError() == 0) {
    out_.status[i] = VORL_SWEEP_OK;
    out_.codes[i] = capture.firstWarning();
    succeeded_.fetch_add(1, std::memory_order_relaxed);
  } else {
    blank(i);
    out_.status[i] = VORL_SWEEP_FAILED;
    out_.codes[i] = capture.firstError() != 0 ? capture.firstError() : VORL_E_INTERNAL;
  }
}

// Takes the next case not yet started until none is left or the sweep is
// stopped. A case taken is always run to its end (or its own failure).
void Sweep::work() {
  while (!stopped()) {
    const int i = next_.fetch_add(1, std::memory_order_relaxed);
    if (i >= cases_.count) break;
    runCase(i);
    finished_.fetch_add(1, std::memory_order_relaxed);
  }
}

// The calling thread, while the workers run: tells the host how far the
// sweep is (at once, then as cases finish), and stops it when told to.
void Sweep::watch(const SweepProgress& progress) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (bool done = false; !done;
       done = workersDone_.wait_for(lock, kProgressInterval, [&] { return workersRunning_ == 0; })) {
    const int finished = finished_.load(std::memory_order_relaxed);
    if (finished == told_ || stopped()) continue;
    told_ = finished;
    lock.unlock();
    const bool goOn = progress(static_cast<double>(finished) / cases_.count);
    lock.lock();
    if (!goOn) cancelled_ = true;
  }
}

void Sweep::markNotRun() {
  const int firstNotRun = std::min(next_.load(), cases_.count);
  if (firstNotRun >= cases_.count) return;
  for (int i = firstNotRun; i < cases_.count; ++i) {
    blank(i);
    out_.status[i] = VORL_SWEEP_NOT_RUN;
    out_.codes[i] = VORL_E_SWEEP_CANCELLED;
  }
  frame_([&] {
    throw VORLERROR(VORL_E_SWEEP_CANCELLED, kTag,
                    "the progress callback stopped the sweep: " + std::to_string(cases_.count - firstNotRun) +
                        " of " + std::to_string(cases_.count) + " cases were not run");
  });
}

int Sweep::run(int threads, const SweepProgress& progress) {
  if (cases_.count == 0) {
    if (progress) progress(1.0);
    return 0;
  }
  const int wanted = threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int total = std::min({wanted, cases_.count, kMostThreads});
  // Without a host to tell, the calling thread takes cases too.
  const int workers = progress ? total : total - 1;
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(workers));
  for (int t = 0; t < workers; ++t) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++workersRunning_;
    }
    try {
      pool.emplace_back([this] {
        work();
        std::lock_guard<std::mutex> lock(mutex_);
        --workersRunning_;
        workersDone_.notify_all();
      });
    } catch (const std::system_error&) {
      // No more threads to be had: the ones made share the cases.
      std::lock_guard<std::mutex> lock(mutex_);
      --workersRunning_;
      break;
    }
  }
  if (progress && !pool.empty()) {
    watch(progress);
  } else {
    work();
  }
  for (std::thread& worker : pool) worker.join();
  markNotRun();
  if (progress && !stopped() && told_ != cases_.count) progress(1.0);
  return succeeded_.load();
}

}  // namespace

void checkSweep(const SweepCases& cases, const SweepPipeTimes& times, const SweepOutputs& out, int threads) {
  if (cases.count < 0) {
    throw VORLERROR(VORL_E_SWEEP_CASE_COUNT, kTag, "the case count " + std::to_string(cases.count) + " is below 0");
  }
  if (threads < 0) {
    throw VORLERROR(VORL_E_SWEEP_THREADS, kTag,
                    "the thread count " + std::to_string(threads) + " is below 0 (0: one per core)");
  }
  if (times.count < 0) {
    throw VORLERROR(VORL_E_ROW_COUNT, kTag, "the count of pipe times " + std::to_string(times.count) + " is below 0");
  }
  if (cases.count == 0) return;
  requireArray(out.status, "statuses");
  requireArray(out.codes, "codes");
  if (cases.materials == nullptr && cases.molecularWeights == nullptr) requireArray(nullptr, "materials");
  requireArray(cases.flags, "flags");
  requireArray(cases.inputs, "inputs");
  requireArray(cases.timeDivisions, "time divisions");
  requireArray(cases.maxSteps, "maximum steps");
  checkValveStarts(cases);
  checkExtraInputs(cases);
  if (times.count == 0) return;
  requireArray(times.times, "pipe times");
  requireArray(times.tolerances, "tolerances");
  requireArray(out.pipe, "pipe rows");
  if (times.toleranceCount != 1 && times.toleranceCount != times.count) {
    throw VORLERROR(VORL_E_TOLERANCE_COUNT, kTag,
                    "the tolerance count " + std::to_string(times.toleranceCount) + " is neither 1 nor " +
                        std::to_string(times.count));
  }
  checkPipeTableTimes(times.times, times.count, times.tolerances, times.toleranceCount);
}

int runSweep(const SweepCases& cases, const SweepPipeTimes& times, const SweepOutputs& out, int threads,
             CaseFrame frame, const SweepProgress& progress) {
  Sweep sweep(cases, times, out, frame);
  return sweep.run(threads, progress);
}

}  // namespace vorl
