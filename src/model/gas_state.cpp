#include "model/gas_state.h"

namespace vorl {

GS::GS(const IIG* gasObject, double pressure, double flux)
    : gas(gasObject), p(pressure), T(gasObject->temperature()), v(gasObject->v_p(pressure)), G(flux) {}

void GS::copyValues(const GS& other) noexcept {
  p = other.p;
  T = other.T;
  v = other.v;
  G = other.G;
}

void GS::setPressure(double pressure) {
  v = gas->v_p(pressure);
  p = pressure;
}

void GS::setFluxAndPressure(double pressure, double flux) {
  G = flux;
  setPressure(pressure);
}

GS GS::weighted(const GS& r1, double w1, const GS& r2, double w2) {
  return GS(r1.gas, w1 * r1.p + w2 * r2.p, w1 * r1.G + w2 * r2.G);
}

}  // namespace vorl
