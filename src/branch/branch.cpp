#include "branch/branch.h"

#include <cmath>

#include "branch/flow_relations.h"
#include "interface/vorl_error.h"
#include "model/process_settings.h"

namespace vorl {

GB::GB(const AMBIENT* ambientValues, const IIG* gas, double betaValue, double pipeLength, double boreArea,
       double upstreamPressure, double inflowFluxDensity) {
  ambient = ambientValues;
  upstream = GS(gas, upstreamPressure, inflowFluxDensity);
  exit = GS(gas, upstreamPressure, inflowFluxDensity);
  branch = 3;
  time = 0.0;
  phase = -1;
  beta = betaValue;
  length = lengthInitial = pipeLength;
  fluxDensityInitial = inflowFluxDensity;
  pressureAtBreachInitial = upstreamPressure;
  area = boreArea;
  orificeAperture = 0.0;
  hasInflow = inflowFluxDensity > 0.0;

  // The far-end pressure of the steady flow. A flow the pipe cannot carry is
  // kept as a construction error: the model stays usable, and the first run
  // reports it.
  try {
    const double farEnd = GBpu(upstreamPressure, GFq(upstream, beta, pipeLength), 1.0);
    exit.setPressure(farEnd);
  } catch (const VORLERROR& error) {
    constructionError = error.eError();
  }

  if (chokeModelAllowed && isChoked(exit, 1.0)) {
    throw VORLERROR(207, "GBctor", "the steady inflow would be sonic at the far end of the pipe");
  }
  if (exit.p < pa()) {
    throw VORLERROR(206, "GBctor", "the steady flow reaches the far end below ambient pressure (" +
                                       numberText(exit.p) + " Pa < " + numberText(pa()) + " Pa)");
  }
  if (constructionError == 0) massPerUnitArea = massPerUnitAreaOfBranch();
}

GB& GB::operator=(const GB& other) {
  if (this == &other) return *this;
  const AMBIENT* keptAmbient = ambient;
  const IIG* keptUpstreamGas = upstream.gas;
  const IIG* keptExitGas = exit.gas;
  GBFields::operator=(other);
  ambient = keptAmbient;
  upstream.gas = keptUpstreamGas;
  exit.gas = keptExitGas;
  return *this;
}

double GB::q() const { return GFq(upstream, beta, length); }

double GB::massPerUnitAreaOfBranch() const {
  const double p0 = upstream.p;
  const double pe = exit.p;
  const double L = length;
  double pressureIntegral = 0.0;
  switch (phase) {
    case -1:  // steady flow: p^2 linear along the branch
      pressureIntegral = (2.0 / 3.0) * L * (p0 * p0 + p0 * pe + pe * pe) / (p0 + pe);
      break;
    default:
      pressureIntegral = 0.0;
      break;
  }
  return pressureIntegral / a2();
}

}  // namespace vorl
