#include "reference/banded_matrix.h"

#include <algorithm>
#include <cmath>

namespace vorl::reference {

void BandedMatrix::resize(std::size_t rows) {
  rows_ = rows;
  band_.assign(rows * kWidth, 0.0);
}

bool BandedMatrix::factor() {
  for (std::size_t k = 0; k < rows_; ++k) {
    const double pivot = at(k, k);
    if (!(std::isfinite(pivot) && pivot != 0.0)) return false;
    const std::size_t last = std::min(rows_ - 1, k + kBandwidth);
    for (std::size_t i = k + 1; i <= last; ++i) {
      const double factor = at(i, k) / pivot;
      at(i, k) = factor;
      if (factor == 0.0) continue;
      for (std::size_t j = k + 1; j <= last; ++j) at(i, j) -= factor * at(k, j);
    }
  }
  return true;
}

void BandedMatrix::solve(std::vector<double>& x) const {
  for (std::size_t i = 1; i < rows_; ++i) {
    const std::size_t first = i > kBandwidth ? i - kBandwidth : 0;
    double sum = x[i];
    for (std::size_t j = first; j < i; ++j) sum -= at(i, j) * x[j];
    x[i] = sum;
  }
  for (std::size_t i = rows_; i-- > 0;) {
    const std::size_t last = std::min(rows_ - 1, i + kBandwidth);
    double sum = x[i];
    for (std::size_t j = i + 1; j <= last; ++j) sum -= at(i, j) * x[j];
    x[i] = sum / at(i, i);
  }
}

}  // namespace vorl::reference
