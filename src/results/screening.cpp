#include "results/screening.h"

#include <cmath>
#include <vector>

#include "companion/gas_mixture.h"
#include "companion/property_library.h"
#include "model/vorl.h"

namespace vorl {
namespace {

// The formula's units, and the atmosphere its gauge pressure counts from.
constexpr double kFoot = 0.3048;              // m
constexpr double kInch = 0.0254;              // m
constexpr double kPsi = 6894.757293168;       // Pa
constexpr double kStandardAtmosphere = 101325.0;  // Pa
constexpr double kRadiusFactor = 0.69;        // ft / (in psi^0.5)

}  // namespace

bool isNaturalGas(const VORL& model) {
  if (const GasMixture* mixture = model.mixture()) return isNaturalGas(mixture->components());
  const Material* material = findMaterial(model.gasId());
  return material != nullptr && isNaturalGas({MixtureComponent{material, 1.0}});
}

ImpactRadius potentialImpactRadius(const VORL& model) {
  ImpactRadius r{};
  r.diameterInches = model.pipeInterior().Diameter() / kInch;
  r.gaugePsi = std::fmax(model.pipeSet().upstreamPressure - kStandardAtmosphere, 0.0) / kPsi;
  r.radius = kRadiusFactor * r.diameterInches * std::sqrt(r.gaugePsi) * kFoot;
  return r;
}

}  // namespace vorl
