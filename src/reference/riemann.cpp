#include "reference/riemann.h"

#include <algorithm>
#include <cmath>

#include "reference/limiter.h"

namespace vorl::reference {
namespace {

// Van Leer's harmonic mean of the increments from the centre to the face
// that the gradients towards the two neighbours give, clipped so that a face
// value stays between the cell's average and each neighbour's value.
// The scales: half the cell's width over the distance from its centre to
// each neighbouring value (turning a difference into a half increment).
inline double limitedHalfIncrement(double previous, double value, double next, double toLeftScale,
                                   double toRightScale) noexcept {
  const double toLeft = value - previous, toRight = next - value;
  const double harmonic = vanLeerMean(toLeft * toLeftScale, toRight * toRightScale);
  const double bound = std::min(std::fabs(toLeft), std::fabs(toRight));
  return std::clamp(harmonic, -bound, bound);
}

}  // namespace

void CellPrimitives::resize(std::size_t cells) {
  density.resize(cells);
  velocity.resize(cells);
  pressure.resize(cells);
  soundSpeed.resize(cells);
}

void FaceStates::resize(std::size_t faces) {
  for (auto* v : {&leftDensity, &leftVelocity, &leftPressure, &leftSoundSpeed, &rightDensity, &rightVelocity,
                  &rightPressure, &rightSoundSpeed})
    v->assign(faces, 1.0);
}

void FaceFluxes::resize(std::size_t faces) {
  for (auto* v : {&massSeenByLeft, &momentumSeenByLeft, &massSeenByRight, &momentumSeenByRight}) v->assign(faces, 0.0);
}

void reconstructFaces(const std::vector<double>& faces, const CellPrimitives& cells,
                      const std::vector<unsigned char>& open, FaceStates& states) {
  const std::size_t n = cells.density.size();
  const double* rho = cells.density.data();
  const double* u = cells.velocity.data();
  for (std::size_t i = 0; i < n; ++i) {
    // Cell i is the right cell of face i and the left cell of face i + 1.
    const double halfWidth = 0.5 * (faces[i + 1] - faces[i]);
    double rhoLeft, uLeft, distanceLeft, rhoRight, uRight, distanceRight;
    if (open[i]) {
      rhoLeft = rho[i - 1];
      uLeft = u[i - 1];
      distanceLeft = 0.5 * (faces[i + 1] - faces[i - 1]);
    } else {
      rhoLeft = states.rightDensity[i];
      uLeft = states.rightVelocity[i];
      distanceLeft = halfWidth;
    }
    if (open[i + 1]) {
      rhoRight = rho[i + 1];
      uRight = u[i + 1];
      distanceRight = 0.5 * (faces[i + 2] - faces[i]);
    } else {
      rhoRight = states.leftDensity[i + 1];
      uRight = states.leftVelocity[i + 1];
      distanceRight = halfWidth;
    }
    const double toLeftScale = halfWidth / distanceLeft, toRightScale = halfWidth / distanceRight;
    const double dRho = limitedHalfIncrement(rhoLeft, rho[i], rhoRight, toLeftScale, toRightScale);
    const double dU = limitedHalfIncrement(uLeft, u[i], uRight, toLeftScale, toRightScale);
    states.rightDensity[i] = rho[i] - dRho;
    states.rightVelocity[i] = u[i] - dU;
    states.leftDensity[i + 1] = rho[i] + dRho;
    states.leftVelocity[i + 1] = u[i] + dU;
  }
}

void hllFluxes(const FaceStates& s, const std::vector<unsigned char>& open, FaceFluxes& fluxes) {
  const std::size_t faces = open.size();
  for (std::size_t f = 0; f < faces; ++f) {
    if (!open[f]) continue;
    const double rl = s.leftDensity[f], ul = s.leftVelocity[f], pl = s.leftPressure[f];
    const double rr = s.rightDensity[f], ur = s.rightVelocity[f], pr = s.rightPressure[f];
    const double cl = s.leftSoundSpeed[f], cr = s.rightSoundSpeed[f];
    const double rootL = std::sqrt(rl), rootR = std::sqrt(rr);
    const double weight = 1.0 / (rootL + rootR);
    const double uRoe = (rootL * ul + rootR * ur) * weight;
    const double cRoe = (rootL * cl + rootR * cr) * weight;
    const double slowest = std::min(ul - cl, uRoe - cRoe);
    const double fastest = std::max(ur + cr, uRoe + cRoe);
    const double ml = rl * ul, mr = rr * ur;
    const double fluxMassL = ml, fluxMomL = ml * ul + pl;
    const double fluxMassR = mr, fluxMomR = mr * ur + pr;
    double mass, momentum;
    if (slowest >= 0.0) {
      mass = fluxMassL;
      momentum = fluxMomL;
    } else if (fastest <= 0.0) {
      mass = fluxMassR;
      momentum = fluxMomR;
    } else {
      const double inverse = 1.0 / (fastest - slowest);
      const double product = slowest * fastest;
      mass = (fastest * fluxMassL - slowest * fluxMassR + product * (rr - rl)) * inverse;
      momentum = (fastest * fluxMomL - slowest * fluxMomR + product * (mr - ml)) * inverse;
    }
    fluxes.massSeenByLeft[f] = fluxes.massSeenByRight[f] = mass;
    fluxes.momentumSeenByLeft[f] = fluxes.momentumSeenByRight[f] = momentum;
  }
}

}  // namespace vorl::reference
