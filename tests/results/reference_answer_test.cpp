// The reference's answer in the fast model's terms, from hand-made series.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <vorl.h>

#include "core/model_error.h"
#include "model/vorl.h"
#include "reference/result_series.h"
#include "results/reference_answer.h"
#include "results/release_report.h"

namespace {

using vorl::reference::ReferenceResult;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kAmbient = 101325.0;

// Two branches over 60 s: 400 kg, released 0, 100, 150, 250 kg by 0, 10, 20, 60 s; A choked until 10 s, open from 20 s;
// the sink taking 6, 4, 2, 0 kg/s.
std::unique_ptr<ReferenceResult> handMadeResult(double a2, double area) {
  auto r = std::make_unique<ReferenceResult>();
  r->time = {0.0, 10.0, 20.0, 60.0};
  r->releasedMass = {0.0, 100.0, 150.0, 250.0};
  r->releaseRate = {20.0, 8.0, 4.0, 1.0};
  r->lineMass = {400.0, 300.0, 250.0, 150.0};
  r->sinkRate = {6.0, 4.0, 2.0, 0.0};
  r->initialMass = 400.0;
  r->upstream.present = r->downstream.present = true;
  const double sonic = 1.0 / std::sqrt(a2);  // kg/s of bore area per Pa at the sound speed
  r->upstream.breachEndPressure = {4.0 * kAmbient, 2.0 * kAmbient, kAmbient, kAmbient};
  r->upstream.releaseRate = {4.0 * kAmbient * sonic * area, 2.0 * kAmbient * sonic * area, 1.0, 0.5};
  r->downstream.breachEndPressure = r->upstream.breachEndPressure;
  r->downstream.releaseRate = r->upstream.releaseRate;
  return r;
}

struct ReferenceAnswer : ::testing::Test {
  vorl::VORL model{vorl::VORL::SimpleGas{16.0428}};
  void SetUp() override {
    model.ambientPressureSet(kAmbient);
    model.pipeDiameterSet(0.5);
    model.gasTemperatureSet(288.15);
    model.referenceResultSet(handMadeResult(model.gas()->a2(), model.pipeInterior().Area()));
  }
  double field(const char* name) {
    const vorl::ColumnList fields = vorl::releaseReportFields();
    std::vector<double> values(fields.count);
    vorl::fillReferenceReleaseReport(model, values.data());
    for (std::size_t i = 0; i < fields.count; ++i) {
      if (std::string(fields[i].name) == name) return values[i];
    }
    ADD_FAILURE() << name;
    return 0.0;
  }
};

TEST_F(ReferenceAnswer, ReportReadsTheSeriesLinearlyBetweenReportTimes) {
  const struct {
    const char* name;
    double expected;
  } cases[] = {
      {"initial_mass_kg", 400.0},
      {"initial_release_rate_kg_per_s", 20.0},
      {"release_rate_10s_kg_per_s", 8.0},
      {"release_rate_1min_kg_per_s", 1.0},
      {"gas_in_pipe_1min_kg", 150.0},
      {"mass_released_1min_kg", 250.0},
      {"mean_release_rate_20s_kg_per_s", 150.0 / 20.0},
      {"mean_release_rate_60s_kg_per_s", 250.0 / 60.0},
      {"end_time_s", 60.0},
      {"mass_released_end_kg", 250.0},
      // 200 kg: halfway from 150 kg at 20 s to 250 kg at 60 s.
      {"time_to_release_half_s", 40.0},
      {"time_to_release_90pct_s", kInf},
      // The sink's rate falls from 2 kg/s at 20 s to 0 at 60 s.
      {"b_time_to_flow_reversal_s", 60.0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(field(c.name), c.expected) << c.name;
  EXPECT_TRUE(std::isnan(field("mass_released_10min_kg"))) << "past the run's end";
  EXPECT_TRUE(std::isnan(field("postflash_temperature_K")));
}

TEST_F(ReferenceAnswer, ChokingEndsBetweenTheLastSonicAndTheFirstOpenReport) {
  const double dechoke = field("a_time_to_dechoke_s");
  EXPECT_GT(dechoke, 10.0);
  EXPECT_LT(dechoke, 20.0);
  EXPECT_EQ(field("b_time_to_dechoke_s"), dechoke);
  const std::vector<vorl::RunEvent> events = vorl::referenceRunEvents(model);
  ASSERT_EQ(events.size(), 3U);  // both branches dechoke, then branch B's far end reverses
  EXPECT_EQ(events[2].kind, VORL_EVENT_FLOW_REVERSAL);
  EXPECT_EQ(events[2].time, 60.0);
}

TEST_F(ReferenceAnswer, WithoutAResultTheChosenReferenceHasNoAnswer) {
  model.referenceResultSet(nullptr);
  EXPECT_THROW(vorl::requireReferenceResult(model, "test"), vorl::MODELERROR);
}

}  // namespace
