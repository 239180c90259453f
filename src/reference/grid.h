#pragma once

#include <cstddef>
#include <vector>

namespace vorl::reference {

// The cell size wanted at a distance d from the breach: the breach cell size
// near it, growing as `grading` times d farther out, never above the largest
// cell. Widths of neighbouring cells so differ by about the grading.
struct CellSizeTarget {
  double breachCell = 1.0;   // m
  double grading = 0.05;
  double largestCell = 1.0;  // m, at least breachCell

  double at(double distance) const noexcept;
  // The number of target-sized cells between the breach and a distance,
  // integral of dx / at(x) from 0 to d, and its inverse.
  double spacingIntegral(double distance) const noexcept;
  double distanceAtSpacing(double spacing) const noexcept;
};

// A face that cell merging must keep: a line end, the breach, a valve. The
// tag tells the solver which it is; 0 marks a free face.
struct PinnedFace {
  double position = 0.0;  // m from the upstream end
  int tag = 0;
};

// Finite volumes over [0, length]: the face positions, and per cell the
// integrals over the cell of the density and of the mass flux per unit area
// (kg/m2 and kg/(m s)), the conserved quantities of the finite volumes.
class Grid {
 public:
  // Cells sized by the target around the breach between consecutive pinned
  // faces, which must include both line ends and lie in [0, length].
  Grid(double length, double breach, const std::vector<PinnedFace>& pinned, const CellSizeTarget& target);

  std::size_t cellCount() const noexcept { return mass.size(); }
  const std::vector<double>& faces() const noexcept { return faces_; }
  int faceTag(std::size_t face) const noexcept { return tags_[face]; }
  double width(std::size_t cell) const noexcept { return faces_[cell + 1] - faces_[cell]; }
  double centre(std::size_t cell) const noexcept { return 0.5 * (faces_[cell] + faces_[cell + 1]); }
  double smallestWidth() const noexcept;

  // Lays the cells near the breach out again for a grown target: within
  // twice the distance where the target's uniform breach cells give way to
  // graded ones (beyond it the target has not changed), each zone between
  // pinned faces gets target-sized cells up to the first old face past that
  // distance. The gas is remapped conservatively: the new cells take the
  // integrals over them of a van Leer limited linear profile per old cell
  // (flat in a cell beside a pinned face), so that mass and momentum are
  // kept to rounding and the profile to second order where it is smooth.
  void regrid(const CellSizeTarget& target);

  std::vector<double> mass;      // kg/m2 per cell
  std::vector<double> momentum;  // kg/(m s) per cell

 private:
  // Appends to the new arrays the cells of the zone between the pinned faces
  // first and last, regridded near the breach.
  void regridZone(std::size_t first, std::size_t last, const CellSizeTarget& target, std::vector<double>& faces,
                  std::vector<int>& tags, std::vector<double>& mass, std::vector<double>& momentum) const;
  // Appends the integrals over the new cells between newFaces (ascending,
  // spanning old faces first to last) of the old cells' linear profiles.
  void remap(std::size_t first, std::size_t last, const std::vector<double>& newFaces, std::vector<double>& mass,
             std::vector<double>& momentum) const;

  double breach_;
  std::vector<double> faces_;
  std::vector<int> tags_;
};

}  // namespace vorl::reference
