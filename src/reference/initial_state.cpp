#include "reference/initial_state.h"

#include <algorithm>
#include <cmath>

#include "reference/case_error.h"

namespace vorl::reference {
namespace {

// Longest Runge-Kutta step, m: the profile varies over tens of kilometres,
// so that the fourth-order steps err by far less than rounding in the cell
// masses (steps of 10 m took a 1,000 km line's run a third of its time).
constexpr double kLongestStep = 100.0;

// The density and the mass integrated so far along the line.
struct ProfilePoint {
  double density;
  double mass;
};

class SteadyEquation {
 public:
  SteadyEquation(const GasLaw& gas, double fanning, double bore, double massFlux)
      : gas_(gas), frictionPerLength_(2.0 * fanning / bore), massFlux_(massFlux) {}

  // (c^2 - G^2/rho^2) drho/dx = -(2 f / D) G^2 / rho, and dm/dx = rho.
  ProfilePoint slope(const ProfilePoint& point) const {
    const double rho = point.density;
    const double velocity = massFlux_ / rho;
    const double subsonic = gas_.soundSpeedSquared(rho) - velocity * velocity;
    if (!(rho > 0.0) || !(subsonic > 0.0))
      throw InvalidCase(CaseInput::kSteadyFlow,
                        "the intact line's steady flow chokes within the line: inflow too large");
    return ProfilePoint{-frictionPerLength_ * massFlux_ * velocity / subsonic, rho};
  }

  ProfilePoint step(const ProfilePoint& p, double h) const {
    const ProfilePoint k1 = slope(p);
    const ProfilePoint k2 = slope(ProfilePoint{p.density + 0.5 * h * k1.density, p.mass + 0.5 * h * k1.mass});
    const ProfilePoint k3 = slope(ProfilePoint{p.density + 0.5 * h * k2.density, p.mass + 0.5 * h * k2.mass});
    const ProfilePoint k4 = slope(ProfilePoint{p.density + h * k3.density, p.mass + h * k3.mass});
    return ProfilePoint{p.density + h / 6.0 * (k1.density + 2.0 * k2.density + 2.0 * k3.density + k4.density),
                        p.mass + h / 6.0 * (k1.mass + 2.0 * k2.mass + 2.0 * k3.mass + k4.mass)};
  }

 private:
  const GasLaw& gas_;
  double frictionPerLength_;
  double massFlux_;
};

}  // namespace

LineState steadyFlow(const GasLaw& gas, double fanning, double bore, double upstreamPressure, double massFlux,
                     const std::vector<double>& faces) {
  const SteadyEquation equation(gas, fanning, bore, massFlux);
  LineState flow;
  const std::size_t cells = faces.size() - 1;
  flow.cellMass.resize(cells);
  flow.cellMomentum.resize(cells);
  ProfilePoint point{gas.density(upstreamPressure), 0.0};
  for (std::size_t i = 0; i < cells; ++i) {
    const double width = faces[i + 1] - faces[i];
    const int steps = std::max(2, static_cast<int>(std::ceil(width / kLongestStep)));
    // Each cell's mass integral starts from zero, so that no rounding of the
    // running total enters the cell masses.
    point.mass = 0.0;
    for (int s = 0; s < steps; ++s) point = equation.step(point, width / steps);
    flow.cellMass[i] = point.mass;
    flow.cellMomentum[i] = massFlux * width;
  }
  flow.downstreamPressure = gas.pressure(point.density);
  return flow;
}

LineState profileState(const GasLaw& gas, const InitialProfile& profile, const std::vector<double>& faces) {
  // Four-point Gauss-Legendre rule on [-1, 1].
  constexpr double kNodes[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
  constexpr double kWeights[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
  if (!profile.pressure || !profile.velocity)
    throw InvalidCase(CaseInput::kInitialProfile, "the initial profile needs a pressure and a velocity");
  const auto densityAt = [&](double x) {
    const double p = profile.pressure(x);
    if (!(p > 0.0) || !std::isfinite(p))
      throw InvalidCase(CaseInput::kInitialProfile, "the initial profile's pressure must be positive");
    return gas.density(p);
  };
  LineState state;
  const std::size_t cells = faces.size() - 1;
  state.cellMass.resize(cells);
  state.cellMomentum.resize(cells);
  for (std::size_t i = 0; i < cells; ++i) {
    const double centre = 0.5 * (faces[i] + faces[i + 1]), half = 0.5 * (faces[i + 1] - faces[i]);
    double mass = 0.0, momentum = 0.0;
    for (int k = 0; k < 4; ++k) {
      const double x = centre + half * kNodes[k];
      const double rho = densityAt(x), u = profile.velocity(x);
      if (!std::isfinite(u))
        throw InvalidCase(CaseInput::kInitialProfile, "the initial profile's velocity must be finite");
      mass += kWeights[k] * rho;
      momentum += kWeights[k] * rho * u;
    }
    state.cellMass[i] = half * mass;
    state.cellMomentum[i] = half * momentum;
  }
  state.downstreamPressure = gas.pressure(densityAt(faces.back()));
  return state;
}

}  // namespace vorl::reference
