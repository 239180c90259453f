// libFuzzer target of the C interface: the input is a sequence of calls, each naming an export of the table
// (so a new export is fuzzed once listed) followed by its argument bytes (layout: .ci/fuzz/make_corpus.py).
// A finding: a sanitizer report, crash or hang, or a broken promise checked after a call (record counts in
// bounds, texts cut to fit, a handled report the newest in the log, removed callbacks silent, stale handles refused).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/process_settings.h"
#include "vorl.h"

namespace {

// ---- Bounds on the work of one input ----

constexpr int kPoolSize = 3;             // live models an input may hold at once
constexpr int kMaxCallsPerInput = 64;    // calls made for one input
constexpr int kMaxRunsPerInput = 2;      // VorlRun and one-call entries per input
// A drawn time division above this becomes it; 1001, just above the validated range, still takes part.
constexpr int kMaxTimeDivision = 1001;
// The one-call entry's *maxSteps (arrays of that many doubles); 10001, just above the range, takes part.
constexpr int kMaxGenericSteps = 10001;
constexpr int kMaxValves = 6;
constexpr int kMaxTextBuffer = 300;
constexpr int kMaxComparisonCount = 4096;
// A drawn finite refinement above this becomes it, so no reference grid is large.
constexpr double kMaxReferenceRefinement = 2.0;
constexpr int kMaxReferenceReportTimes = 64;
// Most components of a composition the fuzzer gives.
constexpr int kMaxCompositionComponents = 20;
constexpr int kMaxReferenceRows = 256;
// Rows a table fill is given room for (and the most times of a pipe table).
constexpr int kMaxFillRows = 8;
constexpr int kMaxReportTimes = 512;  // VorlModelReportTimes gives about 340 for any end

// VORL_FUZZ_TRACE=1 lists each input's calls and results on standard error.
const bool kTrace = std::getenv("VORL_FUZZ_TRACE") != nullptr;

[[noreturn]] void broken(const char* what, const char* exportName) {
  std::fprintf(stderr, "vorl_fuzzer: broken promise: %s (%s)\n", what, exportName);
  std::abort();
}

// ---- The input bytes ----

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return position_ >= size_; }
  // Past the end every byte reads as 0, which draws the nominal value.
  std::uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
  std::uint32_t u32() { return static_cast<std::uint32_t>(u16()) | (static_cast<std::uint32_t>(u16()) << 16); }
  std::uint64_t u64() { return static_cast<std::uint64_t>(u32()) | (static_cast<std::uint64_t>(u32()) << 32); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// A double from the input around a nominal value: the nominal value itself,
// multiples of it, and the values a host may pass by mistake.
double drawDouble(Bytes& in, double nominal) {
  constexpr double kFactors[] = {1.0, 1.0, 0.5, 2.0, 0.1, 10.0, 0.999, 1.001};
  const std::uint8_t tag = in.byte() % 32;
  switch (tag) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7:
      return nominal * kFactors[tag];
    case 8: return nominal * (in.u16() / 32767.5);
    case 9: return std::numeric_limits<double>::quiet_NaN();
    case 10: return std::numeric_limits<double>::infinity();
    case 11: return -std::numeric_limits<double>::infinity();
    case 12: return 0.0;
    case 13: return -0.0;
    case 14: return -nominal;
    case 15: return std::numeric_limits<double>::denorm_min();
    case 16: return std::numeric_limits<double>::min();
    case 17: return std::numeric_limits<double>::max();
    case 18: return -std::numeric_limits<double>::max();
    case 19: return 1e128;  // the library's infinity marker
    case 20: return 9e127;
    case 21: return 1e300;
    case 22: return 1e-300;
    case 23: {
      const std::uint64_t bits = in.u64();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case 24: return nominal * 1e6;
    case 25: return nominal * 1e-6;
    case 26: return 1.0;
    case 27: return -1.0;
    case 28: return nominal + static_cast<std::int8_t>(in.byte());
    case 29: return nominal * 1e-12;  // below what a run resolves (an inflow)
    default: return nominal;
  }
}

// An int from the input: small counts and indices, the bounds of the
// validated ranges, and the extremes.
int drawInt(Bytes& in, int nominal, int lastSize) {
  const std::uint8_t tag = in.byte() % 16;
  switch (tag) {
    case 0: return nominal;
    case 1: return in.byte();
    case 2: return static_cast<std::int8_t>(in.byte());
    case 3: return 0;
    case 4: return 1;
    case 5: return -1;
    case 6: return 2;
    case 7: return std::numeric_limits<int>::max();
    case 8: return std::numeric_limits<int>::min();
    case 9: return static_cast<int>(in.u32());
    case 10: return 1000;
    case 11: return 1001;
    case 12: return 10000;
    case 13: return 10001;
    case 14: return lastSize - 1 + in.byte() % 3;  // around the end of the last size read
    default: return 3;
  }
}

// ---- Nominal values: what a sensible host would pass ----

// Setter arguments draw around their input's default (input table); other doubles around these values.
struct Nominal {
  const char* nameContains;
  int position;  // argument position, -1 for any
  double value;
};

constexpr Nominal kNominals[] = {
    {"PipeTimeSet", 1, 600.0},
    {"PipeTimeSet", 2, 1.0},
    {"BranchAverage", -1, 2.0},
    {"OutputTmaxSet", -1, 3600.0},
    {"CreateSimple", -1, 16.043},
    // The closed-form blow-down: length, temperature, Fanning factor,
    // diameter, molecular weight, initial and ambient pressure.
    {"AnalyticComparison", 0, 100000.0},
    {"AnalyticComparison", 1, 288.15},
    {"AnalyticComparison", 2, 0.003},
    {"AnalyticComparison", 3, 0.5},
    {"AnalyticComparison", 4, 16.043},
    {"AnalyticComparison", 5, 1.0e7},
    {"AnalyticComparison", 6, 101325.0},
    // The reference solution: short runs, methane's critical constants.
    {"ReferenceEndTimeSet", -1, 0.05},
    {"ReferenceCriticalSet", 1, 190.564},
    {"ReferenceCriticalSet", 2, 4.5992e6},
    {"ReferenceCriticalSet", 3, 0.01142},
};

std::string inputSetter(int input) {
  char setter[64];
  VorlInputSetter(input, setter, sizeof setter);
  return setter;
}

// The default of the input a setter's argument stands for: the k-th double
// argument after the handle sets the k-th input of that setter in the table.
bool setterNominal(std::string_view name, int position, double& nominal) {
  int k = 0;
  for (int i = 0; i < VorlInputCount(); ++i) {
    if (inputSetter(i) != name) continue;
    if (++k == position) {
      nominal = VorlInputDefault(i);
      return true;
    }
  }
  return false;
}

double nominalDouble(std::string_view name, int position) {
  double nominal = 1.0;
  if (setterNominal(name, position, nominal)) return nominal;
  for (const Nominal& entry : kNominals) {
    if (name.find(entry.nameContains) != std::string_view::npos &&
        (entry.position < 0 || entry.position == position)) {
      return entry.value;
    }
  }
  return nominal;
}

// Materials of the property library, and numbers it does not know.
constexpr int kMaterials[] = {74828,   74840,   74986,  106978,  75285,   74851,     115071, 7782505,
                              7727379, 7782447, 1333740, 124389, 630080, 7783064,   7664417, 132259100,
                              0,       -1,      999,     74829};

// The allowed range of one of the one-call entry's elements, and a value
// inside it: the input's default where that is allowed, else the middle.
struct Range {
  double low = 0.0, high = 0.0, nominal = 0.0;
};

Range rangeOf(int input) {
  Range range{VorlInputMin(input), VorlInputMax(input), VorlInputDefault(input)};
  if (!(range.nominal > range.low && range.nominal <= range.high)) range.nominal = 0.5 * (range.low + range.high);
  return range;
}

// The ranges of inputs[0..15] and flags[0..1], from the table.
struct OneCallRanges {
  Range inputs[16];
  Range flags[2];
};

const OneCallRanges& oneCallRanges() {
  static const OneCallRanges ranges = [] {
    OneCallRanges r;
    for (int i = 0; i < VorlInputCount(); ++i) {
      if (VorlInputCodeBelow(i) == 0) continue;
      const int element = VorlInputSlotIndex(i);
      if (VorlInputSlot(i) == VORL_SLOT_INPUTS && element >= 0 && element < 16) r.inputs[element] = rangeOf(i);
      if (VorlInputSlot(i) == VORL_SLOT_FLAGS && element >= 0 && element < 2) r.flags[element] = rangeOf(i);
    }
    return r;
  }();
  return ranges;
}

// ---- Callbacks a host may install ----

// A host's context of a callback: alive from the set that installs it until
// the set that replaces it returns; a call after that is a broken promise.
struct CallbackContext {
  bool alive = false;
  int calls = 0;
};
CallbackContext gHandlerContexts[2];
CallbackContext gSinkContexts[2];
int gNextContext = 0;

CallbackContext& liveContext(void* user, const char* what) {
  auto* context = static_cast<CallbackContext*>(user);
  const bool known = context == &gHandlerContexts[0] || context == &gHandlerContexts[1] ||
                     context == &gSinkContexts[0] || context == &gSinkContexts[1];
  if (!known) broken("callback got another user pointer", what);
  if (!context->alive) broken("a removed callback was called", what);
  ++context->calls;
  return *context;
}

// A handler that reads the log back while it is told of a report: a new
// report is the newest entry, a repeat counts in one.
void VORL_CALL readingHandler(int code, const char* tag, int /*level*/, const char* message, void* user) {
  liveContext(user, "VorlErrorHandlerSet");
  if (tag == nullptr || message == nullptr) broken("handler got a null text", "VorlErrorHandlerSet");
  const int count = VorlErrorLogCount();
  int newest = count - 1;
  while (newest >= 0 && VorlErrorLogCode(newest) != code) --newest;
  if (newest < 0) broken("a reported code is not in the log", "handler");
  char buffer[16];
  VorlErrorLogMessage(count - 1, buffer, sizeof buffer);
}

void VORL_CALL quietHandler(int, const char*, int, const char*, void* user) {
  liveContext(user, "VorlErrorHandlerSet");
}

// A handler that calls the library: it reports, and installs itself again without waiting for itself.
void VORL_CALL reentrantHandler(int, const char*, int, const char*, void* user) {
  liveContext(user, "VorlErrorHandlerSet");
  VorlError(1, "fuzz handler");
  VorlErrorHandlerSet(&reentrantHandler, user);
}

void VORL_CALL countingSink(const char* line, void* user) {
  liveContext(user, "VorlDebugOutputSet");
  if (line == nullptr) broken("sink got a null line", "VorlDebugOutputSet");
  if (std::strlen(line) > 255) broken("progress line longer than 255 characters", "VorlDebugOutputSet");
}

// A reference run's progress: fractions in (0, 1] rising, ending at 1 for a run with a result; may stop the run.
struct ProgressContext {
  int calls = 0;
  int stopAfter = -1;  // calls after which it returns 0; -1: never
  double last = 0.0;
};
ProgressContext gProgress;

int VORL_CALL watchingProgress(double fraction, void* user) {
  if (user != &gProgress) broken("progress got another user pointer", "VorlReferenceRun");
  if (!(fraction > 0.0 && fraction <= 1.0)) broken("progress fraction outside (0, 1]", "VorlReferenceRun");
  if (!(fraction > gProgress.last)) broken("progress fraction not rising", "VorlReferenceRun");
  gProgress.last = fraction;
  return ++gProgress.calls == gProgress.stopAfter ? 0 : 1;
}

// The progress of a sweep: fractions in [0, 1], never falling; a callback
// that stops the sweep after some calls, or one that lets it finish.
ProgressContext gSweepProgress;

int VORL_CALL sweepProgress(double fraction, void* user) {
  if (user != &gSweepProgress) broken("progress got another user pointer", "VorlSweepRun");
  if (!(fraction >= 0.0 && fraction <= 1.0)) broken("progress fraction outside [0, 1]", "VorlSweepRun");
  if (fraction < gSweepProgress.last) broken("progress fraction falling", "VorlSweepRun");
  gSweepProgress.last = fraction;
  return ++gSweepProgress.calls == gSweepProgress.stopAfter ? 0 : 1;
}

// ---- One call ----

// Argument buffers of one call. Each has exactly the room the export may use,
// on the heap, so that AddressSanitizer sees a write one past its end.
class Buffers {
 public:
  template <class T>
  T* make(std::size_t count) {
    const std::size_t bytes = std::max<std::size_t>(count, 1) * sizeof(T);
    storage_.push_back(std::make_unique<unsigned char[]>(bytes));
    std::memset(storage_.back().get(), 0xA5, bytes);  // a marker, not zeros
    return reinterpret_cast<T*>(storage_.back().get());
  }

 private:
  std::vector<std::unique_ptr<unsigned char[]>> storage_;
};

// What a call of one export needs beyond the generic argument rules.
struct CallPlan {
  std::string_view name;
  int count = 0;                        // element count an int argument carries (text size, comparison count)
  int countPosition = -1;               // position of that int argument
  int secondCount = 0;                  // a second such count (a pipe table's number of times)
  int secondCountPosition = -1;
  std::vector<std::pair<int, int>> fixedInts;  // (position, value) of other int arguments set by the plan
  std::size_t pointerElements = 1;      // room of every pointer argument, in elements
  bool pointersFixed = false;           // every pointer argument is taken from fixedPointers
  std::vector<void*> fixedPointers;     // pointer arguments made before the call, by position
  void* newContext = nullptr;           // the context a callback set installs
  bool hasNominal = false;              // a nominal of its own for the double arguments
  double nominal = 0.0;
};

// After a callback set has returned, only the context it installed may be
// called; the one it replaced is dead.
void settleCallbacks(const CallPlan& plan) {
  CallbackContext* contexts = plan.name == "VorlDebugOutputSet" ? gSinkContexts : gHandlerContexts;
  for (int k = 0; k < 2; ++k) contexts[k].alive = &contexts[k] == plan.newContext;
}

struct Session {
  Bytes in;
  VorlHandle pool[kPoolSize] = {};
  // Copies of handles whose models were deleted, as a careless host keeps them.
  VorlHandle stale[kPoolSize] = {};
  int lastSize = 0;
  int runs = 0;
  int logSeen = 0;  // log entries already traced

  explicit Session(Bytes bytes) : in(bytes) {}

  // A live model, none, a deleted model's handle or a value no model ever had.
  VorlHandle handle() {
    const int pick = in.byte() % (2 * kPoolSize + 2);
    if (pick < kPoolSize) return pool[pick];
    if (pick == kPoolSize) return nullptr;
    if (pick < 2 * kPoolSize + 1) return stale[pick - kPoolSize - 1];
    return reinterpret_cast<VorlHandle>(static_cast<std::uintptr_t>(in.u32()) | 1U);
  }

  // After a call: a pool model that went away leaves its handle stale, and a
  // stale handle must be refused.
  void noteDeleted(const VorlHandle (&before)[kPoolSize]) {
    for (int k = 0; k < kPoolSize; ++k) {
      if (before[k] == nullptr || pool[k] == before[k]) continue;
      stale[k] = before[k];
      if (VorlPipeLength(stale[k]) != 0.0) broken("a deleted model's handle was answered", "VorlModelDelete");
      // The refusal is among the newest entries (a handler may have logged after it).
      const int count = VorlErrorLogCount();
      const bool refused = (count >= 1 && VorlErrorLogCode(count - 1) == VORL_E_NO_MODEL) ||
                           (count >= 2 && VorlErrorLogCode(count - 2) == VORL_E_NO_MODEL);
      if (!refused) broken("a deleted model's handle was not refused", "VorlModelDelete");
    }
  }

  void store(VorlHandle created) {
    VorlHandle& slot = pool[in.byte() % kPoolSize];
    if (slot != nullptr) VorlModelDelete(&slot);
    slot = created;
  }

  void deleteAll() {
    for (VorlHandle& slot : pool) VorlModelDelete(&slot);
  }
};

// ---- The texts of the lookups ----

bool isLookup(std::string_view name) { return name.find("Find") != std::string_view::npos; }

template <class Copy>
void addWords(std::vector<std::string>& words, Copy copy, int count) {
  char text[128];
  for (int i = 0; i < count; ++i) {
    if (copy(i, text, sizeof text) > 0) words.emplace_back(text);
  }
}

// What a lookup knows: the materials' names, aliases ('|'-joined, as a host may pass them) and CAS numbers,
// the inputs' names and case-file keys.
const std::vector<std::string>& lookupWords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> list;
    addWords(list, VorlMaterialName, VorlMaterialCount());
    addWords(list, VorlMaterialAliases, VorlMaterialCount());
    addWords(list, VorlMaterialCas, VorlMaterialCount());
    addWords(list, VorlInputName, VorlInputCount());
    addWords(list, VorlInputCaseKey, VorlInputCount());
    addWords(list, VorlNamedGasName, VorlNamedGasCount());
    addWords(list, VorlNamedGasAliases, VorlNamedGasCount());
    return list;
  }();
  return words;
}

// A word of the vocabulary (1 byte), as is or as a user might write it (1 byte: upper case, blanks, truncated).
const char* lookupText(Bytes& in, Buffers& buffers) {
  const std::vector<std::string>& words = lookupWords();
  std::string word = words[in.byte() % words.size()];
  switch (in.byte() % 4) {
    case 1:
      for (char& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      break;
    case 2: word = " " + word + " "; break;
    case 3: word.pop_back(); break;
    default: break;
  }
  char* text = buffers.make<char>(word.size() + 1);
  std::memcpy(text, word.c_str(), word.size() + 1);
  return text;
}

template <class T>
T argument(Session& s, CallPlan& plan, Buffers& buffers, int position) {
  Bytes& in = s.in;
  if constexpr (std::is_same_v<T, VorlHandle>) {
    return s.handle();
  } else if constexpr (std::is_same_v<T, VorlHandle*>) {
    const int slot = in.byte() % (kPoolSize + 5);
    if (slot == kPoolSize + 4) return &s.stale[in.byte() % kPoolSize];  // deleting twice
    return slot == kPoolSize ? nullptr : &s.pool[slot % kPoolSize];
  } else if constexpr (std::is_same_v<T, VorlBool>) {
    const std::uint8_t value = in.byte();
    return static_cast<VorlBool>(value < 128 ? value % 2 : value);  // mostly 0 and 1, also 2 to 255
  } else if constexpr (std::is_same_v<T, int>) {
    if (position == plan.countPosition) return plan.count;
    if (position == plan.secondCountPosition) return plan.secondCount;
    for (const auto& [at, value] : plan.fixedInts) {
      if (position == at) return value;
    }
    if (plan.name == "VorlTimeDivisionSet") return std::min(drawInt(in, 100, s.lastSize), kMaxTimeDivision);
    if (plan.name == "VorlModelCreateZel") {
      const std::uint8_t pick = in.byte();
      return pick < 240 ? kMaterials[pick % std::size(kMaterials)] : static_cast<int>(in.u32());
    }
    return drawInt(in, 0, s.lastSize);
  } else if constexpr (std::is_same_v<T, double>) {
    const double value = drawDouble(in, plan.hasNominal ? plan.nominal : nominalDouble(plan.name, position));
    if (plan.name == "VorlReferenceRefinementSet" && std::isfinite(value)) return std::min(value, kMaxReferenceRefinement);
    return value;
  } else if constexpr (std::is_same_v<T, const char*>) {
    // A lookup's text, half the time a word the library knows; a tag: absent,
    // or a short text from the input.
    const std::uint8_t pick = in.byte();
    if (isLookup(plan.name) && pick >= 128) return lookupText(in, buffers);
    const int length = pick % 40;
    if (length == 0) return nullptr;
    char* text = buffers.make<char>(static_cast<std::size_t>(length) + 1);
    for (int i = 0; i < length; ++i) text[i] = static_cast<char>(in.byte() | 1);
    text[length] = '\0';
    return text;
  } else if constexpr (std::is_same_v<T, VorlErrorHandler>) {
    const std::uint8_t pick = in.byte() % 4;
    return pick == 0 ? nullptr : pick == 1 ? &readingHandler : pick == 2 ? &quietHandler : &reentrantHandler;
  } else if constexpr (std::is_same_v<T, VorlDebugSink>) {
    return in.byte() % 2 == 0 ? nullptr : &countingSink;
  } else if constexpr (std::is_same_v<T, VorlProgress>) {
    if (plan.name == "VorlSweepRun" || plan.name == "VorlSweepRunWithInputs") {
      gSweepProgress = ProgressContext{};
      const std::uint8_t pick = in.byte() % 4;
      if (pick == 3) gSweepProgress.stopAfter = 1 + in.byte() % 3;
      return pick == 0 ? nullptr : &sweepProgress;
    }
    gProgress = ProgressContext{};
    const std::uint8_t pick = in.byte() % 4;
    if (pick == 3) gProgress.stopAfter = 1 + in.byte() % 8;
    return pick == 0 ? nullptr : &watchingProgress;
  } else if constexpr (std::is_same_v<T, void*>) {
    if (plan.name == "VorlReferenceRun" || plan.name == "VorlModelRun") return static_cast<void*>(&gProgress);
    if (plan.name == "VorlSweepRun" || plan.name == "VorlSweepRunWithInputs") {
      return static_cast<void*>(&gSweepProgress);
    }
    // A context of its own for each installation: the one it replaces dies
    // when the set returns (settleCallbacks).
    CallbackContext* contexts = plan.name == "VorlDebugOutputSet" ? gSinkContexts : gHandlerContexts;
    CallbackContext* next = &contexts[gNextContext++ % 2];
    next->alive = true;
    plan.newContext = next;
    return static_cast<void*>(next);
  } else if constexpr (std::is_pointer_v<T>) {
    using Element = std::remove_const_t<std::remove_pointer_t<T>>;
    if (plan.name == "VorlStringFree") return nullptr;  // replaced by a text of the library's
    if (plan.pointersFixed) return static_cast<T>(plan.fixedPointers.at(static_cast<std::size_t>(position)));
    // Now and then a host passes no buffer at all: the export must refuse it.
    if (in.byte() % 16 == 15) return nullptr;
    return buffers.make<Element>(plan.pointerElements);
  } else {
    static_assert(sizeof(T) == 0, "an argument type of the export table the fuzzer does not know");
  }
}

// The arrays of the one-call entry, VorlCheckInputs and VorlGenericInputsSet in one layout. mode 0-5 draws every
// value inside its range (so most calls run), 6 one value (offIndex) freely, 7 all freely; forRun caps the cost.
struct InputArrays {
  int* flags;
  double* inputs;
  int* material = nullptr;
  int* valveCount;
  double* valveFirst;
  double* valveSecond;
  int* timeDivision;
  int* maxSteps;
};

InputArrays drawInputArrays(Bytes& in, Buffers& buffers, int mode, int offIndex, bool withMaterial, bool forRun) {
  const OneCallRanges& ranges = oneCallRanges();
  InputArrays a{};
  a.flags = buffers.make<int>(2);
  for (int k = 0; k < 2; ++k) {
    const int low = static_cast<int>(ranges.flags[k].low), count = static_cast<int>(ranges.flags[k].high) - low + 1;
    a.flags[k] = mode == 7 ? drawInt(in, k, 0) : low + in.byte() % count;
  }
  a.inputs = buffers.make<double>(16);
  for (int i = 0; i < 16; ++i) {
    const Range& range = ranges.inputs[i];
    if (mode == 7 || (mode == 6 && i == offIndex)) {
      a.inputs[i] = drawDouble(in, range.nominal);
    } else {
      // Anywhere in the range, the bounds included.
      const double u = in.u16() / 65535.0;
      a.inputs[i] = in.byte() % 4 == 0 ? range.nominal : range.low + u * (range.high - range.low);
    }
  }
  if (withMaterial) {
    a.material = buffers.make<int>(1);
    const std::uint8_t pick = in.byte();
    *a.material = pick < 200 ? 74828 : kMaterials[pick % std::size(kMaterials)];
  }
  a.valveCount = buffers.make<int>(1);
  *a.valveCount = static_cast<int>(in.byte() % (kMaxValves + 3)) - 2;  // -2 to kMaxValves
  const std::size_t valves = static_cast<std::size_t>(std::max(*a.valveCount, 0));
  a.valveFirst = buffers.make<double>(valves);
  a.valveSecond = buffers.make<double>(valves);
  for (std::size_t i = 0; i < valves; ++i) {
    a.valveFirst[i] = drawDouble(in, 20000.0);
    a.valveSecond[i] = drawDouble(in, 60.0);
  }
  a.timeDivision = buffers.make<int>(1);
  *a.timeDivision = drawInt(in, 100, 0);
  a.maxSteps = buffers.make<int>(1);
  *a.maxSteps = drawInt(in, 1000, 0);
  if (forRun) {
    *a.timeDivision = std::min(*a.timeDivision, kMaxTimeDivision);
    *a.maxSteps = std::min(*a.maxSteps, kMaxGenericSteps);
  }
  if (kTrace) {
    std::fprintf(stderr, "  flags %d %d valves %d division %d maxSteps %d\n  inputs", a.flags[0], a.flags[1],
                 *a.valveCount, *a.timeDivision, *a.maxSteps);
    for (int i = 0; i < 16; ++i) std::fprintf(stderr, " %.17g", a.inputs[i]);
    for (std::size_t i = 0; i < valves; ++i) std::fprintf(stderr, "\n  valve %.17g %.17g", a.valveFirst[i], a.valveSecond[i]);
    std::fprintf(stderr, "\n");
  }
  return a;
}

// The one-call entry: its outputs as arrays of *maxSteps (at least 16), and
// now and then one argument null, as a host may pass by mistake.
void planGenericEntry(Session& s, CallPlan& plan, Buffers& buffers, int arity) {
  Bytes& in = s.in;
  const int mode = in.byte() % 8;
  const int offIndex = in.byte() % 16;
  const InputArrays a = drawInputArrays(in, buffers, mode, offIndex, true, true);
  const std::size_t room = static_cast<std::size_t>(std::max(*a.maxSteps, 16));
  plan.fixedPointers = {a.flags, a.inputs, a.material, a.valveCount, a.valveFirst, a.valveSecond, a.timeDivision,
                        a.maxSteps};
  while (plan.fixedPointers.size() < static_cast<std::size_t>(arity)) {
    plan.fixedPointers.push_back(buffers.make<double>(room));
  }
  if (in.byte() % 32 == 31) plan.fixedPointers[in.byte() % plan.fixedPointers.size()] = nullptr;
  plan.pointersFixed = true;
}

// VorlCheckInputs, VorlCheckCase, VorlCaseFitsOneCall, VorlGenericInputsSet and VorlCheckCaseOfModel
// (after the handle or the model choice: `first`): inputs drawn freely, a null pointer now and then (code 5).
void planInputArrays(Session& s, CallPlan& plan, Buffers& buffers, int arity, int first) {
  Bytes& in = s.in;
  const InputArrays a = drawInputArrays(in, buffers, 7, -1, false, first > 0);
  plan.fixedPointers = {a.flags, a.inputs, a.valveFirst, a.valveSecond, a.timeDivision, a.maxSteps, a.valveCount};
  for (void*& pointer : plan.fixedPointers) {
    if (in.byte() % 16 == 15) pointer = nullptr;
  }
  plan.fixedPointers.insert(plan.fixedPointers.begin(), static_cast<std::size_t>(first), nullptr);
  plan.fixedPointers.resize(static_cast<std::size_t>(arity), nullptr);
  plan.pointersFixed = true;
}

// A sweep of a few cases, each drawn as drawInputArrays draws the one-call
// entry's (a gas's weight now and then, a model choice mostly fast, now and
// then the reference or no choice at all), the
// pipe at a few times, outputs with room for them. One thread: the
// harness's callbacks keep no state safe between threads.
// VorlSweepRun, and VorlSweepRunWithInputs with up to three extra inputs
// (now and then no input, one the one-call arrays hold or a negative count),
// each case's value drawn around the input's default.
void planSweep(Session& s, CallPlan& plan, Buffers& buffers, bool withInputs) {
  Bytes& in = s.in;
  constexpr int kMaxSweepCases = 3;
  plan.count = std::clamp(drawInt(in, 2, 0), -2, kMaxSweepCases);
  plan.countPosition = 0;
  plan.secondCount = std::clamp(drawInt(in, 2, 0), -2, kMaxFillRows);
  const int shift = withInputs ? 3 : 0;  // the extra count and arrays stand after the valves
  plan.secondCountPosition = 13 + shift;
  const int toleranceCount = in.byte() % 8 == 7 ? drawInt(in, 1, 0) : 1;
  plan.fixedInts = {{11 + shift, in.byte() % 16 == 15 ? -1 : 1}, {15 + shift, toleranceCount}};
  const std::size_t cases = static_cast<std::size_t>(std::max(plan.count, 0));
  int* materials = buffers.make<int>(cases);
  double* weights = buffers.make<double>(cases);
  int* models = buffers.make<int>(cases);
  int* flags = buffers.make<int>(2 * cases);
  double* inputs = buffers.make<double>(16 * cases);
  int* divisions = buffers.make<int>(cases);
  int* steps = buffers.make<int>(cases);
  int* starts = buffers.make<int>(cases + 1);
  double* valveFirst = buffers.make<double>(cases * kMaxValves);
  double* valveSecond = buffers.make<double>(cases * kMaxValves);
  starts[0] = in.byte() % 32 == 31 ? -1 : 0;
  for (std::size_t c = 0; c < cases; ++c) {
    const InputArrays a = drawInputArrays(in, buffers, 7, -1, true, true);
    materials[c] = *a.material;
    weights[c] = in.byte() % 8 == 7 ? drawDouble(in, 20.0) : 0.0;
    const std::uint8_t model = in.byte();
    models[c] = model < 240 ? VORL_MODEL_FAST : model < 250 ? VORL_MODEL_REFERENCE : drawInt(in, 0, 0);
    std::copy(a.flags, a.flags + 2, flags + 2 * c);
    std::copy(a.inputs, a.inputs + 16, inputs + 16 * c);
    divisions[c] = *a.timeDivision;
    steps[c] = *a.maxSteps;
    const int valves = std::max(*a.valveCount, 0);
    starts[c + 1] = starts[c] + valves;
    for (int v = 0; starts[c] >= 0 && v < valves; ++v) {
      valveFirst[starts[c] + v] = a.valveFirst[v];
      valveSecond[starts[c] + v] = a.valveSecond[v];
    }
  }
  const std::size_t times = static_cast<std::size_t>(std::max(plan.secondCount, 1));
  double* pipeTimes = buffers.make<double>(times);
  for (std::size_t k = 0; k < times; ++k) pipeTimes[k] = drawDouble(in, 600.0);
  double* tolerances = buffers.make<double>(times);
  for (std::size_t k = 0; k < times; ++k) tolerances[k] = drawDouble(in, 0.0);
  const std::size_t rows = std::max<std::size_t>(cases, 1);
  double* report = buffers.make<double>(rows * static_cast<std::size_t>(VorlReleaseReportColumnCount()));
  double* pipe = buffers.make<double>(rows * times * static_cast<std::size_t>(VorlPipeTableColumnCount()));
  int* status = buffers.make<int>(rows);
  int* codes = buffers.make<int>(rows);
  plan.fixedPointers = {nullptr, materials, weights, models, flags, inputs, divisions, steps, starts, valveFirst,
                        valveSecond};
  if (withInputs) {
    const int extras = std::clamp(drawInt(in, 1, 0), -1, 3);
    plan.fixedInts.push_back({11, extras});
    const std::size_t room = static_cast<std::size_t>(std::max(extras, 1));
    int* numbers = buffers.make<int>(room);
    double* values = buffers.make<double>(room * std::max<std::size_t>(cases, 1));
    for (std::size_t k = 0; k < room; ++k) {
      numbers[k] = static_cast<int>(in.byte() % (VorlInputCount() + 2)) - 1;
      const double nominal = numbers[k] >= 0 && numbers[k] < VorlInputCount() ? VorlInputDefault(numbers[k]) : 1.0;
      for (std::size_t c = 0; c < cases; ++c) values[c * room + k] = drawDouble(in, nominal);
    }
    plan.fixedPointers.insert(plan.fixedPointers.end(), {nullptr, numbers, values});
  }
  plan.fixedPointers.insert(plan.fixedPointers.end(),
                            {nullptr, pipeTimes, nullptr, tolerances, nullptr, report, pipe, status, codes});
  // Arrays a host may leave out: the gases' weights, the choices, the valves, the report.
  for (std::size_t position : {2, 3, 8, 16 + shift}) {
    if (in.byte() % 4 == 3) plan.fixedPointers[static_cast<std::size_t>(position)] = nullptr;
  }
  if (in.byte() % 32 == 31) plan.fixedPointers[1 + in.byte() % (19 + shift)] = nullptr;
  plan.fixedPointers.resize(static_cast<std::size_t>(22 + shift), nullptr);
  plan.pointersFixed = true;
}

// The reference's report times: a count with room for it, the times rising
// from 0 by a drawn step (so that most are taken), now and then no array.
void planReportTimes(Session& s, CallPlan& plan, Buffers& buffers) {
  Bytes& in = s.in;
  plan.count = std::clamp(drawInt(in, 4, 0), -2, kMaxReferenceReportTimes);
  plan.countPosition = 2;
  plan.pointersFixed = true;
  double* times = in.byte() % 16 == 15 ? nullptr : buffers.make<double>(static_cast<std::size_t>(std::max(plan.count, 1)));
  const double step = drawDouble(in, 0.01);
  for (int k = 0; times != nullptr && k < plan.count; ++k) times[k] = k * step;
  plan.fixedPointers = {nullptr, times};
}

// A composition: a count with room for it (now and then none, or negative),
// numbers mostly of the library's materials (now and then one repeated or
// unknown) and fractions around an equal share (now and then negative or
// not a number), so that both the models and the refusals are reached.
void planComposition(Session& s, CallPlan& plan, Buffers& buffers) {
  Bytes& in = s.in;
  plan.count = std::clamp(drawInt(in, 3, 0), -2, kMaxCompositionComponents);
  plan.countPosition = 0;
  plan.pointersFixed = true;
  const std::size_t room = static_cast<std::size_t>(std::max(plan.count, 1));
  int* numbers = in.byte() % 16 == 15 ? nullptr : buffers.make<int>(room);
  double* fractions = in.byte() % 16 == 15 ? nullptr : buffers.make<double>(room);
  for (int k = 0; k < plan.count; ++k) {
    const int pick = in.byte();
    if (numbers != nullptr) numbers[k] = pick < 240 ? VorlMaterialNumber(pick % VorlMaterialCount()) : pick;
    if (fractions != nullptr) fractions[k] = drawDouble(in, 1.0 / plan.count);
  }
  plan.fixedPointers = {nullptr, numbers, fractions};
}

// An export that copies a text into the host's buffer ends with (char* buffer, int size).
template <class... Args>
constexpr bool copiesText() {
  if constexpr (sizeof...(Args) < 2) {
    return false;
  } else {
    using Arguments = std::tuple<Args...>;
    return std::is_same_v<std::tuple_element_t<sizeof...(Args) - 2, Arguments>, char*> &&
           std::is_same_v<std::tuple_element_t<sizeof...(Args) - 1, Arguments>, int>;
  }
}

void makePlan(Session& s, CallPlan& plan, Buffers& buffers, int arity, bool textCopy) {
  Bytes& in = s.in;
  const std::string_view name = plan.name;
  if (name == "VorlGenericZel") {
    planGenericEntry(s, plan, buffers, arity);
  } else if (name == "VorlCheckInputs" || name == "VorlCheckCase" || name == "VorlCaseFitsOneCall") {
    planInputArrays(s, plan, buffers, arity, 0);
  } else if (name == "VorlGenericInputsSet" || name == "VorlCheckCaseOfModel") {
    planInputArrays(s, plan, buffers, arity, 1);
  } else if (name == "VorlInputSet") {
    // An input of the table, now and then one just outside it, set around its default.
    plan.count = static_cast<int>(in.byte() % (VorlInputCount() + 2)) - 1;
    plan.countPosition = 1;
    plan.hasNominal = true;
    plan.nominal = plan.count >= 0 && plan.count < VorlInputCount() ? VorlInputDefault(plan.count) : 1.0;
  } else if (name == "AnalyticComparison") {
    plan.count = std::clamp(drawInt(in, 16, 0), -2, kMaxComparisonCount);
    plan.countPosition = arity - 1;
    plan.pointerElements = static_cast<std::size_t>(std::max(plan.count, 1));
  } else if (name == "VorlModelReportTimes") {
    // Room for the times asked for (a few hundred for any end), now and then a negative count.
    plan.count = std::clamp(drawInt(in, 400, 0), -2, kMaxReportTimes);
    plan.countPosition = 2;
    plan.pointerElements = static_cast<std::size_t>(std::max(plan.count, 1));
  } else if (name == "VorlReferenceReportTimesSet") {
    planReportTimes(s, plan, buffers);
  } else if (name == "VorlSweepRun" || name == "VorlSweepRunWithInputs") {
    planSweep(s, plan, buffers, name == "VorlSweepRunWithInputs");
  } else if (name == "VorlModelCreateComposition") {
    planComposition(s, plan, buffers);
  } else if (name == "VorlReferenceTableFill") {
    // Room for the rows asked for, as a host gives it.
    plan.count = std::clamp(drawInt(in, 8, 0), -2, kMaxReferenceRows);
    plan.countPosition = 2;
    plan.pointerElements =
        static_cast<std::size_t>(std::max(plan.count, 1)) * static_cast<std::size_t>(VorlReferenceTableColumnCount());
  } else if (name.size() > 4 && name.substr(name.size() - 4) == "Fill") {
    // The table fills and the events: at most kMaxFillRows rows (the last
    // argument), now and then a negative count, every array with room for
    // that many rows of the widest table; a pipe table's times as many.
    plan.count = std::clamp(drawInt(in, 3, 0), -2, kMaxFillRows);
    plan.countPosition = arity - 1;
    const int widest = std::max({VorlBranchTableColumnCount(), VorlPipeTableColumnCount(),
                                 VorlReleaseReportColumnCount(), 1});
    plan.pointerElements = static_cast<std::size_t>(kMaxFillRows * widest);
    if (name == "VorlPipeTableFill" || name == "VorlPipeTableColumnsFill") {
      plan.secondCount = std::clamp(drawInt(in, 3, 0), -2, kMaxFillRows);
      plan.secondCountPosition = 2;
    }
    if (name == "VorlPipeTableColumnsFill") {
      // A selection of up to every column, now and then none or a negative count.
      plan.fixedInts = {{6, std::clamp(drawInt(in, 4, 0), -1, VorlPipeTableColumnCount())}};
    }
  } else if (textCopy) {
    plan.count = std::clamp(drawInt(in, 64, 0), -2, kMaxTextBuffer);
    plan.countPosition = arity - 1;
    plan.pointerElements = static_cast<std::size_t>(std::max(plan.count, 1));
  } else if (name.find("PostFlash") != std::string_view::npos) {
    plan.pointerElements = 1;
  } else if (name == "VorlReleaseCurveRange") {
    plan.pointerElements = 4;  // start, end and the two carried-from times
  }
}

// What a call returned: a new model goes into the pool, an owned text is
// freed, a size is kept for the indices of later calls.
template <class Result>
void keepResult(Session& s, const CallPlan& plan, Result result) {
  if constexpr (std::is_same_v<Result, VorlHandle>) {
    s.store(result);
  } else if constexpr (std::is_same_v<Result, VorlString>) {
    VorlStringFree(result);
  } else if constexpr (std::is_same_v<Result, int>) {
    if (plan.name.find("Size") != std::string_view::npos || plan.name.find("Steps") != std::string_view::npos ||
        plan.name.find("Count") != std::string_view::npos) {
      s.lastSize = result;
    }
  }
}

// Promises of the interface checked after a call.
template <class Tuple>
void checkAfterCall(const CallPlan& plan, const Tuple& arguments, int result) {
  const std::string_view name = plan.name;
  if (VorlErrorLogCount() > 1000) broken("error log holds more than 1000 entries", name.data());
  if constexpr (std::is_same_v<Tuple, std::tuple<int, char*, int>>) {
    // The text copies of the log: an entry that exists is copied cut to fit
    // and NUL-terminated.
    const char* buffer = std::get<1>(arguments);
    const int size = std::get<2>(arguments);
    if (result >= 0 && buffer != nullptr && size > 0 &&
        std::memchr(buffer, '\0', static_cast<std::size_t>(size)) == nullptr) {
      broken("text copy not terminated within its buffer", name.data());
    }
    if (result < -1) broken("negative text length other than -1", name.data());
  }
}

// A reference run that kept a result and was watched to its end told 1 last.
void checkReferenceRun(int rows) {
  if (rows < 0) broken("a negative row count", "VorlReferenceRun");
  if (rows > 0 && gProgress.calls > 0 && gProgress.last != 1.0) {
    broken("a run with a result whose progress did not end at 1", "VorlReferenceRun");
  }
}

template <class Tuple>
void checkGenericEntry(const CallPlan& plan, const Tuple& arguments) {
  if constexpr (std::tuple_size_v<Tuple> > 49) {
    if (plan.fixedPointers[7] == nullptr || std::get<12>(arguments) == nullptr || std::get<32>(arguments) == nullptr ||
        std::get<49>(arguments) == nullptr) {
      return;  // a null argument: nothing to check beyond the absence of a crash
    }
    const int maxSteps = *static_cast<const int*>(plan.fixedPointers[7]);
    const int recordsA = *std::get<12>(arguments);
    const int recordsB = *std::get<32>(arguments);
    if (kTrace) std::fprintf(stderr, "  records %d %d, output steps %d\n", recordsA, recordsB, *std::get<49>(arguments));
    const int limit = std::max(maxSteps, 0);
    if (recordsA < 0 || recordsA > limit || recordsB < 0 || recordsB > limit) {
      broken("a record count outside 0 to *maxSteps", "VorlGenericZel");
    }
  }
}

template <class Result, class... Args, std::size_t... I>
void callWith(Result(VORL_CALL* function)(Args...), Session& s, CallPlan& plan, std::index_sequence<I...>) {
  Buffers buffers;
  makePlan(s, plan, buffers, static_cast<int>(sizeof...(Args)), copiesText<Args...>());
  // Braces: the arguments are drawn from the input left to right.
  std::tuple<Args...> arguments{argument<Args>(s, plan, buffers, static_cast<int>(I))...};
  if (plan.name == "VorlStringFree") {
    // Only a text the library handed out, or null, may be freed.
    if constexpr (std::is_same_v<std::tuple<Args...>, std::tuple<VorlString>>) {
      std::get<0>(arguments) = s.in.byte() % 2 == 0 ? nullptr : Author();
    }
  }
  int intResult = 0;
  if constexpr (std::is_void_v<Result>) {
    std::apply(function, arguments);
  } else {
    const Result result = std::apply(function, arguments);
    if constexpr (std::is_same_v<Result, int>) intResult = result;
    if constexpr (std::is_arithmetic_v<Result>) {
      if (kTrace) std::fprintf(stderr, "  -> %.17g\n", static_cast<double>(result));
    }
    keepResult(s, plan, result);
  }
  checkAfterCall(plan, arguments, intResult);
  if (plan.name == "VorlReferenceRun" || plan.name == "VorlModelRun") checkReferenceRun(intResult);
  if (plan.name == "VorlReferenceTableFill" && (intResult < 0 || intResult > std::max(plan.count, 0))) {
    // A null array with 0 rows asks for the rows there are; otherwise no more than asked.
    if (!(plan.count == 0 && intResult >= 0)) broken("more rows written than asked for", "VorlReferenceTableFill");
  }
  if (plan.name == "VorlGenericZel") checkGenericEntry(plan, arguments);
  if (plan.name == "VorlErrorHandlerSet" || plan.name == "VorlDebugOutputSet") settleCallbacks(plan);
  if (kTrace) {
    for (int i = s.logSeen, n = VorlErrorLogCount(); i < n; ++i) std::fprintf(stderr, "  log %d\n", VorlErrorLogCode(i));
    s.logSeen = VorlErrorLogCount();
  }
}

using Caller = void (*)(Session&, std::string_view);

// The export table as a list of callers, in ordinal order.
struct Export {
  int ordinal;
  const char* name;
  Caller caller;
};

template <class Result, class... Args>
constexpr std::size_t arityOf(Result(VORL_CALL*)(Args...)) {
  return sizeof...(Args);
}

template <auto Function>
void callExport(Session& s, std::string_view name) {
  CallPlan plan;
  plan.name = name;
  callWith(Function, s, plan, std::make_index_sequence<arityOf(Function)>{});
}

const Export kExports[] = {
#define VORL_EXPORT(ordinal, result, name, arguments) {ordinal, #name, &callExport<&name>},
#include "vorl_exports.inc"
#undef VORL_EXPORT
};
constexpr std::size_t kExportCount = std::size(kExports);

// The export a call names: high bit clear, the first ordinal at or above it (inputs keep their meaning as
// exports are added); set, an index into the table.
const Export& chooseExport(Bytes& in) {
  const std::uint16_t word = in.u16();
  if (word & 0x8000u) return kExports[(word & 0x7fffu) % kExportCount];
  for (const Export& entry : kExports) {
    if (entry.ordinal >= word) return entry;
  }
  return kExports[0];
}

bool isRun(std::string_view name) {
  return name == "VorlRun" || name == "VorlGenericZel" || name == "VorlReferenceRun" || name == "VorlModelRun";
}

// The process-wide settings back to their defaults, so that each input
// starts from the same state and a finding replays alone.
void resetProcessState() {
  VorlChokeModelAllow(1);
  VorlSetBrimlowMessageBoxWarningLevel(0);
  VorlErrorHandlerSet(nullptr, nullptr);
  VorlDebugOutputSet(nullptr, nullptr);
  for (CallbackContext& context : gHandlerContexts) context.alive = false;
  for (CallbackContext& context : gSinkContexts) context.alive = false;
  VorlErrorLogClear();
  vorl::truncateAtInfinite = false;  // set for good by the one-call entry
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  resetProcessState();
  Session session{Bytes(data, size)};
  for (int calls = 0; calls < kMaxCallsPerInput && !session.in.empty(); ++calls) {
    const Export& chosen = chooseExport(session.in);
    if (isRun(chosen.name) && ++session.runs > kMaxRunsPerInput) continue;
    if (kTrace) std::fprintf(stderr, "call %d: %s\n", calls, chosen.name);
    VorlHandle before[kPoolSize];
    std::copy(std::begin(session.pool), std::end(session.pool), before);
    chosen.caller(session, chosen.name);
    session.noteDeleted(before);
  }
  session.deleteAll();
  resetProcessState();
  return 0;
}
