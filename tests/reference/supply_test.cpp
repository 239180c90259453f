// The line as operated, in the reference solution: a supply that holds the
// upstream pressure, one that trips, and the fast model's refusal of both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_line.h"

namespace {

using namespace vorl::test;
using Supply = LogClearedTest;

constexpr double kUpstream = 50e5;  // Pa
constexpr double kInflow = 10.0;    // kg/s

// A fed 5 km line of 0.3 m bore breached at 3 km, 60 s of reference.
struct FedLine : ModelHandle {
  FedLine() : ModelHandle(VorlModelCreateZel(kMethane)) {
    VorlPipeLengthSet(get(), 5000.0);
    VorlPipeDiameterSet(get(), 0.3);
    VorlUpstreamPressureSet(get(), kUpstream);
    VorlTotalInflowSet(get(), kInflow);
    VorlPipeBreachLocationSet(get(), 3000.0);
    VorlReferenceEndTimeSet(get(), 60.0);
  }
  // A column of the last reference table.
  std::vector<double> column(const std::string& name) const {
    const int columns = VorlReferenceTableColumnCount();
    const int rows = VorlReferenceTableFill(get(), nullptr, 0);
    std::vector<double> table(static_cast<std::size_t>(rows * columns)), values;
    VorlReferenceTableFill(get(), table.data(), rows);
    char text[64];
    for (int k = 0; k < columns; ++k) {
      VorlReferenceTableColumnName(k, text, sizeof text);
      if (name != text) continue;
      for (int r = 0; r < rows; ++r) values.push_back(table[static_cast<std::size_t>(r * columns + k)]);
    }
    return values;
  }
};

TEST_F(Supply, HoldingItsPressureTheSupplyEndStaysAtItAndFeedsMore) {
  FedLine line;
  VorlSupplyModeSet(line, 1);
  ASSERT_GT(VorlReferenceRun(line, nullptr, nullptr), 0) << lastReport().message;
  const std::vector<double> pressure = line.column("a_far_end_pressure_Pa");
  const std::vector<double> inflow = line.column("inflow_rate_kg_per_s");
  for (const double p : pressure) EXPECT_NEAR(p / kUpstream, 1.0, 1e-3);
  // Once the decompression reaches it (5 km of sound at ~400 m/s: 8 s), it feeds more than before.
  EXPECT_GT(inflow.back(), 2.0 * kInflow);
}

TEST_F(Supply, ATrippedSupplyFeedsNothingAfterItsTime) {
  FedLine line;
  VorlSupplyTripTimeSet(line, 20.0);
  ASSERT_GT(VorlReferenceRun(line, nullptr, nullptr), 0) << lastReport().message;
  const std::vector<double> time = line.column("time_s");
  const std::vector<double> inflow = line.column("inflow_rate_kg_per_s");
  for (std::size_t i = 0; i < time.size(); ++i) {
    if (time[i] < 20.0) {
      EXPECT_DOUBLE_EQ(inflow[i], kInflow) << time[i];
    } else if (time[i] > 20.0) {
      EXPECT_EQ(inflow[i], 0.0) << time[i];
    }
  }
}

TEST_F(Supply, TheFastModelRefusesWhatOnlyTheReferenceDoes) {
  for (const bool held : {true, false}) {
    FedLine line;
    if (held) {
      VorlSupplyModeSet(line, 1);
    } else {
      VorlSupplyTripTimeSet(line, 20.0);
    }
    EXPECT_EQ(VorlRun(line), 0);
    EXPECT_EQ(lastReport().code, VORL_E_FAST_MODEL_SUPPLY);
    EXPECT_NE(lastReport().message.find("VorlReferenceRun"), std::string::npos);
  }
  FedLine line;
  VorlSupplyModeSet(line, 2);
  EXPECT_EQ(lastReport().code, VORL_E_INVALID_SUPPLY_MODE);
  VorlSupplyTripTimeSet(line, -1.0);
  EXPECT_EQ(lastReport().code, VORL_E_INVALID_SUPPLY_TRIP_TIME);
  EXPECT_GT(VorlRun(line), 0);  // both refused: the constant inflow kept
}

}  // namespace
