#include "model/flow_sequence.h"

#include <algorithm>
#include <cmath>

#include "branch/interpolation.h"
#include "core/constants.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"

namespace vorl {

void GBSQ::checkIndex(int i) const {
  if (i < 0 || i >= size()) {
    throw VORLERROR(VORL_E_INDEX, "GBSQ[]", "record index " + std::to_string(i) + " is outside the " +
                                     std::to_string(size()) + " stored records");
  }
}

const GB& GBSQ::operator[](int i) const {
  checkIndex(i);
  return elements_[static_cast<std::size_t>(i)];
}

void GBSQ::append(const GB& element) {
  if (std::isnan(element.time) || (!elements_.empty() && element.time < elements_.back().time)) ordered_ = false;
  elements_.push_back(element);
}

void GBSQ::replaceLast(const GB& element) {
  checkIndex(size() - 1);
  const std::size_t last = elements_.size() - 1;
  if (std::isnan(element.time) || (last > 0 && element.time < elements_[last - 1].time)) ordered_ = false;
  elements_[last] = element;
}

int GBSQ::reportedSize() const noexcept {
  if (!truncateAtInfinite) return size();
  const auto finite = [](const GB& e) { return !isInfinite(e.time); };
  if (ordered_) {
    // In time order the infinite times are the last ones.
    return static_cast<int>(std::partition_point(elements_.begin(), elements_.end(), finite) - elements_.begin());
  }
  return static_cast<int>(std::find_if_not(elements_.begin(), elements_.end(), finite) - elements_.begin());
}

int GBSQ::lastNotAfter(double t) const noexcept {
  if (ordered_) {
    const auto after = std::upper_bound(elements_.begin(), elements_.end(), t,
                                        [](double time, const GB& e) { return time < e.time; });
    return std::max(static_cast<int>(after - elements_.begin()) - 1, 0);
  }
  int i = size() - 1;
  while (i > 0 && elements_[static_cast<std::size_t>(i)].time > t) --i;
  return i;
}

bool GBSQ::lastIsInfinite() const noexcept { return !empty() && isInfinite(elements_.back().time); }

GB GBSQ::stateAt(double t, double tolerance, int* indexFound) const {
  const int last = size() - 1;
  checkIndex(last);  // an empty sequence raises 4
  const int i = lastNotAfter(t);
  GB result = (*this)[i];
  if (indexFound != nullptr) *indexFound = i;

  if (result.time == t) {
    result.interpolated = true;
  } else if (result.time < t && i < last) {
    stateAtIntermediateTime(result, (*this)[i + 1], t, tolerance);
  } else if (result.time < t) {
    result.phase = Phase::kFinished;  // t lies beyond the history: the branch has finished
    result.time = t;
    result.interpolated = true;
  } else {
    return (*this)[0];
  }
  return result;
}

namespace {

// Time of the first element from `first` on that meets the condition.
template <class Condition>
double firstTimeWhere(const std::vector<GB>& elements, std::size_t first, double none, Condition condition) {
  for (std::size_t k = first; k < elements.size(); ++k) {
    if (condition(elements[k])) return elements[k].time;
  }
  return none;
}

}  // namespace

double GBSQ::timeToDechoke() const noexcept {
  const double none = size() > 1 ? kInfinite : 0.0;
  return firstTimeWhere(elements_, 1, none, [](const GB& e) { return !e.choked; });
}

double GBSQ::timeToDisturbEntireFlow() const noexcept {
  return firstTimeWhere(elements_, 0, kInfinite, [](const GB& e) { return pastPhaseOne(e.phase); });
}

double GBSQ::timeToDepressurise() const noexcept {
  return firstTimeWhere(elements_, 0, kInfinite, [](const GB& e) { return e.phase == Phase::kFinished; });
}

// The far end's flow reverses (moves toward the breach) once it has been seen
// flowing away from it and the branch then blows down.
double GBSQ::timeToFlowReversal() const noexcept {
  bool flowedAway = false;
  return firstTimeWhere(elements_, 0, kInfinite, [&flowedAway](const GB& e) {
    if (e.upstream.G < 0.0) flowedAway = true;
    return flowedAway && e.phase == Phase::kBlowDown;
  });
}

}  // namespace vorl
