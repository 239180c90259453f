#pragma once

#include <vector>

#include "model/branch_state.h"

namespace vorl {

// The stored history of one branch: a copy of the branch after every stored
// step, in time order. Element 0 is the steady flow before the breach, element
// 1 the branch at the instant of the breach. A container: the run fills it,
// branch/interpolation's stateAt and results/branch_history read it, and its
// order lets every lookup bisect.
class GBSQ {
 public:
  // Stores a record at the end; raises 17 "GBSQappend" for a record earlier
  // than the last one (or of a time that is not a number), storing nothing.
  void append(const GB& element);
  // Removes the last record (the valve cut replaces the step that passed the
  // closure time); raises 4 "GBSQ[]" for an empty sequence.
  void removeLast();
  void clear() noexcept { elements_.clear(); }
  int size() const noexcept { return static_cast<int>(elements_.size()); }
  bool empty() const noexcept { return elements_.empty(); }

  // Element i; raises 4 "GBSQ[]" unless 0 <= i < size.
  const GB& operator[](int i) const;

  // Number of elements a host is told of: with the process-wide truncation
  // switched on, only those before the first element of infinite time.
  int reportedSize() const noexcept;
  bool lastIsInfinite() const noexcept;
  // Time of the last reported record of finite time; 0 when there is none.
  double lastFiniteTime() const noexcept;

  // The last element whose time is not greater than t, by bisection; 0 when
  // none is (and for a time that is not a number, the last).
  int lastNotAfter(double t) const noexcept;
  // The same, searched forward from element `from` when that element is not
  // later than t (a walk over ascending times passes the index it found for
  // the time before); by bisection otherwise.
  int lastNotAfter(double t, int from) const noexcept;

 private:
  void checkIndex(int i) const;
  std::vector<GB> elements_;  // times never decrease, none is not a number
};

}  // namespace vorl
