#include "reference/banded_matrix.h"

#include <algorithm>
#include <cmath>

namespace vorl::reference {

void BandedMatrix::resize(std::size_t rows) {
  rows_ = rows;
  band_.assign(rows * kWidth, 0.0);
  splitBefore({});
}

void BandedMatrix::splitBefore(const std::vector<std::size_t>& firstRows) {
  blocks_.clear();
  std::size_t first = 0;
  for (std::size_t row : firstRows) {
    if (row <= first || row >= rows_) continue;
    blocks_.push_back({first, row});
    first = row;
  }
  blocks_.push_back({first, rows_});
  longestBlock_ = 0;
  for (const Block& b : blocks_) longestBlock_ = std::max(longestBlock_, b.end - b.first);
}

// Each row's band holds columns row - kBandwidth to row + kBandwidth; the
// factors overwrite it: L's multipliers left of the diagonal, the pivot's
// reciprocal on it, and U's row divided by the pivot right of it (so that
// the back substitution's chain from row to row is one multiply-add).
bool BandedMatrix::factor() {
  constexpr std::size_t p = kBandwidth;
  for (std::size_t step = 0; step < longestBlock_; ++step) {
    for (const Block& block : blocks_) {
      const std::size_t k = block.first + step;
      if (k >= block.end) continue;
      double* pivotRow = &band_[k * kWidth];
      const double pivot = pivotRow[p];
      if (!(std::isfinite(pivot) && pivot != 0.0)) return false;
      const double reciprocal = 1.0 / pivot;
      pivotRow[p] = reciprocal;
      const std::size_t reach = std::min(block.end - 1 - k, p);
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
  }
  return true;
}

// Each unknown waits for the one solved just before it: the sums take the
// farthest neighbours first and that one last, so that a row costs one
// multiply-add of latency rather than a chain of kBandwidth.
void BandedMatrix::solve(std::vector<double>& x) const {
  constexpr std::size_t p = kBandwidth;
  double* v = x.data();
  for (std::size_t step = 1; step < longestBlock_; ++step) {
    for (const Block& block : blocks_) {
      const std::size_t i = block.first + step;
      if (i >= block.end) continue;
      const double* row = &band_[i * kWidth];
      double sum = v[i];
      for (std::size_t j = std::min(step, p); j >= 1; --j) sum -= row[p - j] * v[i - j];
      v[i] = sum;
    }
  }
  for (std::size_t step = 0; step < longestBlock_; ++step) {
    for (const Block& block : blocks_) {
      if (step >= block.end - block.first) continue;
      const std::size_t i = block.end - 1 - step;
      const double* row = &band_[i * kWidth];
      double sum = v[i] * row[p];
      for (std::size_t j = std::min(step, p); j >= 1; --j) sum -= row[p + j] * v[i + j];
      v[i] = sum;
    }
  }
}

}  // namespace vorl::reference
