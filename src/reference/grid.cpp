#include "reference/grid.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "reference/limiter.h"

namespace vorl::reference {
namespace {

// Regridding reaches this many times the distance where the target's uniform
// breach cells end.
constexpr double kRegridReach = 2.0;

}  // namespace

double CellSizeTarget::at(double distance) const noexcept {
  return std::clamp(grading * distance, breachCell, largestCell);
}

// Piecewise: uniform breach cells up to d1 = breachCell / grading, then
// geometric growth (the integral of dx / (grading x) is a logarithm) up to
// d2 = largestCell / grading, then uniform largest cells.
double CellSizeTarget::spacingIntegral(double d) const noexcept {
  const double d1 = breachCell / grading, d2 = largestCell / grading;
  if (d <= d1) return d / breachCell;
  if (d <= d2) return (1.0 + std::log(d / d1)) / grading;
  return (1.0 + std::log(d2 / d1)) / grading + (d - d2) / largestCell;
}

double CellSizeTarget::distanceAtSpacing(double s) const noexcept {
  const double d1 = breachCell / grading, d2 = largestCell / grading;
  const double s1 = 1.0 / grading, s2 = (1.0 + std::log(d2 / d1)) / grading;
  if (s <= s1) return s * breachCell;
  if (s <= s2) return d1 * std::exp(s * grading - 1.0);
  return d2 + (s - s2) * largestCell;
}

Grid::Grid(double length, double breach, const std::vector<PinnedFace>& pinned, const CellSizeTarget& target)
    : breach_(breach) {
  if (pinned.size() < 2 || !(target.breachCell > 0.0) || !(target.grading > 0.0) ||
      !(target.largestCell >= target.breachCell))
    throw std::invalid_argument("grid: needs both line ends pinned and a positive target");
  std::vector<PinnedFace> sorted = pinned;
  std::sort(sorted.begin(), sorted.end(),
            [](const PinnedFace& a, const PinnedFace& b) { return a.position < b.position; });
  if (sorted.front().position != 0.0 || sorted.back().position != length)
    throw std::invalid_argument("grid: the pinned faces must start at 0 and end at the line length");
  faces_.push_back(sorted.front().position);
  tags_.push_back(sorted.front().tag);
  for (std::size_t zone = 0; zone + 1 < sorted.size(); ++zone) {
    const double x0 = sorted[zone].position, x1 = sorted[zone + 1].position;
    if (!(x1 > x0)) throw std::invalid_argument("grid: pinned faces must be distinct");
    // Spacing in the distance from the breach; a zone lies on one side of it.
    const double d0 = std::fabs(x0 - breach), d1 = std::fabs(x1 - breach);
    const double s0 = target.spacingIntegral(d0), s1 = target.spacingIntegral(d1);
    const auto cells = static_cast<std::size_t>(std::max(1.0, std::ceil(std::fabs(s1 - s0) * (1.0 - 1e-12))));
    for (std::size_t k = 1; k < cells; ++k) {
      const double d = target.distanceAtSpacing(s0 + (s1 - s0) * static_cast<double>(k) / static_cast<double>(cells));
      faces_.push_back(x0 < breach ? breach - d : breach + d);
      tags_.push_back(0);
    }
    faces_.push_back(x1);
    tags_.push_back(sorted[zone + 1].tag);
  }
  mass.assign(faces_.size() - 1, 0.0);
  momentum.assign(faces_.size() - 1, 0.0);
}

double Grid::smallestWidth() const noexcept {
  double smallest = width(0);
  for (std::size_t i = 1; i < cellCount(); ++i) smallest = std::fmin(smallest, width(i));
  return smallest;
}

void Grid::regrid(const CellSizeTarget& target) {
  std::vector<double> faces{faces_.front()}, mass, momentum;
  std::vector<int> tags{tags_.front()};
  std::size_t zoneStart = 0;
  for (std::size_t f = 1; f < faces_.size(); ++f) {
    if (tags_[f] == 0) continue;
    regridZone(zoneStart, f, target, faces, tags, mass, momentum);
    zoneStart = f;
  }
  faces_ = std::move(faces);
  tags_ = std::move(tags);
  this->mass = std::move(mass);
  this->momentum = std::move(momentum);
}

void Grid::regridZone(std::size_t first, std::size_t last, const CellSizeTarget& target,
                      std::vector<double>& faces, std::vector<int>& tags, std::vector<double>& mass,
                      std::vector<double>& momentum) const {
  const double reach = kRegridReach * target.breachCell / target.grading;
  const bool breachOnRight = faces_[last] <= breach_;
  const std::size_t nearEnd = breachOnRight ? last : first;
  const double nearDistance = std::fabs(faces_[nearEnd] - breach_);
  // The old face that closes the regridded part: the first at or past the reach.
  std::size_t closing = nearEnd;
  if (nearDistance < reach) {
    while (closing != (breachOnRight ? first : last) && std::fabs(faces_[closing] - breach_) < reach)
      closing = breachOnRight ? closing - 1 : closing + 1;
  }
  const std::size_t regridFrom = std::min(nearEnd, closing), regridTo = std::max(nearEnd, closing);
  const auto copyCells = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      faces.push_back(faces_[i + 1]);
      tags.push_back(tags_[i + 1]);
      mass.push_back(this->mass[i]);
      momentum.push_back(this->momentum[i]);
    }
  };
  copyCells(first, regridFrom);
  if (regridTo > regridFrom) {
    // Target-sized cells in the distance from the breach, as the grid was laid out.
    const double d0 = std::fabs(faces_[regridFrom] - breach_), d1 = std::fabs(faces_[regridTo] - breach_);
    const double s0 = target.spacingIntegral(d0), s1 = target.spacingIntegral(d1);
    const auto cells = static_cast<std::size_t>(std::max(1.0, std::ceil(std::fabs(s1 - s0) * (1.0 - 1e-12))));
    std::vector<double> newFaces{faces_[regridFrom]};
    for (std::size_t k = 1; k < cells; ++k) {
      const double d = target.distanceAtSpacing(s0 + (s1 - s0) * static_cast<double>(k) / static_cast<double>(cells));
      newFaces.push_back(breachOnRight ? breach_ - d : breach_ + d);
    }
    newFaces.push_back(faces_[regridTo]);
    remap(regridFrom, regridTo, newFaces, mass, momentum);
    for (std::size_t k = 1; k < newFaces.size(); ++k) {
      faces.push_back(newFaces[k]);
      tags.push_back(k + 1 == newFaces.size() ? tags_[regridTo] : 0);
    }
  }
  copyCells(regridTo, last);
}

void Grid::remap(std::size_t first, std::size_t last, const std::vector<double>& newFaces, std::vector<double>& mass,
                 std::vector<double>& momentum) const {
  // Gradients of the densities of mass and momentum per old cell, flat beside
  // a pinned face (the end of a zone, where the neighbour is not comparable).
  const std::size_t oldCells = last - first;
  std::vector<double> massGradient(oldCells, 0.0), momentumGradient(oldCells, 0.0);
  for (std::size_t i = first; i < last; ++i) {
    if (tags_[i] != 0 || tags_[i + 1] != 0) continue;
    const double toLeft = centre(i) - centre(i - 1), toRight = centre(i + 1) - centre(i);
    const auto gradient = [&](const std::vector<double>& integral) {
      const double value = integral[i] / width(i);
      return vanLeerMean((value - integral[i - 1] / width(i - 1)) / toLeft,
                         (integral[i + 1] / width(i + 1) - value) / toRight);
    };
    massGradient[i - first] = gradient(this->mass);
    momentumGradient[i - first] = gradient(this->momentum);
  }
  std::size_t old = first;
  for (std::size_t k = 0; k + 1 < newFaces.size(); ++k) {
    double cellMass = 0.0, cellMomentum = 0.0;
    double x = newFaces[k];
    const double end = newFaces[k + 1];
    while (x < end) {
      while (faces_[old + 1] <= x) ++old;
      const double to = std::min(end, faces_[old + 1]);
      const double offset = 0.5 * (x + to) - centre(old);
      cellMass += (to - x) * (this->mass[old] / width(old) + massGradient[old - first] * offset);
      cellMomentum += (to - x) * (this->momentum[old] / width(old) + momentumGradient[old - first] * offset);
      x = to;
    }
    mass.push_back(cellMass);
    momentum.push_back(cellMomentum);
  }
}

}  // namespace vorl::reference
