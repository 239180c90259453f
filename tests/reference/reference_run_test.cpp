#include "reference/reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vorl::reference {
namespace {

constexpr double kE = 2.718281828459045;
constexpr double kPi = 3.14159265358979323846;
constexpr double kGasConstant = 8314.34;

double boreArea(const ReferenceCase& c) { return 0.25 * kPi * c.bore * c.bore; }
double idealSoundSpeed(const ReferenceCase& c) { return std::sqrt(kGasConstant * c.temperature / c.molarMass); }

// A 20 km line fed by 20 kg/s, breached through half its bore at 12 km, with
// a valve on each side shutting while the gas rushes out: every boundary
// kind and a regrid at work.
ReferenceCase valvedCase() {
  ReferenceCase c;
  c.length = 20000.0;
  c.breachLocation = 12000.0;
  c.aperture = 0.5;
  c.valves = {{4000.0, 30.0}, {16000.0, 60.0}};
  c.endTime = 150.0;
  c.reportInterval = 10.0;
  return c;
}

TEST(ReferenceRun, MassBalanceClosesToRounding) {
  const ReferenceCase c = valvedCase();
  const ReferenceResult r = runReference(c);
  ASSERT_EQ(r.time.size(), 16u);
  ASSERT_TRUE(r.upstream.present && r.downstream.present);
  for (std::size_t k = 0; k < r.time.size(); ++k) {
    const double balance = r.initialMass + r.inflowDelivered[k] - r.releasedMass[k] - r.sinkDelivered[k];
    EXPECT_NEAR(r.lineMass[k], balance, 1e-12 * r.initialMass) << r.time[k];
    EXPECT_NEAR(r.lineMass[k], r.upstream.mass[k] + r.downstream.mass[k], 1e-12 * r.initialMass);
  }
  // The supply keeps feeding; the sink's non-return valve has shut once the
  // valve at 16 km cut it off from the breach... not before the valve shut.
  EXPECT_NEAR(r.inflowRate.back(), c.inflow, 1e-9 * c.inflow);
  EXPECT_GT(r.inflowDelivered.back(), 0.99 * c.inflow * c.endTime);
  EXPECT_GT(r.upstream.releasedMass.back(), 0.0);
  EXPECT_GT(r.downstream.releasedMass.back(), 0.0);
}

// A frictionless line opened at full bore at its closed end: until the
// rarefaction returns from the far end, the exit stays sonic at rho0 / e,
// releasing rho0 a / e per unit area at every instant, and the far end has
// not heard of it. Both time schemes; the linearly implicit steps cross many
// cells and so smear the head of the rarefaction ahead of itself: a
// precursor of a few per mille of the pressure drop reaches the far end.
class FrictionlessFullBoreOpening : public testing::TestWithParam<TimeScheme> {};

TEST_P(FrictionlessFullBoreOpening, ReleasesRho0AOverE) {
  ReferenceCase c;
  c.numerics.scheme = GetParam();
  const double farEndTolerance = GetParam() == TimeScheme::kExplicit ? 1e-12 : 2e-3;
  c.length = 2000.0;
  c.fanning = 0.0;
  c.inflow = 0.0;
  c.upstreamPressure = 50e5;
  c.breachLocation = c.length;
  c.endTime = 4.0;  // the head of the rarefaction travels 1.5 km
  c.reportTimes = {0.0, 0.1, 1.0, 2.0, 4.0};
  const ReferenceResult r = runReference(c);
  ASSERT_TRUE(r.upstream.present);
  ASSERT_FALSE(r.downstream.present);
  const double a = idealSoundSpeed(c);
  const double exact = c.upstreamPressure / (a * a) * a / kE * boreArea(c);
  for (std::size_t k = 0; k < r.time.size(); ++k) {
    EXPECT_NEAR(r.upstream.releaseRate[k], exact, 1e-3 * exact) << r.time[k];
    EXPECT_NEAR(r.upstream.releasedMass[k], exact * r.time[k], 1e-3 * exact * r.time[k] + 1e-9) << r.time[k];
    EXPECT_NEAR(r.upstream.breachEndPressure[k], c.upstreamPressure / kE, 2e-3 * c.upstreamPressure) << r.time[k];
    EXPECT_NEAR(r.upstream.farEndPressure[k], c.upstreamPressure, farEndTolerance * c.upstreamPressure);
  }
}

INSTANTIATE_TEST_SUITE_P(BothSchemes, FrictionlessFullBoreOpening,
                         testing::Values(TimeScheme::kLinearlyImplicit, TimeScheme::kExplicit));

// The intact line holds its steady flow; at its downstream end that flow
// has the closed form p^2 = p_up^2 - (4 f a^2 G^2 / D) L + 2 (a G)^2 ln(p / p_up).
TEST(ReferenceRun, IntactLineHoldsItsSteadyFrictionProfile) {
  ReferenceCase c;  // the default line, 100 km at 70 bar fed by 20 kg/s
  c.breachOpeningTime = 1e6;
  c.endTime = 600.0;
  c.reportInterval = 100.0;
  c.numerics.initialBreachCell = 200.0;  // no breach to resolve
  const ReferenceResult r = runReference(c);
  const double a = idealSoundSpeed(c), g = c.inflow / boreArea(c);
  const double pUp = c.upstreamPressure;
  double pEnd = pUp;
  for (int k = 0; k < 50; ++k)
    pEnd = std::sqrt(pUp * pUp - 4.0 * c.fanning * a * a * g * g / c.bore * c.length +
                     2.0 * a * a * g * g * std::log(pEnd / pUp));
  for (std::size_t k = 0; k < r.time.size(); ++k) {
    EXPECT_NEAR(r.downstream.farEndPressure[k], pEnd, 1e-9 * pEnd) << r.time[k];
    EXPECT_NEAR(r.upstream.farEndPressure[k], pUp, 1e-7 * pUp) << r.time[k];
    EXPECT_NEAR(r.sinkRate[k], c.inflow, 1e-5 * c.inflow) << r.time[k];
    EXPECT_NEAR(r.inflowRate[k], c.inflow, 1e-12 * c.inflow) << r.time[k];
    EXPECT_NEAR(r.lineMass[k], r.initialMass, 1e-8 * r.initialMass) << r.time[k];
    EXPECT_EQ(r.releaseRate[k], 0.0);
  }
}

// A smooth pressure pulse in a closed frictionless line, on uniform grids of
// 40, 20, 10 and 5 m: the mass that has crossed a fixed face (the closed
// breach's, which never opens) converges at second order. The explicit steps
// shrink with the cells, so that the order is the scheme's in space and time.
TEST(ReferenceRun, SmoothPulseConvergesAtSecondOrder) {
  ReferenceCase c;
  c.numerics.scheme = TimeScheme::kExplicit;
  c.length = 10000.0;
  c.fanning = 0.0;
  c.inflow = 0.0;
  c.breachLocation = 6000.0;
  c.breachOpeningTime = 1e6;
  c.endTime = 4.0;
  c.reportTimes = {4.0};
  c.numerics.initialBreachCell = 40.0;
  c.numerics.largestCellFraction = 0.004;
  const InitialProfile pulse{[](double x) { return 50e5 * (1.0 + 0.2 * std::exp(-std::pow((x - 5000.0) / 400.0, 2))); },
                             [](double) { return 0.0; }};
  std::vector<double> crossed;
  for (double refinement : {1.0, 2.0, 4.0, 8.0}) {
    c.numerics.refinement = refinement;
    const ReferenceResult r = runReference(c, pulse);
    crossed.push_back(r.downstream.mass.back());
  }
  for (std::size_t k = 0; k + 2 < crossed.size(); ++k) {
    const double order = std::log2(std::fabs(crossed[k] - crossed[k + 1]) / std::fabs(crossed[k + 1] - crossed[k + 2]));
    EXPECT_GT(order, 1.7) << k;
    EXPECT_LT(order, 2.5) << k;
  }
}

TEST(ReferenceRun, BreachAtAnEndLeavesOneBranch) {
  ReferenceCase c = valvedCase();
  c.valves.clear();
  c.aperture = 1.0;
  c.endTime = 20.0;
  c.breachLocation = 0.0;  // at the supply end: the supply is cut off from the line
  const ReferenceResult atUpstreamEnd = runReference(c);
  EXPECT_FALSE(atUpstreamEnd.upstream.present);
  EXPECT_TRUE(atUpstreamEnd.upstream.releaseRate.empty());
  EXPECT_GT(atUpstreamEnd.downstream.releaseRate.back(), 0.0);
  EXPECT_EQ(atUpstreamEnd.inflowDelivered.back(), 0.0);
  c.breachLocation = c.length;  // at the sink end
  const ReferenceResult atDownstreamEnd = runReference(c);
  EXPECT_TRUE(atDownstreamEnd.upstream.present);
  EXPECT_FALSE(atDownstreamEnd.downstream.present);
  EXPECT_EQ(atDownstreamEnd.sinkDelivered.back(), 0.0);
  EXPECT_GT(atDownstreamEnd.inflowDelivered.back(), 0.0);
}

TEST(ReferenceRun, RunsOnTwoThreadsAgreeWithRunsAlone) {
  ReferenceCase first = valvedCase(), second = valvedCase();
  first.endTime = second.endTime = 40.0;
  second.aperture = 1.0;
  second.realGas = CriticalConstants{190.564, 4.5992e6, 0.01142};
  const ReferenceResult aloneFirst = runReference(first), aloneSecond = runReference(second);
  ReferenceResult together[2];
  std::thread a([&] { together[0] = runReference(first); });
  std::thread b([&] { together[1] = runReference(second); });
  a.join();
  b.join();
  EXPECT_EQ(together[0].releaseRate, aloneFirst.releaseRate);
  EXPECT_EQ(together[0].lineMass, aloneFirst.lineMass);
  EXPECT_EQ(together[1].releaseRate, aloneSecond.releaseRate);
  EXPECT_EQ(together[1].lineMass, aloneSecond.lineMass);
}

TEST(ReferenceRun, RefusesInputOutOfRangeNamingIt) {
  const auto refuses = [](CaseInput input, auto change) {
    ReferenceCase c = valvedCase();
    change(c);
    try {
      runReference(c);
      ADD_FAILURE() << "not refused: input " << static_cast<int>(input);
    } catch (const InvalidCase& refusal) {
      EXPECT_EQ(refusal.input(), input) << refusal.what();
    }
  };
  refuses(CaseInput::kAperture, [](ReferenceCase& c) { c.aperture = 0.0; });
  refuses(CaseInput::kBreachLocation, [](ReferenceCase& c) { c.breachLocation = c.length + 1.0; });
  refuses(CaseInput::kUpstreamPressure, [](ReferenceCase& c) { c.upstreamPressure = c.ambientPressure; });
  refuses(CaseInput::kReportTimes, [](ReferenceCase& c) { c.reportTimes = {10.0, 5.0}; });
  refuses(CaseInput::kValveClosureTime, [](ReferenceCase& c) { c.valves = {{100.0, -1.0}}; });
  refuses(CaseInput::kInflow, [](ReferenceCase& c) { c.inflow = -1.0; });
  refuses(CaseInput::kNumerics, [](ReferenceCase& c) { c.numerics.courantNumber = 1.5; });
  refuses(CaseInput::kRefinement, [](ReferenceCase& c) { c.numerics.refinement = 1e6; });  // 1e10 cells
  // A supply the line cannot carry: the steady flow would choke.
  refuses(CaseInput::kSteadyFlow, [](ReferenceCase& c) { c.inflow = 5000.0; });
  // Propane at 70 bar and 15 C is a liquid.
  refuses(CaseInput::kGasPhase, [](ReferenceCase& c) {
    c.molarMass = 44.09562;
    c.realGas = CriticalConstants{369.89, 4.2512e6, 0.1521};
  });
}

// A valve shut as the breach opens traps the gas beyond it from the first
// instant: the branch outside the valve keeps its mass (no inflow, so the
// part beyond the valve is closed at both ends).
TEST(ReferenceRun, AValveShutAsTheBreachOpensTrapsTheGasBeyondIt) {
  ReferenceCase c = valvedCase();
  c.inflow = 0.0;
  c.valves = {{16000.0, 0.0}};
  c.endTime = 60.0;  // the rarefaction has been back from the valve for 40 s
  c.reportTimes = {0.0, 60.0};
  const ReferenceResult shutAtOnce = runReference(c);
  c.valves.clear();
  const ReferenceResult open = runReference(c);
  // Branch B holds 8 km of line: with the valve shut at 4 km from the breach,
  // half of it is beyond the valve and keeps its gas, so it loses less.
  const double lostShut = shutAtOnce.downstream.mass[0] - shutAtOnce.downstream.mass[1];
  const double lostOpen = open.downstream.mass[0] - open.downstream.mass[1];
  EXPECT_GT(lostShut, 0.0);
  EXPECT_LT(lostShut, lostOpen);
  // Branch A does not see the valve: only the steps, which the error in
  // both branches sets, differ (within the step tolerance).
  EXPECT_NEAR(shutAtOnce.upstream.releasedMass[1], open.upstream.releasedMass[1],
              c.numerics.tolerance * open.releasedMass[1]);
}

TEST(ReferenceRun, StopsAtItsBoundOfTimeSteps) {
  ReferenceCase c = valvedCase();
  c.numerics.maxSteps = 100;
  EXPECT_THROW(runReference(c), StepBoundReached);
}
}  // namespace
}  // namespace vorl::reference
