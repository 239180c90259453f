#include "reference/gas_law.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace vorl::reference {
namespace {

constexpr double kMethaneMolarMass = 16.0428;  // kg/kmol
const CriticalConstants kMethane{190.564, 4.5992e6, 0.01142};

// Peng-Robinson values of methane worked out from the cubic in Z,
//   Z^3 - (1 - B) Z^2 + (A - 3B^2 - 2B) Z - (AB - B^2 - B^3) = 0,
// A = aT p / (R T)^2, B = b p / (R T), its largest root, and dp/drho by a
// central difference of rho(p) = p M / (Z R T) over +-1e-5 p.
struct WorkedState {
  double pressure, temperature, compressibility, density, soundSpeedSquared;
};
constexpr WorkedState kWorked[] = {
    {165e5, 282.0, 0.7549341417, 149.5471560096, 112763.73576},
    {70e5, 288.15, 0.8492283425, 55.1959643060, 111211.46136},
    {8.6e5, 282.0, 0.9773653686, 6.0206694725, 139641.88807},
};

TEST(PengRobinsonGas, MatchesHandWorkedCompressibilityDensityAndSoundSpeed) {
  for (const WorkedState& s : kWorked) {
    const auto gas = makeGasLaw(kMethaneMolarMass, s.temperature, kMethane);
    const double rho = gas->density(s.pressure);
    EXPECT_NEAR(rho, s.density, 1e-9 * s.density) << s.pressure;
    EXPECT_NEAR(gas->compressibility(rho), s.compressibility, 1e-9) << s.pressure;
    EXPECT_NEAR(gas->pressure(rho), s.pressure, 1e-9 * s.pressure) << s.pressure;
    EXPECT_NEAR(gas->soundSpeedSquared(rho), s.soundSpeedSquared, 1e-7 * s.soundSpeedSquared) << s.pressure;
  }
}

TEST(PengRobinsonGas, BecomesTheIdealGasAsThePressureVanishes) {
  const auto real = makeGasLaw(kMethaneMolarMass, 282.0, kMethane);
  const auto ideal = makeGasLaw(kMethaneMolarMass, 282.0, std::nullopt);
  const double a2 = 8314.34 * 282.0 / kMethaneMolarMass;
  EXPECT_DOUBLE_EQ(ideal->soundSpeedSquared(1.0), a2);
  // Z - 1 is proportional to the density (second virial coefficient), and
  // c^2 / a^2 - 1 twice that: a thousandfold thinner gas, a thousandfold closer.
  double previousGap = 0.0;
  for (double p : {1e5, 1e2, 1e-1}) {
    const double rho = real->density(p);
    const double gap = std::fabs(real->compressibility(rho) - 1.0);
    if (previousGap > 0.0) {
      EXPECT_LT(gap, previousGap / 500.0) << p;
    }
    EXPECT_NEAR(real->soundSpeedSquared(rho) / a2, 1.0, 3.0 * gap) << p;
    EXPECT_NEAR(rho, ideal->density(p), 2.0 * gap * rho) << p;
    previousGap = gap;
  }
  EXPECT_LT(previousGap, 1e-8);
}

TEST(PengRobinsonGas, RefusesAPressureBeyondTheGasBranch) {
  // Propane at 288 K lies below its critical temperature: at 50 bar only a
  // liquid exists, and the gas branch ends at the spinodal well below it.
  const auto propane = makeGasLaw(44.09562, 288.15, CriticalConstants{369.89, 4.2512e6, 0.1521});
  EXPECT_NO_THROW(propane->density(2e5));
  EXPECT_THROW(propane->density(50e5), std::invalid_argument);
}

// Hydrogen's sound speed (about 1,300 m/s) makes the rounding of the Riemann
// variable, a difference of table values, about 1e-14 in ln(rho): the
// inverse once asked its Newton steps to fall below that and failed on a
// state an ordinary hydrogen line at 115 bar reached.
TEST(PengRobinsonGas, InvertsTheRiemannVariableOfHydrogen) {
  const auto hydrogen = makeGasLaw(2.01588, 288.15, CriticalConstants{33.145, 1296400.0, -0.219});
  const double from = 1.1327853703272963, increment = 652.73369436313624;
  const double to = hydrogen->riemannInverse(from, increment);
  EXPECT_NEAR(hydrogen->riemannIncrement(from, to), increment, 1e-9 * increment);
}

// The identities the flow relations rest on, for both gases: the isothermal
// potential is the integral of dp/rho, the Riemann increment the integral of
// c/rho drho, its inverse inverts it, and at the sonic throat
// c^2/2 + potential equals the head.
class GasIdentities : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<GasLaw> gas = makeGasLaw(kMethaneMolarMass, 282.0,
                                           GetParam() ? std::optional<CriticalConstants>(kMethane) : std::nullopt);
};

// Simpson's rule with n (even) panels in ln(rho).
template <class Integrand>
double simpsonInLogDensity(Integrand&& f, double from, double to, int n) {
  const double y0 = std::log(from), h = (std::log(to) - y0) / n;
  double sum = f(from) + f(to);
  for (int k = 1; k < n; ++k) sum += (k % 2 ? 4.0 : 2.0) * f(std::exp(y0 + k * h));
  return sum * h / 3.0;
}

TEST_P(GasIdentities, PotentialIsTheIntegralOfDpOverRho) {
  const double from = 2.0, to = 150.0;
  // d(potential) = (dp/drho) / rho drho = c^2 d(ln rho).
  const double integral = simpsonInLogDensity([&](double rho) { return gas->soundSpeedSquared(rho); }, from, to, 2000);
  EXPECT_NEAR(gas->isothermalPotential(to) - gas->isothermalPotential(from), integral, 1e-9 * std::fabs(integral));
}

TEST_P(GasIdentities, RiemannIncrementIsTheIntegralOfCOverRhoAndInverts) {
  const double from = 150.0, to = 0.8;
  const double integral =
      simpsonInLogDensity([&](double rho) { return std::sqrt(gas->soundSpeedSquared(rho)); }, from, to, 2000);
  const double increment = gas->riemannIncrement(from, to);
  EXPECT_NEAR(increment, integral, 1e-9 * std::fabs(integral));
  EXPECT_NEAR(gas->riemannInverse(from, increment), to, 1e-10 * to);
}

TEST_P(GasIdentities, SonicThroatBalancesTheHead) {
  for (double rho : {0.9, 20.0, 140.0}) {
    const double head = 0.5 * 100.0 * 100.0 + gas->isothermalPotential(rho);  // moving at 100 m/s
    const double throat = gas->sonicThroatDensity(head);
    EXPECT_LT(throat, rho);
    EXPECT_NEAR(0.5 * gas->soundSpeedSquared(throat) + gas->isothermalPotential(throat), head,
                1e-10 * std::fabs(head) + 1e-9)
        << rho;
  }
}

INSTANTIATE_TEST_SUITE_P(IdealAndReal, GasIdentities, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "PengRobinson" : "Ideal"; });

}  // namespace
}  // namespace vorl::reference
