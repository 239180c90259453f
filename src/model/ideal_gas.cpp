#include "model/ideal_gas.h"

#include <cmath>
#include <string>

#include "core/constants.h"
#include "core/vorl_error.h"

namespace vorl {

IG::IG(double molecularWeight)
    : molecularWeight_(molecularWeight), universalGasConstant_(kUniversalGasConstant), gasConstant_(0.0) {
  if (!(molecularWeight > 0.0)) {
    throw VORLERROR(VORL_E_NOT_POSITIVE, "IGCTOR",
                    "molecular weight " + numberText(molecularWeight) + " kg/kmol is not above 0");
  }
  gasConstant_ = kUniversalGasConstant / molecularWeight;
}

IIG::IIG(double molecularWeight, double temperature) : IG(molecularWeight), temperature_(temperature) {}

double IIG::v_p(double p) const {
  // A pressure that is not a number counts as 0: no volume can be given for it.
  if (p == 0.0 || std::isnan(p)) throw VORLERROR(VORL_E_NOT_POSITIVE, "IIGv_p", "specific volume asked at pressure 0");
  return a2() / p;
}

}  // namespace vorl
