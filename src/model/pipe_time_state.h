#pragma once

#include <optional>

#include "model/branch_state.h"

namespace vorl {

// The state of each branch at the time last set for the pipe-level queries.
// Each model holds its own, so that models queried on several threads, or a
// model deleted after a time setting, never disturb another model's answers.
struct PipeTimeState {
  struct Branch {
    int indexFound = -1;             // index the lookup reported; -1 before any setting
    bool present = false;            // the model's layout has this branch
    std::optional<GB> currentRecord; // the branch at the set time
    // Present and holding a record: it takes part in the pipe-level sums.
    bool contributes() const noexcept { return present && currentRecord.has_value(); }
  };
  double requestedTime = -1.0;
  Branch a;
  Branch b;
  // A time setting (or part of one) has kept a branch state to answer from.
  bool holdsAState() const noexcept { return a.contributes() || b.contributes(); }
};

}  // namespace vorl
