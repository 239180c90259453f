#pragma once

#include <memory>

#include "branch/branch_setup.h"
#include "model/inputs.h"
#include "model/vorl.h"
#include "run/run_driver.h"
#include "support/error_log_helpers.h"

namespace vorl::test {

// The methane line of methaneLine(inflow) as a model object of the test's
// own, for white-box tests of what a run stores.
inline void setMethaneLine(VORL& m, double inflow = 0.0) {
  m.pipeDiameterSet(0.5);
  m.pipeRoughnessSet(5e-5);
  m.pipeLengthSet(100000.0);
  m.upstreamPressureSet(7.0e6);
  m.totalInflowSet(inflow);
  m.breachLocationSet(30000.0);
  rebuildWholePipe(m);
}

// That line, run once, with its branch histories (whose records point into
// the model: it lives as long as they are read).
struct RunHistories {
  std::unique_ptr<VORL> model;
  const GBSQ& a;
  const GBSQ& b;
};

inline RunHistories runMethaneLine(double inflow = 0.0) {
  auto m = std::make_unique<VORL>(kMethane);
  applyInputDefaults(*m);
  setMethaneLine(*m, inflow);
  runModel(*m);
  const GBSQ& a = m->requireSequence(BranchId::kA);
  const GBSQ& b = m->requireSequence(BranchId::kB);
  return {std::move(m), a, b};
}

}  // namespace vorl::test
