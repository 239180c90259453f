#include "reference/banded_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace vorl::reference {
namespace {

constexpr std::size_t kBand = BandedMatrix::kBandwidth;

// A diagonally dominant banded matrix with no entry coupling two blocks
// (blocks starting at the given rows), entries varied from row to row.
BandedMatrix blockMatrix(std::size_t rows, const std::vector<std::size_t>& blockStarts) {
  const auto blockOf = [&](std::size_t row) {
    std::size_t block = 0;
    for (std::size_t start : blockStarts) block += row >= start ? 1 : 0;
    return block;
  };
  BandedMatrix m;
  m.resize(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    const std::size_t first = i >= kBand ? i - kBand : 0;
    for (std::size_t j = first; j < rows && j <= i + kBand; ++j) {
      if (blockOf(i) != blockOf(j)) continue;
      m.at(i, j) = i == j ? 12.0 + 0.1 * static_cast<double>(i % 7) : std::sin(static_cast<double>(3 * i + j));
    }
  }
  return m;
}

// The factors solve A x = b for a known x, however the rows are split into
// blocks: none, one split, splits shorter than the band, one at the last row.
TEST(BandedMatrix, SolvesForAKnownVectorWithAnySplitIntoBlocks) {
  const std::size_t rows = 40;
  const std::vector<std::vector<std::size_t>> splits = {{}, {14}, {3, 6, 30}, {39}, {20, 22}};
  for (const std::vector<std::size_t>& split : splits) {
    BandedMatrix m = blockMatrix(rows, split);
    std::vector<double> x(rows), b(rows, 0.0);
    for (std::size_t i = 0; i < rows; ++i) x[i] = 1.0 + 0.5 * std::cos(static_cast<double>(i));
    for (std::size_t i = 0; i < rows; ++i)
      for (std::size_t j = i >= kBand ? i - kBand : 0; j < rows && j <= i + kBand; ++j) b[i] += m.at(i, j) * x[j];
    m.splitBefore(split);
    ASSERT_TRUE(m.factor());
    m.solve(b);
    for (std::size_t i = 0; i < rows; ++i) EXPECT_NEAR(b[i], x[i], 1e-13) << split.size() << " splits, row " << i;
  }
}

}  // namespace
}  // namespace vorl::reference
