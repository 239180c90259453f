#include "model/ideal_gas.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/vorl_error.h"

namespace vorl {
namespace {

TEST(IdealGas, GasConstantSoundSpeedAndVolume) {
  const IIG methane(16.043, 288.15), air(28.966, 288.15);
  EXPECT_EQ(methane.universalGasConstant(), 8314.34);
  EXPECT_NEAR(methane.gasConstant(), 518.25, 0.005);
  EXPECT_NEAR(air.a2(), 82710.0, 0.5);           // R T = 8314.34 / 28.966 * 288.15
  EXPECT_NEAR(air.v_p(100000.0), 0.8271, 5e-5);  // R T / p
}

TEST(IdealGas, RefusesAMolecularWeightNotAboveZeroAndAVolumeAtZeroPressure) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto codeAndTag = [](auto&& f) {
    try {
      f();
    } catch (const VORLERROR& e) {
      return std::to_string(e.eError()) + " " + e.tag();
    }
    return std::string("none");
  };
  for (double m : {0.0, -2.0, nan}) EXPECT_EQ(codeAndTag([m] { IG gas(m); }), "13 IGCTOR") << m;
  const IIG gas(16.043, 288.15);
  for (double p : {0.0, nan}) EXPECT_EQ(codeAndTag([&] { (void)gas.v_p(p); }), "13 IIGv_p") << p;
}

}  // namespace
}  // namespace vorl
