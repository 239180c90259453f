#pragma once

#include <cstddef>
#include <vector>

namespace vorl::reference {

// A square matrix that is zero farther than kBandwidth from its diagonal,
// stored by rows: the finite-volume Jacobian, with the density and mass flux
// of each cell as two neighbouring unknowns and each cell coupled to the two
// cells on either side (four unknowns away and one more within its pair).
//
// Its rows may be split into diagonal blocks that no entry couples (the
// branches on either side of a breach or of a shut valve): the factorisation
// and the solves then run the blocks side by side, row k of every block in
// one pass, so that the processor overlaps their recurrences, each of which
// waits on its previous row.
class BandedMatrix {
 public:
  static constexpr std::size_t kBandwidth = 5;

  // Zero, one block.
  void resize(std::size_t rows);
  // The first row of each block after the first (ascending, within the
  // rows); the entries between blocks must be zero.
  void splitBefore(const std::vector<std::size_t>& firstRows);
  std::size_t rows() const noexcept { return rows_; }
  // The entry at (row, column), |row - column| <= kBandwidth.
  double& at(std::size_t row, std::size_t column) noexcept { return band_[row * kWidth + column + kBandwidth - row]; }
  double at(std::size_t row, std::size_t column) const noexcept {
    return band_[row * kWidth + column + kBandwidth - row];
  }

  // LU factorisation in place without pivoting, meant for the diagonally
  // weighted matrices I - gamma h J of linearly implicit steps; false when a
  // pivot is zero or not finite. The entries are then the factors'.
  bool factor();
  // Solves in place with the factors.
  void solve(std::vector<double>& rhs) const;

 private:
  struct Block {
    std::size_t first, end;  // rows [first, end)
  };
  static constexpr std::size_t kWidth = 2 * kBandwidth + 1;
  std::size_t rows_ = 0;
  std::size_t longestBlock_ = 0;
  std::vector<Block> blocks_;
  std::vector<double> band_;
};

}  // namespace vorl::reference
