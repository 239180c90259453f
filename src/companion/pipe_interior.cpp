#include "companion/pipe_interior.h"

#include <cmath>

namespace vorl {

double PIPEINTERIOR::Area() const noexcept {
  constexpr double kPi = 3.14159265358979323846;
  return kPi * diameter_ * diameter_ / 4.0;
}

// Ruptured high-pressure gas lines run at Reynolds numbers of 1e7 to 1e8, where
// the fully rough law (Nikuradse, von Karman form; Colebrook as Re -> infinity)
// is within 1-2 % of Colebrook:  1/sqrt(4 f) = 2 log10(3.7 D / eps).
// A bore or roughness outside the law's domain gives a value that is not a number.
double PIPEINTERIOR::Fanning() const noexcept {
  const double inverseRootDarcy = 2.0 * std::log10(3.7 * diameter_ / roughness_);
  return 1.0 / (4.0 * inverseRootDarcy * inverseRootDarcy);
}

}  // namespace vorl
