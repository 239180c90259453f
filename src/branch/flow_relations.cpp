#include "branch/flow_relations.h"

#include <cmath>

#include "core/constants.h"
#include "core/vorl_error.h"

namespace vorl {

double GFq(const GS& record, double b1, double b2) {
  const double product = b1 * b2;
  if (!(product >= 0.0)) {
    throw VORLERROR(VORL_E_NEGATIVE_ROOT, "GFq", "friction scale beta L is negative or not a number");
  }
  return std::sqrt(product) * record.a2() * record.G;
}

double GBpu(double p, double q, double s) {
  const double squared = p * p - 2.0 * q * q * s;
  if (!(squared >= 0.0)) {
    throw VORLERROR(VORL_E_FRICTION_EXCEEDS_PRESSURE, "GBpu",
                    "the friction loss of the steady flow exceeds the available pressure " + numberText(p) + " Pa");
  }
  return std::sqrt(squared);
}

double interpolateInPSquared(double a, double b, double s) noexcept {
  return std::sqrt(a * a + (b * b - a * a) * s);
}

double interpolateLinear(double a, double b, double s) noexcept { return (b - a) * s + a; }

double bfdG(double G, double P, double pe, double lam, double beta, double a2) {
  if (!(G > 0.0)) {
    throw VORLERROR(VORL_E_NOT_POSITIVE, "bfdG",
                    "breach flux with inflow: inflow flux " + numberText(G) + " is not above 0");
  }
  const double g = G * a2;
  const double K = g * g * beta * lam;
  if (!(K > 0.0)) {
    throw VORLERROR(VORL_E_NOT_POSITIVE, "bfdG",
                    "breach flux with inflow: (G a2)^2 beta lam = " + numberText(K) + " is not above 0");
  }
  const double D = 6.0 * (P * P - pe * pe) / K - 3.0;
  if (!(D >= 0.0)) {
    throw VORLERROR(VORL_E_BREACH_FLUX_NO_ROOT, "bfdG",
                    "breach flux: 6 (P^2 - pe^2)/K - 3 = " + numberText(D) + " is negative");
  }
  // Ge = G + result is the positive root of Ge^2 + G Ge + G^2 = 3 (P^2 - pe^2) / (2 beta lam a2^2).
  return G * (std::sqrt(D) - 3.0) / 2.0;
}

double bfGe5(double P, double pe, double lam, double beta, double a2) {
  const double K = beta * lam;
  if (K == 0.0 || std::isnan(K)) {
    throw VORLERROR(VORL_E_NOT_POSITIVE, "bfGe5",
                    "breach flux without inflow: beta lam = " + numberText(K) + " is zero");
  }
  const double D = 1.5 * (P - pe) * (P + pe) / K;
  if (!(D >= 0.0)) {
    throw VORLERROR(VORL_E_NEGATIVE_ROOT, "bfGe5",
                    "breach flux without inflow: 1.5 (P^2 - pe^2)/(beta lam) = " + numberText(D) + " is negative");
  }
  return std::sqrt(D) / a2;
}

double branchQ(const GB& branch) { return GFq(branch.upstream, branch.beta, branch.length); }

double steadyPressureAt(const GB& branch, double x) {
  return GBpu(branch.upstream.p, branchQ(branch), x / branch.length);
}

double breachFlux(const GB& branch, double G, double P, double pe, double lam) {
  if (G > 0.0) return G + bfdG(G, P, pe, lam, branch.beta, branch.a2());
  return bfGe5(P, pe, lam, branch.beta, branch.a2());
}

double breachFluxWithoutInflow(const GB& branch, double P, double pe, double lam) {
  return bfGe5(P, pe, lam, branch.beta, branch.a2());
}

double closedBlowDownTimeScale(double beta, double length) noexcept {
  constexpr double kFactorSquared = kClosedBlowDownNumerator / kClosedBlowDownDenominator;
  return std::sqrt(kFactorSquared) * std::sqrt(beta * length) * length;
}

double acoshByLog(double z) noexcept { return std::log(z + std::sqrt(z * z - 1.0)); }

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
