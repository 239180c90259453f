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

double GBSQ::lastFiniteTime() const noexcept {
  int k = reportedSize() - 1;
  while (k >= 0 && isInfinite(elements_[static_cast<std::size_t>(k)].time)) --k;
  return k < 0 ? 0.0 : elements_[static_cast<std::size_t>(k)].time;
}

bool GBSQ::lastIsInfinite() const noexcept { return !empty() && isInfinite(elements_.back().time); }

}  // namespace vorl
