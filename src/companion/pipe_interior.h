#pragma once

namespace vorl {

// The bore of the pipe: diameter and wall roughness, with the cross-section
// area and the Fanning friction factor that follow from them.
class PIPEINTERIOR {
 public:
  static constexpr double kDefaultRoughness = 4.5e-5;  // m, commercial steel

  explicit PIPEINTERIOR(double diameter) noexcept : diameter_(diameter) {}

  void DiameterSet(double diameter) noexcept { diameter_ = diameter; }
  void RoughnessSet(double roughness) noexcept { roughness_ = roughness; }

  double Diameter() const noexcept { return diameter_; }
  double Roughness() const noexcept { return roughness_; }
  double Area() const noexcept;     // m2
  double Fanning() const noexcept;  // dimensionless

 private:
  double diameter_;
  double roughness_ = kDefaultRoughness;
};

}  // namespace vorl
