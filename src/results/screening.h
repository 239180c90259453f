#pragma once

namespace vorl {

class VORL;

// The screening of a natural-gas line by its potential impact radius, the
// distance US operators take to find the places a rupture could harm
// (49 CFR 192.903): r = 0.69 d sqrt(p) ft, d the outside diameter in inches
// and p the maximum allowable operating pressure in psig; here the bore and
// the upstream pressure. Its constant holds the heat of combustion and the
// release of natural gas, so it applies only to a natural gas.

// Whether the model's gas is a natural gas (isNaturalGas of its composition;
// a material is a composition of one; an ideal gas of a molar mass is none).
bool isNaturalGas(const VORL& model);

// The formula's inputs in its own units, and its radius in metres.
struct ImpactRadius {
  double diameterInches;
  double gaugePsi;  // above one standard atmosphere, not below 0
  double radius;    // m
};
ImpactRadius potentialImpactRadius(const VORL& model);

}  // namespace vorl
