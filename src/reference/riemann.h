#pragma once

#include <cstddef>
#include <vector>

namespace vorl::reference {

// Cell averages as density, velocity, pressure and sound speed.
struct CellPrimitives {
  std::vector<double> density, velocity, pressure, soundSpeed;
  void resize(std::size_t cells);
};

// The two states met at each face: the reconstruction from the cell on the
// left and from the cell on the right.
struct FaceStates {
  std::vector<double> leftDensity, leftVelocity, leftPressure, leftSoundSpeed;
  std::vector<double> rightDensity, rightVelocity, rightPressure, rightSoundSpeed;
  void resize(std::size_t faces);
};

// The flux through each face (mass kg/(m2 s), momentum Pa) as seen by the
// cell on its left and by the cell on its right: the same at an interior
// face, different at a face that is a boundary for both (a breach, a shut
// valve).
struct FaceFluxes {
  std::vector<double> massSeenByLeft, momentumSeenByLeft, massSeenByRight, momentumSeenByRight;
  void resize(std::size_t faces);
};

// MUSCL reconstruction of density and velocity on the non-uniform grid: per
// cell a van Leer limited increment from its centre to its faces, from the
// gradients towards both neighbours, never past a neighbour's value. A
// neighbour is the next cell across an open face (open[f] != 0), and across a
// boundary face the state the boundary holds there, which the caller puts in
// the face's slot on the cell's side beforehand (rightDensity/rightVelocity
// of the cell's left face, leftDensity/leftVelocity of its right face).
// Overwrites every slot with the reconstructed values; pressures and sound
// speeds are the caller's (the gas law's).
void reconstructFaces(const std::vector<double>& faces, const CellPrimitives& cells,
                      const std::vector<unsigned char>& open, FaceStates& states);

// HLL fluxes at the open faces, with Einfeldt's wave-speed bounds (the
// extreme of each side's and the Roe-averaged characteristic speeds, the
// sound speed averaged with the same square-root-of-density weights), which
// keep the density positive in strong rarefactions.
void hllFluxes(const FaceStates& states, const std::vector<unsigned char>& open, FaceFluxes& fluxes);

}  // namespace vorl::reference
