// The reference solution of the C interface: its settings, its run with the
// host's progress callback, and its table.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "interface/export_frame.h"
#include "interface/table_exports.h"
#include "interface/text_copy.h"
#include "model/argument_checks.h"
#include "model/inputs.h"
#include "results/division_check.h"
#include "results/reference_table.h"
#include "run/model_choice.h"
#include "run/model_setup.h"
#include "run/reference_run.h"

using namespace vorl;

namespace {

constexpr const char* kSettingTag = "VorlReferenceSet";
constexpr const char* kTableTag = "VorlReferenceTable";
constexpr const char* kChoiceTag = "VorlModelChoice";

ModelChoice checkedChoice(int choice) {
  if (choice != 0 && choice != 1) refuseArgument(VORL_E_INVALID_MODEL_CHOICE, choice, kChoiceTag);
  return static_cast<ModelChoice>(choice);
}

// Each report time 0 or later, after the one before and no later than the
// longest end time (the run ends at the last); raises 404 naming the first
// that is not.
std::vector<double> checkedReportTimes(const double* times, int count) {
  if (count < 0) {
    throw VORLERROR(VORL_E_INVALID_REFERENCE_REPORT_TIME, kSettingTag,
                    "the count of report times " + std::to_string(count) + " is below 0");
  }
  if (count > 0 && times == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kSettingTag, "the report times are null");
  std::vector<double> checked(times, times + count);
  for (std::size_t i = 0; i < checked.size(); ++i) {
    checkArgument(VORL_E_INVALID_REFERENCE_REPORT_TIME, checked[i], kSettingTag);
    if ((i > 0 && !(checked[i] > checked[i - 1])) || checked[i] > kLongestReferenceEndTime) {
      refuseArgument(VORL_E_INVALID_REFERENCE_REPORT_TIME, checked[i], kSettingTag);
    }
  }
  return checked;
}

const ReferenceColumn& column(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= referenceColumnCount()) {
    throw VORLERROR(VORL_E_INDEX, kTableTag, "column " + std::to_string(index) + " is outside the " +
                                                 std::to_string(referenceColumnCount()) + " columns of the table");
  }
  return referenceColumnAt(static_cast<std::size_t>(index));
}

// The host's callback as the solver calls it: go on while it returns non-zero.
reference::ProgressCallback progressOf(VorlProgress progress, void* user) {
  if (progress == nullptr) return {};
  return [progress, user](double fraction) { return progress(fraction, user) != 0; };
}

}  // namespace

extern "C" {

VORL_API void VORL_CALL VorlReferenceRealGasSet(VorlHandle model, VorlBool realGas) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kReferenceRealGas, realGas != 0 ? 1.0 : 0.0); });
}

VORL_API void VORL_CALL VorlReferenceCriticalSet(VorlHandle model, double criticalTemperature,
                                                 double criticalPressure, double acentricFactor) {
  withModel(model, [&](VORL& m) {
    setCriticalConstants(m, criticalTemperature, criticalPressure, acentricFactor, "VorlReferenceCriticalSet");
  });
}

VORL_API void VORL_CALL VorlReferenceEndTimeSet(VorlHandle model, double endTime) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kReferenceEndTime, endTime); });
}

VORL_API double VORL_CALL VorlReferenceEndTime(VorlHandle model) {
  return withModel(model, 0.0, [](VORL& m) {
    checkModelInputs(m, kCheckedByReference, "VorlReferenceEndTime");
    return referenceEndTime(m);
  });
}

VORL_API void VORL_CALL VorlReferenceReportTimesSet(VorlHandle model, const double* times, int count) {
  withModel(model, [&](VORL& m) { m.referenceSettings().reportTimes = checkedReportTimes(times, count); });
}

VORL_API void VORL_CALL VorlReferenceRefinementSet(VorlHandle model, double refinement) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kReferenceRefinement, refinement); });
}

VORL_API int VORL_CALL VorlReferenceRun(VorlHandle model, VorlProgress progress, void* user) {
  return withModel(model, 0, [&](VORL& m) { return runModelReference(m, progressOf(progress, user)); });
}

VORL_API VorlBool VORL_CALL VorlReferenceRealGas(VorlHandle model) {
  return withModel(model, VorlBool{0}, [](VORL& m) { return toVorlBool(referenceRealGas(m).has_value()); });
}

VORL_API int VORL_CALL VorlReferenceTableColumnCount(void) {
  return guarded(0, [] { return static_cast<int>(referenceColumnCount()); });
}

VORL_API int VORL_CALL VorlReferenceTableColumnName(int index, char* buffer, int size) {
  return guarded(-1, [&] { return copyText(column(index).name, buffer, size); });
}

VORL_API int VORL_CALL VorlReferenceTableColumnUnit(int index, char* buffer, int size) {
  return guarded(-1, [&] { return copyText(column(index).unit, buffer, size); });
}

VORL_API int VORL_CALL VorlReferenceTableFill(VorlHandle model, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    const reference::ReferenceResult* result = m.referenceResult();
    if (result == nullptr) {
      throw VORLERROR(VORL_E_NO_RESULTS, kTableTag, "no reference result: the reference has not been run, "
                                                    "or its last run failed");
    }
    if (maxRows < 0) refuseArgument(VORL_E_INVALID_REFERENCE_ROWS, maxRows, kTableTag);
    if (values == nullptr) {
      if (maxRows == 0) return static_cast<int>(result->time.size());
      throw VORLERROR(VORL_E_MISSING_DATA, kTableTag, "the values pointer is null");
    }
    return fillReferenceTable(*result, values, maxRows);
  });
}

VORL_API void VORL_CALL VorlModelChoiceSet(VorlHandle model, int choice) {
  withModel(model, [&](VORL& m) { setInput(m, InputId::kModelChoice, choice); });
}

VORL_API int VORL_CALL VorlModelChoice(VorlHandle model) {
  return withModel(model, 0, [](VORL& m) { return static_cast<int>(m.modelChoice()); });
}

VORL_API int VORL_CALL VorlModelRun(VorlHandle model, VorlProgress progress, void* user) {
  // The fast model alone is checked for a too coarse division, as VorlRun checks it.
  return withModel(model, 0, [&](VORL& m) {
    if (m.modelChoice() == ModelChoice::kFast) return runCheckingDivision(m);
    return runChosenModel(m, progressOf(progress, user));
  });
}

VORL_API double VORL_CALL VorlSmallestHoleDiameter(int choice, double bore) {
  return guarded(0.0, [&] {
    const ModelChoice chosen = checkedChoice(choice);
    if (!(std::isfinite(bore) && bore > 0.0)) refuseArgument(VORL_E_INVALID_PIPE_DIAMETER, bore, kChoiceTag);
    return smallestHoleDiameter(chosen, bore);
  });
}

VORL_API int VORL_CALL VorlModelReportTimes(double end, double* times, int maxCount) {
  return guarded(0, [&] {
    if (!std::isfinite(end)) refuseArgument(VORL_E_INVALID_REFERENCE_END_TIME, end, kSettingTag);
    checkRowArguments(times, maxCount, kSettingTag);
    const std::vector<double> all = modelReportTimes(end);
    const int count = static_cast<int>(all.size());
    if (times != nullptr) std::copy(all.begin(), all.begin() + std::min(count, maxCount), times);
    return count;
  });
}

}  // extern "C"
