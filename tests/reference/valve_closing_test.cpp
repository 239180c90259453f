// Valves shutting over a duration after a detection delay, in the reference
// solution: the instant closure as the limit, the mass kept, the release
// between the instant closures at the motion's start and end, and the fast
// model's refusal.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "reference/reference.h"
#include "support/run_line.h"

namespace {

using vorl::reference::ReferenceCase;
using vorl::reference::ReferenceResult;
using vorl::reference::runReference;

constexpr double kStart = 10.0;    // s: the valve starts to move
constexpr double kMotion = 30.0;   // s: and is shut this much later
constexpr double kEnd = 90.0;      // s

// A fed 5 km line of 0.3 m bore breached at 3 km, a valve at 1 km between
// the supply and the breach, another at 4.5 km beyond it.
ReferenceCase fedLine(double closureTime, double duration) {
  ReferenceCase c;
  c.length = 5000.0;
  c.bore = 0.3;
  c.upstreamPressure = 50e5;
  c.inflow = 10.0;
  c.breachLocation = 3000.0;
  c.valves = {{1000.0, closureTime}, {4500.0, closureTime}};
  c.valveClosingDuration = duration;
  c.endTime = kEnd;
  c.reportInterval = 1.0;
  return c;
}

double releasedAtEnd(const ReferenceResult& r) { return r.releasedMass.back(); }

TEST(ReferenceValveClosing, AShortMotionApproachesTheInstantClosure) {
  const double instant = releasedAtEnd(runReference(fedLine(kStart, 0.0)));
  const double brief = releasedAtEnd(runReference(fedLine(kStart, 0.01)));
  EXPECT_NEAR(brief / instant, 1.0, 1e-3);
}

TEST(ReferenceValveClosing, TheMassIsKeptAndTheReleaseLiesBetweenTheInstantClosures) {
  const ReferenceResult atStart = runReference(fedLine(kStart, 0.0));
  const ReferenceResult atEnd = runReference(fedLine(kStart + kMotion, 0.0));
  const ReferenceResult moving = runReference(fedLine(kStart, kMotion));
  EXPECT_GT(releasedAtEnd(moving), releasedAtEnd(atStart));
  EXPECT_LT(releasedAtEnd(moving), releasedAtEnd(atEnd));
  for (std::size_t i = 0; i < moving.time.size(); ++i) {
    const double balance = moving.initialMass + moving.inflowDelivered[i] - moving.releasedMass[i] -
                           moving.sinkDelivered[i] - moving.lineMass[i];
    EXPECT_NEAR(balance / moving.initialMass, 0.0, 1e-10) << moving.time[i];
    // Before it starts to move the valve is an open face of the line.
    if (moving.time[i] < kStart) {
      EXPECT_EQ(moving.releasedMass[i], atStart.releasedMass[i]) << moving.time[i];
      EXPECT_EQ(moving.lineMass[i], atStart.lineMass[i]) << moving.time[i];
    }
  }
}

using namespace vorl::test;
using ValveClosing = LogClearedTest;

// The model's fed line with its two valves, closing at closureTime.
struct ValvedLine : ModelHandle {
  explicit ValvedLine(double closureTime) : ModelHandle(VorlModelCreateZel(kMethane)) {
    VorlPipeLengthSet(get(), 5000.0);
    VorlPipeDiameterSet(get(), 0.3);
    VorlUpstreamPressureSet(get(), 50e5);
    VorlTotalInflowSet(get(), 10.0);
    VorlPipeBreachLocationSet(get(), 3000.0);
    VorlValveAdd(get(), 1000.0, closureTime);
    VorlValveAdd(get(), 4500.0, closureTime);
    VorlValvesActivate(get(), 1);
    VorlReferenceEndTimeSet(get(), 60.0);
  }
  std::vector<double> table() const {
    const int rows = VorlReferenceTableFill(get(), nullptr, 0);
    std::vector<double> values(static_cast<std::size_t>(rows * VorlReferenceTableColumnCount()));
    VorlReferenceTableFill(get(), values.data(), rows);
    return values;
  }
};

// A detection delay is a later start of the motion: the same solution as
// closure times later by the delay, bit for bit.
TEST_F(ValveClosing, ADelayIsALaterStartOfTheMotion) {
  ValvedLine delayed(5.0), later(5.0 + 7.5);
  VorlValveDetectionDelaySet(delayed, 7.5);
  for (ValvedLine* line : {&delayed, &later}) {
    VorlValveClosingDurationSet(*line, 20.0);
    ASSERT_GT(VorlReferenceRun(*line, nullptr, nullptr), 0) << lastReport().message;
  }
  EXPECT_EQ(delayed.table(), later.table());
}

TEST_F(ValveClosing, TheFastModelRefusesWhatOnlyTheReferenceDoes) {
  for (const bool delay : {true, false}) {
    ValvedLine line(10.0);
    if (delay) {
      VorlValveDetectionDelaySet(line, 30.0);
    } else {
      VorlValveClosingDurationSet(line, 60.0);
    }
    EXPECT_EQ(VorlRun(line), 0);
    EXPECT_EQ(lastReport().code, VORL_E_FAST_MODEL_VALVE_CLOSING);
    EXPECT_NE(lastReport().message.find("VorlReferenceRun"), std::string::npos);
    VorlValvesActivate(line, 0);  // no valve takes part: nothing to refuse
    EXPECT_GT(VorlRun(line), 0);
  }
  ValvedLine line(10.0);
  VorlValveDetectionDelaySet(line, -1.0);
  EXPECT_EQ(lastReport().code, VORL_E_INVALID_VALVE_DETECTION_DELAY);
  VorlValveClosingDurationSet(line, std::nan(""));
  EXPECT_EQ(lastReport().code, VORL_E_INVALID_VALVE_CLOSING_DURATION);
  EXPECT_GT(VorlRun(line), 0);  // both refused: the instant closure kept
}

}  // namespace
