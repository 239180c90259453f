#pragma once

namespace vorl {

// Settings of the expansion of the released jet from its exit state to
// ambient pressure (the post-flash state). One per model.
class ATMOSEXPANSION {
 public:
  enum Method : int { kConservation = 0, kIsentropic = 1, kMomentumIsothermal = 2 };

  void ExpMethodSet(int method) noexcept { method_ = method; }
  void InitialPhaseFlagSet(int flag) noexcept { phaseFlag_ = flag; }
  void WeberNumSet(double weber) noexcept { weberNumber_ = weber; }
  void MaxVelocitySet(double velocity) noexcept { maxVelocity_ = velocity; }
  void MinDropSizeSet(double size) noexcept { minDropSize_ = size; }
  void MaxDropSizeSet(double size) noexcept { maxDropSize_ = size; }
  void HoleDiameterSet(double pipeDiameter, double aperture) noexcept {
    pipeDiameter_ = pipeDiameter;
    aperture_ = aperture;
  }
  // Molar mass of the gas (kg/kmol), told by the model at construction so that
  // a gas without a material number can expand too.
  void MolarMassSet(double molarMass) noexcept { molarMass_ = molarMass; }

  int method() const noexcept { return method_; }
  int phaseFlag() const noexcept { return phaseFlag_; }
  double weberNumber() const noexcept { return weberNumber_; }
  double GetMaximumVelocity() const noexcept { return maxVelocity_; }
  double minDropSize() const noexcept { return minDropSize_; }
  double maxDropSize() const noexcept { return maxDropSize_; }
  double pipeDiameter() const noexcept { return pipeDiameter_; }
  double aperture() const noexcept { return aperture_; }
  double molarMass() const noexcept { return molarMass_; }

 private:
  int method_ = kConservation;
  int phaseFlag_ = 1;             // vapour at the exit
  double weberNumber_ = 12.5;     // critical Weber number of drop break-up
  double maxVelocity_ = 1000.0;   // m/s, above it a query warns
  double minDropSize_ = 1e-6;     // m
  double maxDropSize_ = 0.01;     // m
  double pipeDiameter_ = 0.154;   // m
  double aperture_ = 1.0;         // orifice area / bore area
  double molarMass_ = 0.0;        // kg/kmol
};

}  // namespace vorl
