#include "reference/gas_law.h"

#include "reference/ideal_gas_law.h"
#include "reference/peng_robinson_gas.h"

namespace vorl::reference {

std::unique_ptr<GasLaw> makeGasLaw(double molarMass, double temperature,
                                   const std::optional<CriticalConstants>& real) {
  if (real) return std::make_unique<PengRobinsonGas>(molarMass, temperature, *real);
  return std::make_unique<IdealGasLaw>(molarMass, temperature);
}

}  // namespace vorl::reference
