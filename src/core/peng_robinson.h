#pragma once

#include <cstddef>

namespace vorl::pengrobinson {

// The Peng-Robinson (1976) parameters of one pure fluid at a temperature, for
// a gas constant R (the same R must serve the pressures they give):
//   a(T) = 0.45724 (R Tc)^2 / pc * (1 + kappa (1 - sqrt(T / Tc)))^2,
//   kappa = 0.37464 + 1.54226 w - 0.26992 w^2,   b = 0.07780 R Tc / pc.
struct Parameters {
  double a = 0.0;  // Pa m6/kmol2
  double b = 0.0;  // m3/kmol
};

Parameters pureParameters(double gasConstant, double temperature, double criticalTemperature,
                          double criticalPressure, double acentricFactor) noexcept;

// The classical one-fluid (van der Waals) mixing rules:
//   a = sum_i sum_j x_i x_j sqrt(a_i a_j) (1 - k_ij),   b = sum_i x_i b_i,
// over n components with mole fractions x, their pure parameters and the
// interaction coefficients k (row-major n x n, symmetric). The diagonal
// takes a_i itself, so that one component of fraction 1 gives its own a
// and b exactly.
Parameters mixtureParameters(const double* fractions, const Parameters* pure, const double* interaction,
                             std::size_t n) noexcept;

// sum_j x_j sqrt(a_i a_j) (1 - k_ij): the part of a mixture's a due to
// component i, which its fugacity coefficient needs.
double attractionShare(std::size_t i, const double* fractions, const Parameters* pure, const double* interaction,
                       std::size_t n) noexcept;

}  // namespace vorl::pengrobinson
