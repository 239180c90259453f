#pragma once

#include <memory>

#include "companion/ambient.h"
#include "companion/gas_mixture.h"

namespace vorl {

class KIV;

// State of the released jet after it has expanded to ambient pressure. The
// first five fields are what the post-flash queries read.
struct ATMOSEXPDATA {
  double velocity = 0.0;        // m/s after the expansion
  double temperature = 0.0;     // K after the expansion: the saturation temperature at ambient pressure when two-phase
  bool twoPhase = false;        // the jet ends as vapour and liquid
  double liquidFraction = 0.0;  // mass fraction of liquid of a two-phase state, 0 otherwise
  double dropSize = 0.0;        // m, of a two-phase state, 0 otherwise
  // Further results; density and area ratio are 0 when nothing expanded (no
  // flow, undefined velocity).
  double density = 0.0;            // kg/m3 of the expanded jet, liquid and vapour together
  double areaRatio = 0.0;          // expanded jet area over exit area, from mass conservation
  double vapourTemperature = 0.0;  // K the jet would reach staying vapour (the temperature when single-phase)
};

// Settings of the expansion of the released jet from its exit state to
// ambient pressure (the post-flash state), and the calculation itself. One
// per model.
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
  // A gas given by its composition (of two or more components): the jet
  // takes the mixture's ideal-gas heat capacity and condenses below its dew
  // point at ambient pressure, with its liquid's averaged properties.
  void MixtureSet(std::shared_ptr<const GasMixture> mixture) noexcept { mixture_ = std::move(mixture); }
  const GasMixture* mixture() const noexcept { return mixture_.get(); }

  int method() const noexcept { return method_; }
  int phaseFlag() const noexcept { return phaseFlag_; }
  double weberNumber() const noexcept { return weberNumber_; }
  double GetMaximumVelocity() const noexcept { return maxVelocity_; }
  double minDropSize() const noexcept { return minDropSize_; }
  double maxDropSize() const noexcept { return maxDropSize_; }
  double pipeDiameter() const noexcept { return pipeDiameter_; }
  double aperture() const noexcept { return aperture_; }
  double molarMass() const noexcept { return molarMass_; }
  // Diameter of the orifice (m): its area is the aperture times the bore area.
  double orificeDiameter() const noexcept;

  // Expands a jet leaving the orifice at `pressure` (Pa), `temperature` (K)
  // and `velocity` (m/s) to the ambient pressure, by the method set:
  //   0 conservation of mass, momentum and energy across the expansion zone;
  //   1 isentropic expansion;
  //   2 momentum conserved with the jet held at the exit temperature.
  // The gas is a vapour at the exit (phase flag 1; every other flag value is
  // taken as 1, the only exit state an ideal-gas pipe flow can deliver). A
  // material of the property library that the expansion cools below its
  // saturation temperature at ambient pressure ends two-phase (methods 0 and
  // 1); a mixture (MixtureSet) condenses below its dew point at ambient
  // pressure; a gas without a material (number not in the library, or no property
  // object) is an ideal gas of the set molar mass with cp/cv 1.3 that never
  // condenses. Special exits: no flow (velocity not above 0, or not a number)
  // gives velocity 0 at the exit temperature; an undefined velocity (above
  // 9e127) gives velocity 1e128 at the exit temperature; neither has liquid.
  // Raises 5 "atmexCalc" when the gas has no molar mass, 13 "atmexCalc" for a
  // method other than 0, 1, 2 or an exit temperature not above 0.
  void atmexCalc(const AMBIENT& ambient, const KIV* properties, double pressure, double temperature,
                 double velocity, int material, ATMOSEXPDATA& result) const;

  // The saturation temperature at the ambient pressure is the dearest part of
  // an expansion (a root solve) and is the same for every exit state of a
  // model: it is kept between calls for the last material, property object and
  // ambient pressure. A model's expansions run on one thread at a time.
  double saturationTemperatureAt(const KIV* properties, int material, double pressure) const;

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
  std::shared_ptr<const GasMixture> mixture_;

  struct SaturationCache {
    bool valid = false;
    const KIV* properties = nullptr;
    int material = 0;
    double pressure = 0.0;
    double temperature = 0.0;
  };
  mutable SaturationCache saturationCache_;
};

}  // namespace vorl
