#include "model/branch_state.h"

#include <cmath>

namespace vorl {

GB& GB::operator=(const GB& other) {
  if (this == &other) return *this;
  const AMBIENT* keptAmbient = ambient;
  const IIG* keptUpstreamGas = upstream.gas;
  const IIG* keptExitGas = exit.gas;
  GBFields::operator=(other);
  ambient = keptAmbient;
  upstream.gas = keptUpstreamGas;
  exit.gas = keptExitGas;
  return *this;
}

double GB::soundSpeed() const noexcept { return std::sqrt(a2()); }

double GB::qSquared() const noexcept {
  const double g = a2() * upstream.G;
  return g * g * beta * length;
}

}  // namespace vorl
