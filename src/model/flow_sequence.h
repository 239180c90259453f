#pragma once

#include <vector>

#include "model/branch_state.h"

namespace vorl {

// The stored history of one branch: a copy of the branch after every stored
// step, in time order. Element 0 is the steady flow before the breach, element
// 1 the branch at the instant of the breach. A container: the run fills it,
// branch/interpolation's stateAt and results/branch_history read it.
class GBSQ {
 public:
  void append(const GB& element);
  // Overwrites the last element (the valve cut rewrites the step that passed
  // the closure time); the sequence must not be empty.
  void replaceLast(const GB& element);
  void clear() noexcept {
    elements_.clear();
    ordered_ = true;
  }
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

  // The last element whose time is not greater than t; 0 when none is. By
  // bisection while the times are in order (as a run stores them), else by a
  // scan back from the end; both find the same one.
  int lastNotAfter(double t) const noexcept;

 private:
  void checkIndex(int i) const;
  std::vector<GB> elements_;
  // The times never decrease and none is not a number: bisection finds what
  // the scan back from the end would.
  bool ordered_ = true;
};

}  // namespace vorl
