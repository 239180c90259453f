#include "reference/boundaries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace vorl::reference {
namespace {

constexpr double kE = 2.718281828459045;
constexpr double kAmbient = 101325.0;
constexpr double kBore = 0.5;

class EndConditionsTest : public ::testing::Test {
 protected:
  std::unique_ptr<GasLaw> gas = makeGasLaw(16.0428, 288.15, std::nullopt);
  double a = std::sqrt(gas->idealSoundSpeedSquared());
  double rho0 = gas->density(70e5);

  EndConditions frictionless(double aperture, double supplyFlux = 0.0, double sinkPressure = 0.0) const {
    return EndConditions(*gas, 0.0, kBore, aperture, kAmbient, supplyFlux, sinkPressure);
  }
};

// Gas at rest meeting a full-bore opening: the isothermal rarefaction
// carries u + a ln(rho) to a sonic exit, rho = rho0 / e, flux rho0 a / e.
TEST_F(EndConditionsTest, FullBoreFromRestIsSonicAtOneOverE) {
  const EndState end = frictionless(1.0).breach(EndCell{rho0, 0.0, 1.0});
  EXPECT_NEAR(end.density, rho0 / kE, 1e-12 * rho0);
  EXPECT_NEAR(end.outwardVelocity, a, 1e-10 * a);
  EXPECT_NEAR(end.outwardMassFlux(), rho0 * a / kE, 1e-10 * rho0 * a);
  EXPECT_NEAR(end.pressure, 70e5 / kE, 1e-6 * 70e5);
}

// A small orifice barely draws the gas: the throat is fed as from a
// reservoir, a^2/2 + a^2 ln(rho*) = a^2 ln(rho0), flux ar rho0 a / sqrt(e).
TEST_F(EndConditionsTest, SmallOrificeDischargesAsFromAReservoir) {
  for (double aperture : {1e-3, 1e-2}) {
    const EndState end = frictionless(aperture).breach(EndCell{rho0, 0.0, 1.0});
    const double reservoir = aperture * rho0 * a / std::sqrt(kE);
    EXPECT_NEAR(end.outwardMassFlux(), reservoir, 2.0 * aperture * reservoir) << aperture;
    EXPECT_LT(end.outwardMassFlux(), reservoir);
  }
}

// An orifice flux rises with the aperture and no orifice passes more than
// the sonic pipe end.
TEST_F(EndConditionsTest, OrificeFluxRisesWithTheAperture) {
  double previous = 0.0;
  for (double aperture : {0.1, 0.3, 0.6, 0.9, 0.999, 1.0}) {
    const double flux = frictionless(aperture).breach(EndCell{rho0, 0.0, 1.0}).outwardMassFlux();
    EXPECT_GT(flux, previous) << aperture;
    EXPECT_LE(flux, rho0 * a / kE * (1.0 + 1e-12)) << aperture;
    previous = flux;
  }
}

TEST_F(EndConditionsTest, BelowAmbientTheBreachClosesAndAboveItDischargesUnchoked) {
  const double ambientDensity = gas->density(kAmbient);
  // At rest at 0.9 atm: no outflow, and no inflow either.
  const EndState closed = frictionless(1.0).breach(EndCell{0.9 * ambientDensity, 0.0, 1.0});
  EXPECT_EQ(closed.outwardVelocity, 0.0);
  EXPECT_NEAR(closed.density, 0.9 * ambientDensity, 1e-12);
  // At rest at 2 atm the sonic state (2/e atm) lies below ambient: the end
  // discharges at ambient pressure, below the sound speed.
  const EndState unchoked = frictionless(1.0).breach(EndCell{2.0 * ambientDensity, 0.0, 1.0});
  EXPECT_NEAR(unchoked.pressure, kAmbient, 1e-9 * kAmbient);
  EXPECT_NEAR(unchoked.outwardVelocity, a * std::log(2.0), 1e-9 * a);
}

// A closed end stops the gas: u + a ln(rho) carried to rest.
TEST_F(EndConditionsTest, WallBringsTheGasToRest) {
  const EndState end = frictionless(1.0).wall(EndCell{rho0, 30.0, 1.0});
  EXPECT_EQ(end.outwardVelocity, 0.0);
  EXPECT_NEAR(end.density, rho0 * std::exp(30.0 / a), 1e-12 * rho0);
}

TEST_F(EndConditionsTest, SupplyFeedsItsMassFluxAndSinkHoldsItsPressureUntilTheValveShuts) {
  const double supplyFlux = 100.0;  // kg/(m2 s)
  const EndState fed = frictionless(1.0, supplyFlux).supply(EndCell{rho0, -2.0, 1.0});
  EXPECT_NEAR(fed.outwardMassFlux(), -supplyFlux, 1e-9 * supplyFlux);
  // Outflow at 2 m/s against a sink at the cell's own pressure: delivers at
  // that pressure and speed.
  const EndConditions ends = frictionless(1.0, supplyFlux, 70e5);
  const EndState delivering = ends.sink(EndCell{rho0, 2.0, 1.0});
  EXPECT_NEAR(delivering.pressure, 70e5, 1e-9 * 70e5);
  EXPECT_NEAR(delivering.outwardVelocity, 2.0, 1e-6);
  // Gas slowing so that at rest it would stay below the sink pressure: shut.
  const EndState shut = ends.sink(EndCell{rho0, -2.0, 1.0});
  EXPECT_EQ(shut.outwardVelocity, 0.0);
  EXPECT_LT(shut.pressure, 70e5);
}

// The settled flow near a choked full-bore end follows the isothermal
// Fanno relation, 4 f d / D = (1 - M^2)/M^2 + ln(M^2) at distance d from the
// sonic end, with rho = rhoE / M. An end cell holding that profile (its mean
// density and mass flux, integrated here from the relation) must deliver
// the profile's own mass flux, however long the cell is against D / (4 f).
TEST(EndConditionsFriction, ChokedEndCellOnTheFannoProfileDeliversItsMassFlux) {
  const auto gas = makeGasLaw(16.0428, 288.15, std::nullopt);
  const double a = std::sqrt(gas->idealSoundSpeedSquared());
  const double fanning = 0.003, bore = 0.5, exitDensity = 2.0;
  const EndConditions ends(*gas, fanning, bore, 1.0, kAmbient, 0.0, 0.0);
  const auto machAt = [&](double d) {
    double lo = 1e-6, hi = 1.0;  // the Fanno function falls as M rises to 1
    for (int k = 0; k < 200; ++k) {
      const double m = 0.5 * (lo + hi);
      ((1.0 - m * m) / (m * m) + std::log(m * m) > 4.0 * fanning * d / bore ? lo : hi) = m;
    }
    return 0.5 * (lo + hi);
  };
  for (double lengths : {0.1, 1.0, 5.0}) {
    const double width = lengths * bore / (4.0 * fanning);
    // Mean of rho = rhoE / M over the cell, with d = width t^2 to take the
    // square-root steepening at the sonic end (midpoint rule in t).
    const int n = 4000;
    double meanDensity = 0.0;
    for (int k = 0; k < n; ++k) {
      const double t = (k + 0.5) / n;
      meanDensity += 2.0 * t * exitDensity / machAt(width * t * t) / n;
    }
    const double massFlux = exitDensity * a;
    const EndState end = ends.breach(EndCell{meanDensity, massFlux / meanDensity, width});
    EXPECT_NEAR(end.outwardMassFlux(), massFlux, 1e-6 * massFlux) << lengths;
    EXPECT_NEAR(end.density, exitDensity, 1e-6 * exitDensity) << lengths;
  }
}

}  // namespace
}  // namespace vorl::reference
