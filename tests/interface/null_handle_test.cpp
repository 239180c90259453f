// Every handle export, given a null or a deleted model's handle, reports code 2 untagged and touches no memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>
#include <string>
#include <type_traits>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace {

using vorl::test::lastReport;

// Out-arguments get a buffer of their own, filled with a marker, so that a
// write through them can be seen and never lands in wild memory.
double gOutputs[8][16];

template <class T>
T nullCallArgument(std::size_t position) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(gOutputs[position]);
  } else {
    return T{};
  }
}

// The regime queries give -1 (no regime); every other export 0.
template <class Result>
Result expectedNullResult(const std::string& name) {
  if constexpr (std::is_same_v<Result, int>) {
    return name.find("Regime") != std::string::npos ? -1 : 0;
  } else {
    return Result{};
  }
}

template <class Result, class... Rest, std::size_t... I>
bool callWithHandle(Result(VORL_CALL* function)(VorlHandle, Rest...), VorlHandle handle, const std::string& name,
                    std::index_sequence<I...>) {
  for (auto& buffer : gOutputs) std::fill(std::begin(buffer), std::end(buffer), 7.5);
  VorlErrorLogClear();
  if constexpr (std::is_void_v<Result>) {
    function(handle, nullCallArgument<Rest>(I)...);
  } else {
    EXPECT_EQ(function(handle, nullCallArgument<Rest>(I)...), expectedNullResult<Result>(name)) << name;
  }
  EXPECT_EQ(VorlErrorLogCount(), 1) << name;
  EXPECT_EQ(lastReport().code, VORL_E_NO_MODEL) << name;
  EXPECT_EQ(lastReport().tag, "") << name;

  // Only the post-flash queries write through their pointers on a null
  // handle: zeros into the first two outputs, nothing into the others.
  const bool postFlash = name.find("PostFlash") != std::string::npos;
  const bool isPointer[] = {std::is_pointer_v<Rest>..., false};
  int pointersSeen = 0;
  for (std::size_t position = 0; position < sizeof...(Rest); ++position) {
    if (!isPointer[position]) continue;
    const double expected = postFlash && pointersSeen++ < 2 ? 0.0 : 7.5;
    EXPECT_EQ(gOutputs[position][0], expected) << name << " output " << position;
  }
  return true;
}

template <class Result, class... Rest>
bool checkHandle(Result(VORL_CALL* function)(VorlHandle, Rest...), VorlHandle handle, const std::string& name) {
  return callWithHandle(function, handle, name, std::index_sequence_for<Rest...>{});
}

// Exports without a handle are not part of this check.
template <class Function>
bool checkHandle(Function, VorlHandle, const std::string&) {
  return false;
}

// Every handle export of the table, called with `handle`; returns how many.
int walkHandleExports(VorlHandle handle) {
  int checked = 0;
#define VORL_EXPORT(ordinal, result, name, arguments) checked += checkHandle(&name, handle, #name);
#include "vorl_exports.inc"
#undef VORL_EXPORT
  VorlErrorLogClear();
  return checked;
}

TEST(NullHandle, EveryHandleExportReportsCode2AndReturnsItsNullResult) { EXPECT_GT(walkHandleExports(nullptr), 20); }

// A run model, deleted; a copy of its handle kept, as a host may keep one.
VorlHandle deletedModelsHandle() {
  VorlHandle model = VorlModelCreateZel(vorl::test::kMethane);
  VorlRun(model);
  VorlPipeTimeSet(model, 10.0, 0.0);
  const VorlHandle copy = model;
  VorlModelDelete(&model);
  EXPECT_EQ(model, nullptr);
  return copy;
}

TEST(StaleHandle, EveryHandleExportRefusesACopyOfADeletedModelsHandle) {
  EXPECT_GT(walkHandleExports(deletedModelsHandle()), 20);
}

TEST(StaleHandle, DeletingNullIsQuietButTwiceANullAddressOrAMadeUpHandleIsRefused) {
  VorlHandle none = nullptr;
  VorlErrorLogClear();
  VorlModelDelete(&none);  // a null variable: nothing to do, nothing to say
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  VorlModelDelete(nullptr);
  EXPECT_EQ(lastReport().code, VORL_E_NO_MODEL);
  VorlHandle copy = deletedModelsHandle();
  VorlErrorLogClear();
  VorlModelDelete(&copy);
  EXPECT_EQ(copy, nullptr);
  ASSERT_EQ(VorlErrorLogCount(), 1);
  EXPECT_EQ(lastReport().code, VORL_E_NO_MODEL);
  EXPECT_NE(lastReport().message.find("not that of a live model"), std::string::npos);
  for (std::uintptr_t madeUp : {std::uintptr_t{1}, std::uintptr_t{0x1234}, ~std::uintptr_t{0}}) {
    VorlErrorLogClear();
    EXPECT_EQ(VorlPipeLength(reinterpret_cast<VorlHandle>(madeUp)), 0.0);
    EXPECT_EQ(lastReport().code, VORL_E_NO_MODEL);
  }
  VorlErrorLogClear();
}

TEST(StaleHandle, AStaleCopyNeverReachesALaterModelInTheSameSlot) {
  // Thousands of models one after another: slots are used again, and the
  // models' memory too, yet no old handle reaches a new model.
  std::vector<VorlHandle> stale;
  for (int i = 0; i < 3000; ++i) {
    VorlHandle model = VorlModelCreateSimple(16.0);
    VorlPipeLengthSet(model, 1000.0 + i);
    for (VorlHandle old : stale) ASSERT_NE(old, model);
    if (i % 100 == 0) {
      VorlErrorLogClear();
      for (VorlHandle old : stale) ASSERT_EQ(VorlPipeLength(old), 0.0);
      EXPECT_EQ(VorlErrorLogCount(), std::min(static_cast<int>(stale.size()), 1000));
    }
    stale.push_back(model);
    VorlModelDelete(&model);
  }
  VorlErrorLogClear();
}

}  // namespace
