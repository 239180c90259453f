#pragma once

#include <functional>

namespace vorl {

// A sweep: many release cases, each run on a model of its own, on threads of
// the library. A case is a row of the one-call entry's arrays (its flags,
// inputs, time division and maximum steps), with its gas, its model choice
// and its valves; it gives one row of the release report, the pipe at given
// times when asked, a status and a code. Every case is computed as a single
// run of it computes it, so its numbers do not depend on the thread that
// runs it nor on how many threads there are.

// The cases, row by row. Case i reads flags[i * width of the flags slot ...]
// and inputs the same way (oneCallSlotSize), timeDivisions[i], maxSteps[i],
// and its valves valveFirst/valveSecond[valveStarts[i]] up to
// valveStarts[i + 1] (no valve anywhere when valveStarts is null). Its gas is
// an ideal gas of molecularWeights[i] (kg/kmol) when that array is given and
// the value is not 0, else the material materials[i]. models[i] is a
// VorlModelKind (every case fast when models is null): a reference case runs
// as a model with that choice runs (runChosenModel) and reads the
// reference's answer.
struct SweepCases {
  int count = 0;
  const int* materials = nullptr;
  const double* molecularWeights = nullptr;
  const int* models = nullptr;
  const int* flags = nullptr;
  const double* inputs = nullptr;
  const int* timeDivisions = nullptr;
  const int* maxSteps = nullptr;
  const int* valveStarts = nullptr;
  const double* valveFirst = nullptr;
  const double* valveSecond = nullptr;
  // Inputs of the input table the one-call arrays do not hold (the
  // reference's end time and real gas, a back pressure, a water depth), set
  // on each case's model after its arrays as VorlInputSet sets them: their
  // numbers (extraCount of them) and case i's values extraValues[i *
  // extraCount ...].
  int extraCount = 0;
  const int* extraInputs = nullptr;
  const double* extraValues = nullptr;
};

// The times (s) at which each case gives the pipe, each looked up with its
// tolerance (one for all, or one per time), as the pipe table looks them up.
struct SweepPipeTimes {
  const double* times = nullptr;
  int count = 0;
  const double* tolerances = nullptr;
  int toleranceCount = 0;
};

// Where the cases' results go: report (count x report fields; null: no
// report), pipe (count x times x pipe columns; read only when there are
// times), status and codes (count each).
struct SweepOutputs {
  double* report = nullptr;
  double* pipe = nullptr;
  int* status = nullptr;
  int* codes = nullptr;
};

// Runs one case's work in the frame of a library call (its floating-point
// environment, the report of what it raises) and says whether it finished.
using CaseFrame = bool (*)(const std::function<void()>& work);

// Told the fraction of the cases finished; returning false stops the sweep.
using SweepProgress = std::function<bool(double fractionDone)>;

// Refuses, before any case runs, what no case could be run with: a case
// count below 0 (450), a thread count below 0 (451), a null array a case
// reads (5), valve starts that are negative or fall (453), a time count below
// 0 (410), a tolerance count neither 1 nor the time count (411), a time or
// tolerance the time setting refuses (380, 381), an extra count below 0 or an
// extra input that is no input, the one-call arrays hold, belongs to each
// valve or is the model choice (504).
void checkSweep(const SweepCases& cases, const SweepPipeTimes& times, const SweepOutputs& out, int threads);

// Runs every case (threads 0: one per core; never more threads than cases)
// and returns the number that finished. A case finishes with status
// VORL_SWEEP_OK and code 0, or the code of its first warning; a case refused
// or failed gets VORL_SWEEP_FAILED, the code of its first error and NaN in
// its report and pipe rows, and the others go on. progress (may be empty)
// is called on the calling thread as the cases start, about every 50 ms
// while they run and once at the end; when it returns false no further case starts (a running
// reference case stops with 409) and those not started get
// VORL_SWEEP_NOT_RUN, code 454 (logged once). The arrays must have passed
// checkSweep. Each case runs inside frame; the only memory the sweep takes
// beyond the caller's arrays is each running case's model.
int runSweep(const SweepCases& cases, const SweepPipeTimes& times, const SweepOutputs& out, int threads,
             CaseFrame frame, const SweepProgress& progress);

}  // namespace vorl
