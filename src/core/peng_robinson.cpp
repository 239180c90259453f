#include "core/peng_robinson.h"

#include <cmath>

namespace vorl::pengrobinson {

Parameters pureParameters(double gasConstant, double temperature, double criticalTemperature,
                          double criticalPressure, double acentricFactor) noexcept {
  const double rtc = gasConstant * criticalTemperature;
  const double kappa = 0.37464 + 1.54226 * acentricFactor - 0.26992 * acentricFactor * acentricFactor;
  const double alphaRoot = 1.0 + kappa * (1.0 - std::sqrt(temperature / criticalTemperature));
  return {0.45724 * rtc * rtc / criticalPressure * alphaRoot * alphaRoot, 0.07780 * rtc / criticalPressure};
}

double attractionShare(std::size_t i, const double* fractions, const Parameters* pure, const double* interaction,
                       std::size_t n) noexcept {
  double share = 0.0;
  for (std::size_t j = 0; j < n; ++j) {
    const double cross = i == j ? pure[i].a : std::sqrt(pure[i].a * pure[j].a) * (1.0 - interaction[i * n + j]);
    share += fractions[j] * cross;
  }
  return share;
}

Parameters mixtureParameters(const double* fractions, const Parameters* pure, const double* interaction,
                             std::size_t n) noexcept {
  Parameters mixture;
  for (std::size_t i = 0; i < n; ++i) {
    mixture.a += fractions[i] * attractionShare(i, fractions, pure, interaction, n);
    mixture.b += fractions[i] * pure[i].b;
  }
  return mixture;
}

}  // namespace vorl::pengrobinson
