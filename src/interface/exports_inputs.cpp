// The input table of the C interface: the one-call entry's check and set-up
// for hosts of the handle API, the table itself (names, units, defaults,
// ranges, codes, slots, case-file keys and their defaults) and its inputs set
// and read by index.
#include <string>

#include "interface/export_frame.h"
#include "interface/table_exports.h"
#include "interface/text_copy.h"
#include "model/argument_checks.h"
#include "model/case_rules.h"
#include "model/inputs.h"
#include "run/model_setup.h"

using namespace vorl;

namespace {

constexpr const char* kTag = "VorlInput";

// The row of an index; raises 4 for an index outside the table.
const Input& row(int index) {
  requireIndex(index, inputCount(), "input index", "inputs of the table", kTag);
  return inputAt(static_cast<std::size_t>(index));
}

// A per-valve input has no value of its own on the model.
const Input& singleValued(int index) {
  const Input& input = row(index);
  if (input.perValve) {
    throw VORLERROR(VORL_E_PER_VALVE, kTag, std::string(input.name) + " belongs to each valve: VorlValveAdd sets it");
  }
  return input;
}

template <class Field>
int copyField(int index, char* buffer, int size, Field field) {
  return guarded(-1, [&] { return copyText(field(row(index)), buffer, size); });
}

template <class Result, class Field>
Result readField(int index, Result nullResult, Field field) {
  return guarded(nullResult, [&] { return static_cast<Result>(field(row(index))); });
}

}  // namespace

extern "C" {

// The first failure is logged and its code returned; a failure of the check
// itself (out of memory while writing its message) is logged as code 1.
VORL_API int VORL_CALL VorlCheckInputs(const int* flags, const double* inputs, const double* valveFirst,
                                       const double* valveSecond, const int* timeDivision,
                                       const int* maxSteps, const int* valveCount) {
  return guarded(static_cast<int>(VORL_E_INTERNAL), [&] {
    try {
      checkOneCallInputs({flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount});
    } catch (const VORLERROR& error) {
      reportError(error);
      return error.eError();
    }
    return static_cast<int>(VORL_OK);
  });
}

VORL_API int VORL_CALL VorlCheckCase(const int* flags, const double* inputs, const double* valveFirst,
                                     const double* valveSecond, const int* timeDivision, const int* maxSteps,
                                     const int* valveCount, double holeDiameter, int* failingValve) {
  return VorlCheckCaseOfModel(VORL_MODEL_FAST, flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps,
                              valveCount, holeDiameter, failingValve);
}

VORL_API int VORL_CALL VorlCheckCaseOfModel(int choice, const int* flags, const double* inputs,
                                            const double* valveFirst, const double* valveSecond,
                                            const int* timeDivision, const int* maxSteps, const int* valveCount,
                                            double holeDiameter, int* failingValve) {
  int valve = -1;
  const int code = guarded(static_cast<int>(VORL_E_INTERNAL), [&] {
    try {
      if (choice != VORL_MODEL_FAST && choice != VORL_MODEL_REFERENCE) {
        refuseArgument(VORL_E_INVALID_MODEL_CHOICE, choice, "VorlCheckCase");
      }
      checkCase({flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount}, holeDiameter,
                static_cast<ModelChoice>(choice), &valve);
    } catch (const VORLERROR& error) {
      reportError(error);
      return error.eError();
    }
    return static_cast<int>(VORL_OK);
  });
  if (failingValve != nullptr) *failingValve = valve;
  return code;
}

VORL_API VorlBool VORL_CALL VorlCaseFitsOneCall(const int* flags, const double* inputs, const double* valveFirst,
                                               const double* valveSecond, const int* timeDivision,
                                               const int* maxSteps, const int* valveCount) {
  return guarded(VorlBool{0}, [&] {
    return static_cast<VorlBool>(
        oneCallCarries({flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount}) ? 1 : 0);
  });
}

VORL_API double VORL_CALL VorlHoleAperture(double holeDiameter, double pipeDiameter) {
  return guarded(0.0, [&] { return holeAperture(holeDiameter, pipeDiameter, "VorlHoleAperture"); });
}

VORL_API void VORL_CALL VorlGenericInputsSet(VorlHandle model, const int* flags, const double* inputs,
                                             const double* valveFirst, const double* valveSecond,
                                             const int* timeDivision, const int* maxSteps, const int* valveCount) {
  withModel(model, [&](VORL& m) {
    const OneCallArrays arrays{flags, inputs, valveFirst, valveSecond, timeDivision, maxSteps, valveCount};
    requireOneCallArrays(arrays);
    setOneCallInputs(m, arrays);
  });
}

VORL_API int VORL_CALL VorlInputCount(void) {
  return guarded(0, [] { return static_cast<int>(inputCount()); });
}

VORL_API int VORL_CALL VorlInputName(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return std::string(r.name); });
}

VORL_API int VORL_CALL VorlInputUnit(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return std::string(r.unit); });
}

VORL_API int VORL_CALL VorlInputMeaning(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return std::string(r.meaning); });
}

VORL_API int VORL_CALL VorlInputRangeText(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return rangeText(r); });
}

VORL_API int VORL_CALL VorlInputSetter(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return std::string(r.setter); });
}

VORL_API double VORL_CALL VorlInputDefault(int index) {
  return readField(index, 0.0, [](const Input& r) { return r.defaultValue; });
}

VORL_API double VORL_CALL VorlInputMin(int index) {
  return readField(index, 0.0, [](const Input& r) { return r.oneCall.belowCode != 0 ? r.oneCall.minimum : 0.0; });
}

VORL_API double VORL_CALL VorlInputMax(int index) {
  return readField(index, 0.0, [](const Input& r) { return r.oneCall.belowCode != 0 ? r.oneCall.maximum : 0.0; });
}

VORL_API int VORL_CALL VorlInputCodeBelow(int index) {
  return readField(index, 0, [](const Input& r) { return r.oneCall.belowCode; });
}

VORL_API int VORL_CALL VorlInputCodeAbove(int index) {
  return readField(index, 0, [](const Input& r) { return r.oneCall.aboveCode; });
}

VORL_API int VORL_CALL VorlInputGuardCode(int index) {
  return readField(index, 0, [](const Input& r) { return r.guard.code; });
}

VORL_API int VORL_CALL VorlInputSlot(int index) {
  return readField(index, 0, [](const Input& r) { return static_cast<int>(r.oneCall.slot); });
}

VORL_API int VORL_CALL VorlInputSlotIndex(int index) {
  return readField(index, -1, [](const Input& r) { return r.oneCall.index; });
}

VORL_API int VORL_CALL VorlInputFind(const char* name) {
  return guarded(-1, [&] {
    if (name == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, "the name pointer is null");
    const Input* found = findInput(name);
    return found != nullptr ? static_cast<int>(found->id) : -1;
  });
}

VORL_API int VORL_CALL VorlInputCaseKey(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return std::string(r.caseFile.key); });
}

VORL_API double VORL_CALL VorlInputCaseDefault(int index) {
  return readField(index, 0.0, [](const Input& r) { return caseDefault(r); });
}

VORL_API int VORL_CALL VorlInputCaseRangeText(int index, char* buffer, int size) {
  return copyField(index, buffer, size, [](const Input& r) { return caseRangeText(r); });
}

VORL_API int VORL_CALL VorlInputOfCode(int code) {
  return guarded(-1, [&] {
    const Input* row = inputBlamedBy(code);
    return row != nullptr ? static_cast<int>(row->id) : -1;
  });
}

VORL_API int VORL_CALL VorlCaseDefaultMaterial(void) {
  return guarded(0, [] { return kCaseDefaultMaterial; });
}

VORL_API int VORL_CALL VorlInputFindCaseKey(const char* key) {
  return guarded(-1, [&] {
    if (key == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, "the key pointer is null");
    const Input* found = findInputByCaseKey(key);
    return found != nullptr ? static_cast<int>(found->id) : -1;
  });
}

VORL_API void VORL_CALL VorlInputSet(VorlHandle model, int index, double value) {
  withModel(model, [&](VORL& m) { setInput(m, singleValued(index).id, value); });
}

VORL_API double VORL_CALL VorlInputGet(VorlHandle model, int index) {
  return withModel(model, 0.0, [&](VORL& m) { return singleValued(index).read(m, 0); });
}

}  // extern "C"
