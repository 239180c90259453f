#include "model/flow_sequence.h"

#include <algorithm>
#include <cmath>

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

namespace {

bool finiteTime(const GB& element) { return !isInfinite(element.time); }

}  // namespace

void GBSQ::append(const GB& element) {
  if (std::isnan(element.time) || (!elements_.empty() && element.time < elements_.back().time)) {
    throw VORLERROR(VORL_E_RECORD_OUT_OF_ORDER, "GBSQappend",
                    "a record at " + numberText(element.time) + " s does not follow the last one stored at " +
                        numberText(elements_.empty() ? 0.0 : elements_.back().time) + " s");
  }
  elements_.push_back(element);
}

void GBSQ::removeLast() {
  checkIndex(size() - 1);
  elements_.pop_back();
}

// In time order the infinite times are the last ones.
int GBSQ::reportedSize() const noexcept {
  if (!truncateAtInfinite) return size();
  return static_cast<int>(std::partition_point(elements_.begin(), elements_.end(), finiteTime) - elements_.begin());
}

int GBSQ::lastNotAfter(double t) const noexcept {
  const auto after = std::upper_bound(elements_.begin(), elements_.end(), t,
                                      [](double time, const GB& e) { return time < e.time; });
  return std::max(static_cast<int>(after - elements_.begin()) - 1, 0);
}

int GBSQ::lastNotAfter(double t, int from) const noexcept {
  if (from < 0 || from >= size() || !(elements_[static_cast<std::size_t>(from)].time <= t)) return lastNotAfter(t);
  // Strides doubling from `from` bracket the first element later than t, and
  // the bracket is bisected: the element bisection over the whole finds,
  // since the times never decrease.
  const auto later = [](double time, const GB& e) { return time < e.time; };
  std::size_t low = static_cast<std::size_t>(from);
  std::size_t stride = 1;
  while (low + stride < elements_.size() && !later(t, elements_[low + stride])) {
    low += stride;
    stride *= 2;
  }
  const auto first = elements_.begin() + static_cast<std::ptrdiff_t>(low) + 1;
  const auto end = elements_.begin() + static_cast<std::ptrdiff_t>(std::min(low + stride, elements_.size()));
  return static_cast<int>(std::upper_bound(first, end, t, later) - elements_.begin()) - 1;
}

double GBSQ::lastFiniteTime() const noexcept {
  const auto reported = elements_.begin() + reportedSize();
  const auto finiteEnd = std::partition_point(elements_.begin(), reported, finiteTime);
  return finiteEnd == elements_.begin() ? 0.0 : (finiteEnd - 1)->time;
}

bool GBSQ::lastIsInfinite() const noexcept { return !empty() && isInfinite(elements_.back().time); }

}  // namespace vorl
