#include <gtest/gtest.h>

#include <limits>

#include "interface/vorl_error.h"
#include "model/ideal_gas.h"

namespace {

TEST(IdealGas, SpecificGasConstantFromTheUniversalConstant) {
  const vorl::IG methane(16.043);
  EXPECT_EQ(methane.universalGasConstant(), 8314.34);
  EXPECT_NEAR(methane.gasConstant(), 518.25, 0.005);
}

TEST(IdealGas, IsothermalSoundSpeedAndSpecificVolumeOfAir) {
  const vorl::IIG air(28.966, 288.15);
  // R T = 8314.34 / 28.966 * 288.15; v = R T / p.
  EXPECT_NEAR(air.a2(), 82710.0, 0.5);
  EXPECT_NEAR(air.v_p(100000.0), 0.8271, 5e-5);
}

TEST(IdealGas, RefusesAMolecularWeightNotAboveZero) {
  for (double m : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN()}) {
    try {
      vorl::IG gas(m);
      ADD_FAILURE() << "accepted " << m;
    } catch (const vorl::VORLERROR& e) {
      EXPECT_EQ(e.eError(), 13);
      EXPECT_EQ(e.tag(), "IGCTOR");
    }
  }
}

TEST(IdealGas, NoSpecificVolumeAtZeroPressure) {
  const vorl::IIG gas(16.043, 288.15);
  for (double p : {0.0, std::numeric_limits<double>::quiet_NaN()}) {
    try {
      (void)gas.v_p(p);
      ADD_FAILURE() << "gave a volume at " << p;
    } catch (const vorl::VORLERROR& e) {
      EXPECT_EQ(e.eError(), 13);
      EXPECT_EQ(e.tag(), "IIGv_p");
    }
  }
}

}  // namespace
