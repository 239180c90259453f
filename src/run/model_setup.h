#pragma once

#include <memory>

#include "model/inputs.h"
#include "model/vorl.h"

namespace vorl {

// Setting a model up: a new model, and inputs written through the input
// table, the steady flow of the intact pipe rebuilt after each input of it.

// A new model for a material of the property library, or for an ideal gas of
// a molecular weight, with the table's defaults and its steady flow built.
std::unique_ptr<VORL> newModel(int material);
std::unique_ptr<VORL> newModel(VORL::SimpleGas gas);
std::unique_ptr<VORL> newModel(std::shared_ptr<const GasMixture> mixture);

// Writes an input (not a per-valve one) and rebuilds the steady flow when
// the input shapes it; raises what the writer or the rebuild raises.
void setInput(VORL& model, InputId id, double value);

// Adds a valve: the per-valve rows of the input table (its position and
// closure time), stored as given; the run's guard checks them against the
// rows' ranges, the one-call check against theirs.
void addValve(VORL& model, double position, double closureTime);

// Sets every input the one-call entry takes, from its arrays, in the order
// of the table: the valves where the valve inputs stand; inputs without a
// slot keep their values. Stops at the first failure. The arrays must hold
// what requireOneCallArrays asks for.
void setOneCallInputs(VORL& model, const OneCallArrays& arrays);

}  // namespace vorl
