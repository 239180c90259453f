#include "run/model_setup.h"

#include "branch/branch_setup.h"

namespace vorl {
namespace {

template <class Argument>
std::unique_ptr<VORL> newModelOf(Argument argument) {
  auto model = std::make_unique<VORL>(argument);
  // The inputs start at the input table's defaults: the table sets them
  // through the model's own setters, so the model cannot apply them itself.
  applyInputDefaults(*model);
  rebuildWholePipe(*model);
  return model;
}

void writeInput(VORL& model, const Input& row, double value) {
  if ((row.guard.uses & kCheckedWhenSet) != 0) checkInputValue(row, value, model, row.setter);
  row.write(model, value);
  if (row.shapesSteadyFlow) rebuildWholePipe(model);
}

}  // namespace

std::unique_ptr<VORL> newModel(int material) { return newModelOf(material); }

std::unique_ptr<VORL> newModel(VORL::SimpleGas gas) { return newModelOf(gas); }

std::unique_ptr<VORL> newModel(std::shared_ptr<const GasMixture> mixture) { return newModelOf(std::move(mixture)); }

void setInput(VORL& model, InputId id, double value) { writeInput(model, input(id), value); }

void addValve(VORL& model, double position, double closureTime) {
  model.pipeSet().valves.valves.emplace_back(position, closureTime);
}

void setOneCallInputs(VORL& model, const OneCallArrays& arrays) {
  for (std::size_t i = 0; i < inputCount(); ++i) {
    const Input& row = inputAt(i);
    if (row.oneCall.slot == VORL_SLOT_NONE) continue;
    if (row.id == InputId::kValvePosition) {
      for (int valve = 0; valve < *arrays.valveCount; ++valve) {
        addValve(model, arrays.valveFirst[valve], arrays.valveSecond[valve]);
      }
    } else if (!row.perValve) {
      writeInput(model, row, oneCallValue(row, arrays, 0));
    }
  }
}

}  // namespace vorl
