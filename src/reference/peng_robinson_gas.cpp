#include "reference/peng_robinson_gas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/peng_robinson.h"
#include "reference/case_error.h"
#include "reference/root_finding.h"

namespace vorl::reference {
namespace {

constexpr double kSqrt2 = 1.4142135623730951;
// Relative tolerance of the densities solved for.
constexpr double kDensityTolerance = 1e-14;
// Tolerance of the Newton steps in ln(rho) inverting the Riemann variable:
// the variable is a difference of table values of some 1e4 m/s, so that its
// rounding alone moves ln(rho) by about 1e-14 (more for light gases, whose
// sound speed is high); Newton's method has converged far below this.
constexpr double kRiemannInverseTolerance = 1e-11;
// Largest step in ln(rho) of one Gauss-Legendre panel of the Riemann integral.
constexpr double kPanelWidth = 0.25;
// The table of the Riemann variable: steps in ln(rho) (cubic Hermite
// interpolation errs by about step^4 / 384 of the fourth derivative, below
// 1e-10 of the sound speed), from this fraction of the covolume density up to
// the largest fraction of it (or to the end of the gas branch).
constexpr double kTableStep = 0.01;
constexpr double kTableLowestFraction = 1e-9;
constexpr double kTableHighestFraction = 0.95;

// Eight-point Gauss-Legendre rule on [-1, 1]: exact for polynomials up to
// degree 15, far more than the smooth c(ln rho) needs on a panel.
constexpr double kNodes[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363};
constexpr double kWeights[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};

// The pure fluid's a(T) and b, or the mixture's by the one-fluid rules.
pengrobinson::Parameters attractionAndCovolume(double temperature, const CriticalConstants& critical) {
  if (critical.components.empty()) {
    return pengrobinson::pureParameters(kGasConstant, temperature, critical.temperature, critical.pressure,
                                        critical.acentricFactor);
  }
  const std::size_t n = critical.components.size();
  if (critical.interaction.size() != n * n)
    throw std::invalid_argument("the mixture needs one interaction coefficient per pair of components");
  std::vector<double> fractions;
  std::vector<pengrobinson::Parameters> pure;
  for (const RealGasComponent& component : critical.components) {
    fractions.push_back(component.moleFraction);
    pure.push_back(pengrobinson::pureParameters(kGasConstant, temperature, component.temperature,
                                                component.pressure, component.acentricFactor));
  }
  return pengrobinson::mixtureParameters(fractions.data(), pure.data(), critical.interaction.data(), n);
}

}  // namespace

PengRobinsonGas::PengRobinsonGas(double molarMass, double temperature, const CriticalConstants& critical)
    : GasLaw(kGasConstant * temperature / molarMass), molarMass_(molarMass), rt_(kGasConstant * temperature) {
  if (!(molarMass > 0.0) || !(temperature > 0.0))
    throw std::invalid_argument("the gas needs a positive molar mass and temperature");
  if (!(critical.temperature > 0.0) || !(critical.pressure > 0.0) || !std::isfinite(critical.acentricFactor))
    throw std::invalid_argument("the real gas needs a positive critical temperature and pressure");
  const pengrobinson::Parameters parameters = attractionAndCovolume(temperature, critical);
  a_ = parameters.a;
  b_ = parameters.b;
  tabulateRiemannVariable();
}

void PengRobinsonGas::tabulateRiemannVariable() {
  const double covolumeDensity = molarMass_ / b_;
  tableStart_ = std::log(kTableLowestFraction * covolumeDensity);
  tableStep_ = kTableStep;
  const auto nodes = static_cast<std::size_t>(std::log(kTableHighestFraction / kTableLowestFraction) / kTableStep);
  double variable = 0.0;
  for (std::size_t k = 0; k <= nodes; ++k) {
    const double y = tableStart_ + static_cast<double>(k) * tableStep_;
    const double c2 = soundSpeedSquared(std::exp(y));
    if (!(c2 > 0.0)) break;  // the end of the gas branch
    if (k > 0) {
      const double panel = integrateSoundSpeed(y - tableStep_, y);
      if (!std::isfinite(panel)) break;
      variable += panel;
    }
    tableVariable_.push_back(variable);
    tableSlope_.push_back(std::sqrt(c2));
  }
}

double PengRobinsonGas::tabulatedRiemannVariable(double y) const noexcept {
  const double position = (y - tableStart_) / tableStep_;
  if (!(position >= 0.0) || !(position < static_cast<double>(tableVariable_.size()) - 1.0))
    return std::numeric_limits<double>::quiet_NaN();
  const auto k = static_cast<std::size_t>(position);
  const double t = position - static_cast<double>(k);
  const double t2 = t * t, t3 = t2 * t;
  return (2.0 * t3 - 3.0 * t2 + 1.0) * tableVariable_[k] + (t3 - 2.0 * t2 + t) * tableStep_ * tableSlope_[k] +
         (-2.0 * t3 + 3.0 * t2) * tableVariable_[k + 1] + (t3 - t2) * tableStep_ * tableSlope_[k + 1];
}

double PengRobinsonGas::molarPressure(double n) const noexcept {
  return rt_ * n / (1.0 - b_ * n) - a_ * n * n / (1.0 + 2.0 * b_ * n - b_ * b_ * n * n);
}

double PengRobinsonGas::molarPressureSlope(double n) const noexcept {
  const double repulsive = 1.0 - b_ * n;
  const double attractive = 1.0 + 2.0 * b_ * n - b_ * b_ * n * n;
  return rt_ / (repulsive * repulsive) - 2.0 * a_ * n * (1.0 + b_ * n) / (attractive * attractive);
}

double PengRobinsonGas::soundSpeedSquared(double density) const {
  return molarPressureSlope(density / molarMass_) / molarMass_;
}

double PengRobinsonGas::soundSpeed(double density) const {
  const double c2 = soundSpeedSquared(density);
  if (!(c2 > 0.0)) throw std::runtime_error("the real gas reached its two-phase region (dp/drho <= 0)");
  return std::sqrt(c2);
}

// Walks up from the ideal-gas density in small steps, checking that the
// pressure still rises, so that the root found lies on the gas branch.
double PengRobinsonGas::density(double pressure) const {
  if (!(pressure > 0.0)) throw std::invalid_argument("the real-gas density needs a positive pressure");
  constexpr double kGrowth = 1.25;
  constexpr int kMaxSteps = 400;
  const double nCovolume = 1.0 / b_;
  double nLow = 0.0;
  double nHigh = std::fmin(pressure / rt_, 0.5 * nCovolume);
  for (int step = 0; molarPressure(nHigh) < pressure; ++step) {
    if (step == kMaxSteps || !(molarPressureSlope(nHigh) > 0.0))
      throw InvalidCase(CaseInput::kGasPhase, "the real gas has no gas-branch density at this pressure");
    nLow = nHigh;
    nHigh = std::fmin(kGrowth * nHigh, 0.5 * (nHigh + nCovolume));
  }
  const auto residual = [&](double n) { return molarPressure(n) - pressure; };
  const double n = brentRoot(residual, nLow, nHigh, residual(nLow), residual(nHigh), kDensityTolerance * nHigh);
  if (!(molarPressureSlope(n) > 0.0))
    throw InvalidCase(CaseInput::kGasPhase, "the real gas has no gas-branch density at this pressure");
  return n * molarMass_;
}

// Gibbs energy per unit mass up to a constant of the temperature: the ideal
// part (R T / M) ln n, the residual Helmholtz energy of the equation and p/rho.
// Its derivative is (dp/drho) / rho, so differences are the integral of dp/rho.
double PengRobinsonGas::isothermalPotential(double density) const {
  const double n = density / molarMass_;
  const double residual = -rt_ * std::log(1.0 - b_ * n) -
                          a_ / (2.0 * kSqrt2 * b_) *
                              std::log((1.0 + (1.0 + kSqrt2) * b_ * n) / (1.0 + (1.0 - kSqrt2) * b_ * n));
  return (rt_ * std::log(n) + residual) / molarMass_ + pressure(density) / density;
}

// The integral of c d(ln rho): from the table where both ends lie in it,
// else panel by panel (c is smooth in ln rho on the gas branch).
double PengRobinsonGas::riemannIncrement(double from, double to) const {
  const double y0 = std::log(from), y1 = std::log(to);
  const double tabulated = tabulatedRiemannVariable(y1) - tabulatedRiemannVariable(y0);
  if (std::isfinite(tabulated)) return tabulated;
  return integrateSoundSpeed(y0, y1);
}

double PengRobinsonGas::integrateSoundSpeed(double y0, double y1) const {
  const int panels = std::max(1, static_cast<int>(std::ceil(std::fabs(y1 - y0) / kPanelWidth)));
  const double width = (y1 - y0) / panels;
  double sum = 0.0;
  for (int panel = 0; panel < panels; ++panel) {
    const double centre = y0 + (panel + 0.5) * width;
    double panelSum = 0.0;
    for (int k = 0; k < 4; ++k) {
      const double offset = 0.5 * width * kNodes[k];
      panelSum += kWeights[k] * (soundSpeed(std::exp(centre - offset)) + soundSpeed(std::exp(centre + offset)));
    }
    sum += 0.5 * width * panelSum;
  }
  return sum;
}

// Newton's method in ln(rho): the increment grows with slope c > 0.
double PengRobinsonGas::riemannInverse(double from, double increment) const {
  constexpr int kMaxIterations = 60;
  double y = std::log(from) + increment / soundSpeed(from);
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    const double density = std::exp(y);
    const double c = soundSpeed(density);
    const double step = (riemannIncrement(from, density) - increment) / c;
    y -= step;
    if (std::fabs(step) <= kRiemannInverseTolerance * std::fmax(1.0, std::fabs(y))) return std::exp(y);
  }
  throw std::runtime_error("the real-gas Riemann invariant could not be inverted");
}

// c^2/2 + potential rises with the density on the gas branch; the ideal-gas
// estimate starts the search.
double PengRobinsonGas::sonicThroatDensity(double head) const {
  const double a2 = idealSoundSpeedSquared();
  const double logCovolumeDensity = std::log(molarMass_ / b_);
  const auto excess = [&](double y) {
    if (y >= logCovolumeDensity) return std::numeric_limits<double>::max();
    const double density = std::exp(y);
    return 0.5 * soundSpeedSquared(density) + isothermalPotential(density) - head;
  };
  const double start = std::fmin(head / a2 - 1.5 + std::log(molarMass_), logCovolumeDensity - 1.0);
  const double step = excess(start) > 0.0 ? -0.25 : 0.25;
  return std::exp(rootBeyond(excess, start, step, kDensityTolerance));
}

void PengRobinsonGas::pressureAndSoundSpeed(const double* density, double* pressure, double* soundSpeed,
                                            std::size_t n) const {
  // molarPressure and molarPressureSlope with their denominators shared.
  const double inverseMolarMass = 1.0 / molarMass_;
  for (std::size_t i = 0; i < n; ++i) {
    const double molar = density[i] * inverseMolarMass;
    const double repulsive = 1.0 / (1.0 - b_ * molar);
    const double attractive = 1.0 / (1.0 + 2.0 * b_ * molar - b_ * b_ * molar * molar);
    pressure[i] = rt_ * molar * repulsive - a_ * molar * molar * attractive;
    soundSpeed[i] = std::sqrt((rt_ * repulsive * repulsive -
                               2.0 * a_ * molar * (1.0 + b_ * molar) * attractive * attractive) * inverseMolarMass);
  }
}

}  // namespace vorl::reference
