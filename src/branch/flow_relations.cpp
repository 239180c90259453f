#include "branch/flow_relations.h"

#include <cmath>

#include "interface/vorl_error.h"
#include "model/constants.h"

namespace vorl {

double GFq(const GS& record, double b1, double b2) {
  const double product = b1 * b2;
  if (!(product >= 0.0)) throw VORLERROR(14, "GFq", "friction scale beta L is negative or not a number");
  return std::sqrt(product) * record.a2() * record.G;
}

double GBpu(double p, double q, double s) {
  const double squared = p * p - 2.0 * q * q * s;
  if (!(squared >= 0.0)) {
    throw VORLERROR(205, "GBpu", "the friction loss of the steady flow exceeds the available pressure " +
                                     numberText(p) + " Pa");
  }
  return std::sqrt(squared);
}

double orificeVelocity(const GS& record, double ar) noexcept {
  if (isInfinite(record.G)) return kInfinite;
  if (ar == 0.0) return 0.0;
  return record.G * record.v / ar;
}

double orificeFluxDensity(const GS& record, double ar) noexcept {
  if (ar == 0.0) return 0.0;
  return record.G / ar;
}

double orificeMachNumber(const GS& record, double ar) noexcept {
  const double velocity = orificeVelocity(record, ar);
  if (isInfinite(velocity)) return kInfinite;
  return velocity / std::sqrt(record.a2());
}

bool isChoked(const GS& record, double ar) noexcept { return orificeMachNumber(record, ar) > 1.0; }

}  // namespace vorl
