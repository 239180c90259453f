#pragma once

namespace vorl::reference {

// Van Leer's limiter: the harmonic mean of two one-sided differences (or
// gradients) of the same sign, zero at an extremum. It follows a smooth
// profile to second order and never exceeds twice the smaller difference.
inline double vanLeerMean(double left, double right) noexcept {
  const double product = left * right;
  return product > 0.0 ? 2.0 * product / (left + right) : 0.0;
}

}  // namespace vorl::reference
