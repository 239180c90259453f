#pragma once

#include <gtest/gtest.h>

#include <string>

#include "branch/branch_setup.h"
#include "companion/ambient.h"
#include "core/process_settings.h"
#include "core/vorl_error.h"
#include "model/branch_state.h"
#include "model/ideal_gas.h"

namespace vorl::testing {

// A gas constant of exactly 1 J/(kg K) at 160000 K: a2 = 1.6e5, a = 400 m/s,
// so that hand-worked numbers come out round.
constexpr double kA2 = 1.6e5;
constexpr double kA = 400.0;
constexpr double kBeta = 1e-7;

// Phases and branches by the numbers the regime queries and the valve set use.
inline Phase phaseOf(int number) { return static_cast<Phase>(number); }
inline BranchId branchOf(int number) { return static_cast<BranchId>(number); }

// Sets the choke model for the guard's life; always restores the default.
struct ChokeModelSwitch {
  explicit ChokeModelSwitch(bool allowed) { chokeModelAllowed = allowed; }
  ~ChokeModelSwitch() { chokeModelAllowed = true; }
};

// A line in ambient air at 1 bar.
struct TestLine {
  AMBIENT ambient;
  IIG gas{8314.34, 160000.0};
  GB wholePipe(double p0, double G0, double length = 2000.0) const {
    return wholePipeBranch(&ambient, &gas, kBeta, length, 0.2, p0, G0);
  }
};

template <class F>
void expectVorlError(F&& f, int code, const std::string& tag) {
  try {
    f();
    ADD_FAILURE() << "expected error " << code << " " << tag;
  } catch (const VORLERROR& error) {
    EXPECT_EQ(error.eError(), code) << error.eGetErrorString();
    EXPECT_EQ(error.tag(), tag);
  }
}

inline void expectSameState(const GB& a, const GB& b) {
  const double x[] = {a.upstream.p, a.upstream.G, a.exit.p, a.exit.G, a.time, a.lengthDisturbed, a.massPerUnitArea};
  const double y[] = {b.upstream.p, b.upstream.G, b.exit.p, b.exit.G, b.time, b.lengthDisturbed, b.massPerUnitArea};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(x[i], y[i]) << "field " << i;
  EXPECT_EQ(a.phase, b.phase);
  EXPECT_EQ(a.phaseEnded, b.phaseEnded);
}

// A raise must leave the branch exactly as it was: nothing is written before it.
template <class F>
void expectRaiseKeeps(const GB& branch, F&& f, int code, const std::string& tag) {
  const GB before = branch;
  expectVorlError(f, code, tag);
  expectSameState(branch, before);
}

}  // namespace vorl::testing
