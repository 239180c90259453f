#pragma once

#include "model/ideal_gas.h"

namespace vorl {

// The gas at one end of a branch: pressure, temperature, specific volume and
// mass flux density (positive toward the breach; 1e128 when undefined).
struct GS {
  const IIG* gas = nullptr;  // the model's gas, not owned
  double p = 0.0;            // Pa
  double T = 0.0;            // K, from the gas
  double v = 0.0;            // m3/kg, a2 / p
  double G = 0.0;            // kg/(m2 s) of bore area

  GS() = default;
  GS(const IIG* gas, double p, double G);  // raises 13 "IIGv_p" when p is 0

  double a2() const noexcept { return gas->a2(); }

  // Copies p, T, v and G; the record keeps its own gas.
  void copyValues(const GS& other) noexcept;
  void setPressure(double pressure);
  void setFlux(double flux) noexcept { G = flux; }
  void setFluxAndPressure(double pressure, double flux);
  void reverse() noexcept { G = -G; }

  // A record on r1's gas with p and G weighted from r1 and r2.
  static GS weighted(const GS& r1, double w1, const GS& r2, double w2);
};

}  // namespace vorl
