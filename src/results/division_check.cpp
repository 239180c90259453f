#include "results/division_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "companion/reporting.h"
#include "core/constants.h"
#include "core/vorl_error.h"
#include "model/vorl.h"
#include "results/pipe_results.h"
#include "run/output_grid.h"
#include "run/run_driver.h"

namespace vorl {
namespace {

// Finer answers that release within this fraction of each other have converged.
constexpr double kConvergedFraction = 0.01;
// The divisions tried, finer and finer, up to the largest the one-call entry takes.
constexpr int kDivisionLadder[] = {4, 5, 6, 8, 10, 15, 20, 30, 50, 100, 200, 500, 1000};

// Where the line's released mass falls, as the pipe-level queries read it
// (between stored records they evolve the earlier one to the time asked).
struct Fall {
  bool releasedFalls;  // else the gas in the pipe grows beyond the inflow
  double timeBefore, massBefore, timeAfter, massAfter;
};

// Times at which the history is read: those of the release report (1 min,
// 10 min, 1 h and the end of the finite history), where an engineer reads the
// release. Within the first seconds the lookups between stored steps of the
// front may step back and forth by a few percent: the published model's own
// interpolation, not a broken balance.
constexpr double kReadTimes[] = {60.0, 600.0, 3600.0};
// Each looked up to within this fraction of itself, as the report looks it up.
constexpr double kLookupTolerance = 1e-6;

std::vector<double> readTimes(const VORL& model) {
  std::vector<double> times(std::begin(kReadTimes), std::end(kReadTimes));
  const double end = pipeTimeMax(model);
  if (end > 0.0 && std::isfinite(end) && !isInfinite(end)) times.push_back(end);
  std::sort(times.begin(), times.end());
  return times;
}

// A fall of the released mass, or a rise of the gas in the pipe beyond the
// inflow, by less than this fraction of the initial content is rounding.
constexpr double kBalanceTolerance = 1e-9;

std::optional<Fall> firstFall(VORL& model) {
  const double inflow = model.pipeSet().totalInflow;
  const double tolerance = kBalanceTolerance * pipeMassInitial(model);
  bool first = true;
  double lastTime = 0.0, lastReleased = 0.0, lastInPipe = 0.0;
  for (double t : readTimes(model)) {
    pipeTimeSet(model, t, kLookupTolerance * t);
    if (pipeMassExpelledIsInfinite(model)) break;
    const double released = pipeMassExpelled(model);
    const double inPipe = pipeMassInPipe(model);
    if (!first && released < lastReleased - tolerance) return Fall{true, lastTime, lastReleased, t, released};
    if (!first && inPipe > lastInPipe + inflow * (t - lastTime) + tolerance) {
      return Fall{false, lastTime, lastInPipe, t, inPipe};
    }
    first = false;
    lastTime = t;
    lastReleased = released;
    lastInPipe = inPipe;
  }
  return std::nullopt;
}

// The balance of the run just made, read without leaving a time setting
// behind (a run leaves none); a history the queries cannot read is left to
// them to report.
std::optional<Fall> checkedBalance(VORL& model) {
  std::optional<Fall> fall;
  try {
    fall = firstFall(model);
  } catch (const VORLERROR&) {
    fall.reset();
  }
  model.pipeTimeState() = PipeTimeState{};
  return fall;
}

// The answer of one division: whether its history keeps the balance, and
// the mass released at the compared times.
struct Answer {
  bool balanced = false;
  double released[std::size(kReadTimes)] = {};
};

Answer answerAt(VORL& model, int division) {
  Answer answer;
  model.timeDivisionSet(division);
  try {
    runModel(model);
    answer.balanced = !checkedBalance(model).has_value();
    for (std::size_t i = 0; i < std::size(kReadTimes); ++i) {
      pipeTimeSet(model, kReadTimes[i], kLookupTolerance * kReadTimes[i]);
      answer.released[i] =
          pipeMassExpelledIsInfinite(model) ? std::numeric_limits<double>::infinity() : pipeMassExpelled(model);
    }
  } catch (const VORLERROR&) {
    answer.balanced = false;  // a finer run that fails gives no answer to compare
  }
  return answer;
}

bool agree(const Answer& coarse, const Answer& fine) {
  for (std::size_t i = 0; i < std::size(kReadTimes); ++i) {
    if (std::isinf(coarse.released[i]) && std::isinf(fine.released[i])) continue;
    if (!(std::fabs(coarse.released[i] - fine.released[i]) <= kConvergedFraction * std::fabs(fine.released[i]))) {
      return false;
    }
  }
  return true;
}

// The smallest division of the ladder above `asked` whose answer keeps the
// balance and agrees with the next finer one's; 0 when none does.
int smallestConvergedDivision(VORL& model, int asked) {
  std::optional<Answer> coarser;
  int coarserDivision = 0;
  for (int division : kDivisionLadder) {
    if (division <= asked) continue;
    const Answer answer = answerAt(model, division);
    if (coarser && coarser->balanced && answer.balanced && agree(*coarser, answer)) return coarserDivision;
    coarser = answer;
    coarserDivision = division;
  }
  return 0;
}

std::string massText(double kg) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", kg);
  return text;
}

std::string warningText(int asked, const Fall& fall, int converged) {
  std::string text = "time division " + std::to_string(asked) + " gives a history whose " +
                     (fall.releasedFalls ? "mass released falls (" : "gas in the pipe grows beyond its inflow (") +
                     massText(fall.massBefore) + " kg at " + massText(fall.timeBefore) + " s, " +
                     massText(fall.massAfter) + " kg at " + massText(fall.timeAfter) +
                     " s): the fast model's answer depends on its division, ";
  if (converged == 0) return text + "and no division up to 1000 gives a converged one for this case";
  return text + "and " + std::to_string(converged) + " is the smallest that gives a converged one for this case";
}

}  // namespace

int runCheckingDivision(VORL& model) {
  const int count = runModel(model);
  const std::optional<Fall> fall = checkedBalance(model);
  if (!fall) return count;
  const int asked = model.timeDivision();
  const int converged = smallestConvergedDivision(model, asked);
  // The asked division's answer is the one the host reads.
  model.timeDivisionSet(asked);
  const int again = runModel(model);
  reportWarning(VORL_W_COARSE_DIVISION, "VorlRun", warningText(asked, *fall, converged));
  return again;
}

}  // namespace vorl
