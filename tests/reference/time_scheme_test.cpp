// The linearly implicit steps against the explicit ones that verify them, on
// the same grids: release rates and masses within 1 %, the step control
// converging as its tolerance shrinks, the breach instant, the mass balance.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "reference/reference.h"

namespace vorl::reference {
namespace {

constexpr double kE = 2.718281828459045;
constexpr double kPi = 3.14159265358979323846;
const CriticalConstants kMethane{190.564, 4.5992e6, 0.01142};

// A short line on a coarse grid (cells of 1 % of the line, breach cells up
// to 1 % of its longer side), so that the explicit steps stay cheap.
ReferenceCase shortLine() {
  ReferenceCase c;
  c.length = 10000.0;
  c.breachLocation = 4000.0;
  c.inflow = 10.0;
  c.endTime = 3600.0;
  c.numerics.largestCellFraction = 0.02;
  c.numerics.latestBreachCellFraction = 0.01;
  c.numerics.initialBreachCell = 2.0;
  return c;
}

struct SchemeCase {
  const char* name;
  std::function<void(ReferenceCase&)> change;
};

const std::vector<SchemeCase>& schemeCases() {
  static const std::vector<SchemeCase> cases = {
      {"fed line breached inside", [](ReferenceCase&) {}},
      {"real gas", [](ReferenceCase& c) { c.realGas = kMethane; }},
      {"no inflow, breach at the closed end",
       [](ReferenceCase& c) {
         c.inflow = 0.0;
         c.breachLocation = c.length;
       }},
      {"breach at the supply end, 0.3 m bore, 100 bar",
       [](ReferenceCase& c) {
         c.breachLocation = 0.0;
         c.bore = 0.3;
         c.upstreamPressure = 100e5;
       }},
      {"aperture 0.05, 40 km", [](ReferenceCase& c) {
         c.aperture = 0.05;
         c.length = 40000.0;
         c.breachLocation = 25000.0;
       }},
      {"real gas, aperture 0.2, no inflow", [](ReferenceCase& c) {
         c.realGas = kMethane;
         c.aperture = 0.2;
         c.inflow = 0.0;
       }},
      {"valves closing at 30 s and 120 s", [](ReferenceCase& c) { c.valves = {{2000.0, 30.0}, {8000.0, 120.0}}; }},
  };
  return cases;
}

const std::vector<double> kCompareTimes = {1.0, 10.0, 60.0, 600.0, 3600.0};

ReferenceResult runWith(ReferenceCase c, TimeScheme scheme, double tolerance) {
  c.numerics.scheme = scheme;
  c.numerics.tolerance = tolerance;
  c.reportTimes = kCompareTimes;
  return runReference(c);
}

// Relative difference, against a floor of 1e-3 of the largest value (a rate
// that has fallen to nothing is compared with the rates it fell from).
double difference(const std::vector<double>& value, const std::vector<double>& reference, std::size_t k) {
  double largest = 0.0;
  for (double v : reference) largest = std::fmax(largest, std::fabs(v));
  return std::fabs(value[k] - reference[k]) / std::fmax(std::fabs(reference[k]), 1e-3 * largest);
}

TEST(ReferenceTimeSchemeHeavy, LinearlyImplicitStepsStayWithinOnePercentOfTheExplicitSteps) {
  for (const SchemeCase& sc : schemeCases()) {
    ReferenceCase c = shortLine();
    sc.change(c);
    const ReferenceResult implicit = runWith(c, TimeScheme::kLinearlyImplicit, c.numerics.tolerance);
    const ReferenceResult explicitSteps = runWith(c, TimeScheme::kExplicit, c.numerics.tolerance);
    ASSERT_EQ(implicit.time.size(), kCompareTimes.size()) << sc.name;
    EXPECT_LT(20 * implicit.statistics.steps, explicitSteps.statistics.steps) << sc.name;
    for (std::size_t k = 0; k < kCompareTimes.size(); ++k) {
      EXPECT_LT(difference(implicit.releaseRate, explicitSteps.releaseRate, k), 0.01) << sc.name << " at " << kCompareTimes[k];
      EXPECT_LT(difference(implicit.releasedMass, explicitSteps.releasedMass, k), 0.01) << sc.name << " at " << kCompareTimes[k];
      const double balance = implicit.initialMass + implicit.inflowDelivered[k] - implicit.releasedMass[k] -
                             implicit.sinkDelivered[k] - implicit.lineMass[k];
      EXPECT_LT(std::fabs(balance), 1e-9 * implicit.initialMass) << sc.name << " at " << kCompareTimes[k];
    }
  }
}

// As the tolerance shrinks tenfold, the largest difference from a run of a
// hundredth of the smallest tolerance falls at least threefold, and the steps
// grow in number as about tolerance^(-1/2) (the local error estimate is of
// h^2). The explicit steps at the Courant number 0.8 differ from the
// converged solution by a few 1e-4 themselves: they cannot show this.
TEST(ReferenceTimeSchemeHeavy, StepControlConvergesAsItsToleranceShrinks) {
  ReferenceCase c = shortLine();
  c.endTime = 600.0;
  const std::vector<double> times = {1.0, 10.0, 60.0, 600.0};
  c.reportTimes = times;
  c.numerics.tolerance = 1e-6;
  const ReferenceResult converged = runReference(c);
  std::vector<double> worst;
  std::vector<long long> steps;
  for (double tolerance : {1e-2, 1e-3, 1e-4}) {
    c.numerics.tolerance = tolerance;
    const ReferenceResult r = runReference(c);
    double largest = 0.0;
    for (std::size_t k = 0; k < times.size(); ++k)
      largest = std::fmax(largest, std::fmax(difference(r.releaseRate, converged.releaseRate, k),
                                             difference(r.releasedMass, converged.releasedMass, k)));
    worst.push_back(largest);
    steps.push_back(r.statistics.steps);
  }
  for (std::size_t k = 0; k + 1 < worst.size(); ++k) {
    EXPECT_LT(worst[k + 1], worst[k] / 3.0) << k;
    EXPECT_GT(steps[k + 1], 2 * steps[k]) << k;
    EXPECT_LT(steps[k + 1], 6 * steps[k]) << k;
  }
}

// At the instant a breach opens at full bore in a line at rest without
// friction, the gas at each pipe end accelerates along its characteristic
// to the sound speed at rho0 / e: each branch releases rho0 a / e per unit
// bore area.
TEST(ReferenceTimeScheme, TheBreachInstantReleasesRho0AOverEFromEachBranch) {
  ReferenceCase c = shortLine();
  c.fanning = 0.0;
  c.inflow = 0.0;
  c.endTime = 1e-3;
  c.reportTimes = {0.0};
  const ReferenceResult r = runReference(c);
  const double a = std::sqrt(kGasConstant * c.temperature / c.molarMass);
  const double exact = c.upstreamPressure / (a * a) * a / kE * 0.25 * kPi * c.bore * c.bore;
  EXPECT_NEAR(r.upstream.releaseRate[0], exact, 1e-9 * exact);
  EXPECT_NEAR(r.downstream.releaseRate[0], exact, 1e-9 * exact);
}

}  // namespace
}  // namespace vorl::reference
