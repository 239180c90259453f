// Small holes and the release's own end: an orifice-limited line blows down
// exponentially with the closed-form time constant, and a run left to end by
// itself stops once the release is over, not before.
#include <gtest/gtest.h>

#include <cmath>

#include "reference/reference.h"

namespace vorl::reference {
namespace {

constexpr double kPi = 3.14159265358979323846;

double soundSpeed(const ReferenceCase& c) { return std::sqrt(kGasConstant * c.temperature / c.molarMass); }

// A hole far smaller than the bore drains each branch through a choked
// orifice whose throat is at rho / sqrt(e) (isothermal), the branch's gas
// nearly at rest and uniform: M' = -aperture A a rho / sqrt(e), so that the
// gas in a branch of length l falls as exp(-t / tau), tau = l sqrt(e) /
// (aperture a). The friction of the slow flow towards the hole lowers the
// pressure at it by well under 1 %.
TEST(ReferenceSmallHole, EachBranchBlowsDownThroughItExponentially) {
  struct Hole {
    double diameter, bore;
  };
  for (const Hole& hole : {Hole{0.025, 0.5}, Hole{0.001, 0.5}, Hole{0.005, 0.2}}) {
    ReferenceCase c;
    c.bore = hole.bore;
    c.aperture = std::pow(hole.diameter / hole.bore, 2);
    c.inflow = 0.0;
    c.length = 50000.0;
    c.breachLocation = 20000.0;
    const double a = soundSpeed(c), rootE = std::sqrt(std::exp(1.0));
    const double tauA = c.breachLocation * rootE / (c.aperture * a);
    const double tauB = (c.length - c.breachLocation) * rootE / (c.aperture * a);
    c.endTime = tauA;
    c.reportTimes = {0.0, tauA};
    const ReferenceResult r = runReference(c);
    const double rho0 = c.upstreamPressure / (a * a);
    const double firstRate = c.aperture * 0.25 * kPi * c.bore * c.bore * a * rho0 / rootE;
    EXPECT_NEAR(r.upstream.releaseRate[0], firstRate, 0.005 * firstRate) << hole.diameter;
    EXPECT_NEAR(r.downstream.releaseRate[0], firstRate, 0.005 * firstRate) << hole.diameter;
    const double massA = r.upstream.mass[0] / std::exp(1.0), massB = r.downstream.mass[0] * std::exp(-tauA / tauB);
    EXPECT_NEAR(r.upstream.mass[1], massA, 0.01 * massA) << hole.diameter;
    EXPECT_NEAR(r.downstream.mass[1], massB, 0.01 * massB) << hole.diameter;
  }
}

// The default line without inflow, breached through a 25 mm hole, left to end
// by itself: it ends once its gas is within 1 % of the ambient pressure, the
// gas left in it that of the line at (about) the ambient pressure.
TEST(ReferenceReleaseEnd, AClosedLineEndsAtTheBackPressure) {
  ReferenceCase c;
  c.inflow = 0.0;
  c.aperture = std::pow(0.025 / c.bore, 2);
  c.endTime = 1e8;
  c.endWhenReleaseOver = true;
  c.reportInterval = 86400.0;
  const ReferenceResult r = runReference(c);
  const double end = r.time.back();
  EXPECT_LT(end, 1e7);
  const double ambientMass = c.ambientPressure / std::pow(soundSpeed(c), 2) * 0.25 * kPi * c.bore * c.bore * c.length;
  EXPECT_GT(r.lineMass.back(), ambientMass);
  EXPECT_LT(r.lineMass.back(), 1.01 * ambientMass);
  EXPECT_LT(r.upstream.farEndPressure.back(), 1.01 * c.ambientPressure);
  EXPECT_LT(r.downstream.farEndPressure.back(), 1.01 * c.ambientPressure);
  // The gas within 1 % of the back pressure only just: a tenth earlier it was not.
  c.endWhenReleaseOver = false;
  c.endTime = 0.9 * end;
  c.reportTimes = {c.endTime};
  EXPECT_GT(runReference(c).lineMass.back(), 1.01 * ambientMass);
}

// Fed, the line settles to a new steady flow: what the supply feeds leaves
// through the breach (the sink's non-return valve shut). The run ends with
// the line's gas changing by less than 1 % of the inflow per second.
TEST(ReferenceReleaseEnd, AFedLineEndsAtItsNewSteadyFlow) {
  ReferenceCase c;
  c.length = 20000.0;
  c.breachLocation = 15000.0;
  c.endTime = 1e8;
  c.endWhenReleaseOver = true;
  const ReferenceResult r = runReference(c);
  const std::size_t last = r.time.size() - 1;
  EXPECT_LT(r.time[last], 1e6);
  const double change = r.inflowRate[last] - r.releaseRate[last] - r.sinkRate[last];
  EXPECT_LE(std::fabs(change), 0.01 * c.inflow);
  EXPECT_NEAR(r.releaseRate[last], c.inflow, 0.02 * c.inflow);
  EXPECT_EQ(r.time[last - 1], c.reportInterval * static_cast<double>(last - 1));
}

}  // namespace
}  // namespace vorl::reference
