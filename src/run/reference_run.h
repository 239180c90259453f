#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "reference/reference.h"

namespace vorl {

class VORL;

// The reference solution of a model's case (src/reference: the full
// isothermal Euler equations with friction by finite volumes), run beside the
// fast model on the same inputs: the gas (molar mass, the gas temperature,
// and with the real gas switched on its critical constants), the bore and its
// Fanning factor, the length, the supply (upstream pressure and inflow), the
// breach where the fast model's branches start and its aperture, the ambient
// pressure and the valves while they are active.

// Safety bound on the time steps of one reference run, so that no case can
// keep a host for ever (the default case to 4 h takes about 300). A build
// may lower it (the fuzzer does, to keep each input quick under its
// sanitizers).
#ifndef VORL_MAX_REFERENCE_STEPS
#define VORL_MAX_REFERENCE_STEPS 100000000
#endif
constexpr long long kMaxReferenceSteps = VORL_MAX_REFERENCE_STEPS;

// Without report times of the host's, a run reports at the start and at the
// ends of this many equal intervals up to its end time.
constexpr int kDefaultReferenceIntervals = 100;

// The longest a run without an end of the host's goes on when the release
// does not end before (s): 30 days.
constexpr double kLongestReferenceRelease = 30.0 * 86400.0;

// Report times as a function of the end a run reached.
using ReportTimesAtEnd = std::function<std::vector<double>(double end)>;

// Where the fast model's branches start (m from the upstream end): the
// upstream end or the far end where the breach counts as at an end (within
// 1e-5 of the length), else the breach location in use.
double breachLocationUsed(const VORL& model);

// The critical constants of the model's next reference run: the host's, else
// the material's, while the real gas is switched on; none for the ideal gas
// (and for a gas given only by its molecular weight without the host's).
std::optional<reference::CriticalConstants> referenceRealGas(const VORL& model);

// The end time the host set (s after the breach); without one, the span a
// host may give its report times: once the fast model has run, the end of
// its finite history; else the time in which a closed branch as long as the
// longer side of the breach blows down by the friction-dominated closed form
// from the upstream to the ambient pressure (the fast model's own phase-three
// law; 3.9 h for the default case).
double referenceEndTime(const VORL& model);

// The reference case of the model (its inputs are not checked here), at the
// given report times when not null. Its end: the host's end time; without
// one, the last of the report times given (the host's or these); without
// those either, the release's own end (ReferenceCase::endWhenReleaseOver) at
// most kLongestReferenceRelease after the breach, reporting at the times
// atEnd gives for it (when set) or at kDefaultReferenceIntervals equal
// intervals to it.
reference::ReferenceCase referenceCaseOf(const VORL& model, const std::vector<double>* reportTimes = nullptr,
                                         const ReportTimesAtEnd& atEnd = {});

// Runs the reference on the model's case and keeps its result on the model,
// in place of the last one; returns the report rows. Raises, keeping no
// result: an input of the model the reference cannot compute with (the run's
// guard, codes 351 to 363), the real gas liquid or two-phase at a pressure of
// the case (407), a steady flow that chokes in the intact line (207), report
// times past the end time (404), a grid of more than 1e7 cells (405), a
// solution that breaks down (408), the bound of time steps (16), a progress
// callback that stops the run (409). The real gas asked for a gas without
// critical constants runs the ideal gas with warning 1005. A hole smaller
// than 1 mm is refused (431). reportTimes, when not null, replace the
// host's.
int runModelReference(VORL& model, const reference::ProgressCallback& progress,
                      const std::vector<double>* reportTimes = nullptr);
// The same at the report times atEnd gives for the end the run reached,
// unless the host gave report times.
int runModelReference(VORL& model, const reference::ProgressCallback& progress, const ReportTimesAtEnd& atEnd);

}  // namespace vorl
