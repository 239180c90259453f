#include "reference/banded_matrix.h"

#include <algorithm>
#include <cmath>

namespace vorl::reference {

void BandedMatrix::resize(std::size_t rows) {
  rows_ = rows;
  band_.assign(rows * kWidth, 0.0);
}

// Each row's band holds columns row - kBandwidth to row + kBandwidth; the
// factors overwrite it: L's multipliers left of the diagonal, the pivot's
// reciprocal on it, and U's row divided by the pivot right of it (so that
// the back substitution's chain from row to row is one multiply-add).
bool BandedMatrix::factor() {
  constexpr std::size_t p = kBandwidth;
  for (std::size_t k = 0; k < rows_; ++k) {
    double* pivotRow = &band_[k * kWidth];
    const double pivot = pivotRow[p];
    if (!(std::isfinite(pivot) && pivot != 0.0)) return false;
    const double reciprocal = 1.0 / pivot;
    pivotRow[p] = reciprocal;
    const std::size_t reach = std::min(rows_ - 1 - k, p);
    for (std::size_t below = 1; below <= reach; ++below) {
      double* row = &band_[(k + below) * kWidth];
      // Column k in row k + below sits at p - below; column k + j at p - below + j.
      const double factor = row[p - below] * reciprocal;
      row[p - below] = factor;
      if (factor == 0.0) continue;
      for (std::size_t j = 1; j <= reach; ++j) row[p - below + j] -= factor * pivotRow[p + j];
    }
    for (std::size_t j = 1; j <= reach; ++j) pivotRow[p + j] *= reciprocal;
  }
  return true;
}

// Each unknown waits for the one solved just before it: the sums take the
// farthest neighbours first and that one last, so that a row costs one
// multiply-add of latency rather than a chain of kBandwidth.
void BandedMatrix::solve(std::vector<double>& x) const {
  constexpr std::size_t p = kBandwidth;
  double* v = x.data();
  for (std::size_t i = 1; i < rows_; ++i) {
    const double* row = &band_[i * kWidth];
    const std::size_t reach = std::min(i, p);
    double sum = v[i];
    for (std::size_t j = reach; j >= 1; --j) sum -= row[p - j] * v[i - j];
    v[i] = sum;
  }
  for (std::size_t i = rows_; i-- > 0;) {
    const double* row = &band_[i * kWidth];
    const std::size_t reach = std::min(rows_ - 1 - i, p);
    double sum = v[i] * row[p];
    for (std::size_t j = reach; j >= 1; --j) sum -= row[p + j] * v[i + j];
    v[i] = sum;
  }
}

}  // namespace vorl::reference
