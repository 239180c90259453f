// A line under the sea: the outflow leaves against the atmosphere plus the
// sea's hydrostatic pressure, and the release of both models ends when the
// line reaches it; a back pressure at or above the line's is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/run_line.h"

namespace {

using namespace vorl::test;
using BackPressure = LogClearedTest;

constexpr double kAtmosphere = 101325.0;
constexpr double kDepth = 75.0;         // m
constexpr double kSeawater = 1025.0;    // kg/m3, the library's default
constexpr double kGravity = 9.80665;    // m/s2
const double kSeaPressure = kAtmosphere + kSeawater * kGravity * kDepth;  // 855,253 Pa

// A closed methane line of 0.3 m bore at 40 bar, ruptured at its end under 75 m of sea.
struct SubseaLine : ModelHandle {
  explicit SubseaLine(double length = 20000.0) : ModelHandle(VorlModelCreateZel(kMethane)) {
    VorlAmbientPressureSet(get(), kAtmosphere);
    VorlPipeLengthSet(get(), length);
    VorlPipeDiameterSet(get(), 0.3);
    VorlUpstreamPressureSet(get(), 40e5);
    VorlTotalInflowSet(get(), 0.0);
    VorlPipeBreachLocationSet(get(), length);
    VorlWaterDepthSet(get(), kDepth);
  }
};

TEST_F(BackPressure, TheSeaPressureIsTheAtmospherePlusTheWaterColumn) {
  SubseaLine line;
  EXPECT_DOUBLE_EQ(VorlOutletPressure(line), kSeaPressure);
  VorlBackPressureSet(line, 12e5);  // given directly, it wins over the depth
  EXPECT_EQ(VorlOutletPressure(line), 12e5);
}

TEST_F(BackPressure, FastModelEndsAtTheBackPressure) {
  SubseaLine line;
  ASSERT_GT(VorlRun(line), 0);
  const int last = VorlBranchAFlowSequenceSize(line) - 1;
  // The closed end falls to the sea's pressure, never below it.
  EXPECT_NEAR(VorlBranchAUpstreamPressure(line, last) / kSeaPressure, 1.0, 1e-3);
  for (int i = 0; i <= last; ++i) EXPECT_GE(VorlBranchAExitPressure(line, i), kSeaPressure * (1.0 - 1e-12));
}

TEST_F(BackPressure, ReferenceEndsAtTheBackPressure) {
  SubseaLine line(2000.0);
  VorlReferenceEndTimeSet(line, 900.0);  // long after the line has emptied to the sea's pressure
  ASSERT_GT(VorlReferenceRun(line, nullptr, nullptr), 0);
  const int columns = VorlReferenceTableColumnCount();
  const int rows = VorlReferenceTableFill(line, nullptr, 0);
  std::vector<double> table(static_cast<std::size_t>(rows * columns));
  VorlReferenceTableFill(line, table.data(), rows);
  char name[64];
  int farEnd = -1;
  for (int k = 0; k < columns; ++k) {
    VorlReferenceTableColumnName(k, name, sizeof name);
    if (std::string(name) == "a_far_end_pressure_Pa") farEnd = k;
  }
  ASSERT_GE(farEnd, 0);
  const double closedEnd = table[static_cast<std::size_t>((rows - 1) * columns + farEnd)];
  // The outflow's inertia empties the line a little below the sea's pressure
  // (1.3 % here), and the breach lets nothing back in: it ends there.
  EXPECT_NEAR(closedEnd / kSeaPressure, 1.0, 2e-2);
  EXPECT_EQ(table[static_cast<std::size_t>((rows - 1) * columns)], 900.0);
}

TEST_F(BackPressure, AtOrAboveTheLinePressureIsRefused) {
  const struct {
    void (*set)(VorlHandle, double);
    double value;
    int code;
  } cases[] = {{VorlBackPressureSet, 40e5, VORL_E_INVALID_BACK_PRESSURE},
               {VorlBackPressureSet, -1.0, VORL_E_INVALID_BACK_PRESSURE},
               {VorlWaterDepthSet, 400.0, VORL_E_INVALID_WATER_DEPTH},
               {VorlSeawaterDensitySet, 0.0, VORL_E_INVALID_SEAWATER_DENSITY}};
  for (const auto& bad : cases) {
    SubseaLine line;
    bad.set(line, bad.value);
    EXPECT_EQ(VorlRun(line), 0);
    EXPECT_EQ(lastReport().code, bad.code) << lastReport().message;
  }
}

}  // namespace
