// Every export that takes a model handle, called with a null handle, reports
// code 2 without a tag, returns its null result and touches no memory. The
// check walks the export table, so every later export is covered as well.
#include <gtest/gtest.h>

#include <algorithm>
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
bool callWithNullHandle(Result(VORL_CALL* function)(VorlHandle, Rest...), const std::string& name,
                        std::index_sequence<I...>) {
  for (auto& buffer : gOutputs) std::fill(std::begin(buffer), std::end(buffer), 7.5);
  VorlErrorLogClear();
  if constexpr (std::is_void_v<Result>) {
    function(nullptr, nullCallArgument<Rest>(I)...);
  } else {
    EXPECT_EQ(function(nullptr, nullCallArgument<Rest>(I)...), expectedNullResult<Result>(name)) << name;
  }
  EXPECT_EQ(VorlErrorLogCount(), 1) << name;
  EXPECT_EQ(lastReport().code, 2) << name;
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
bool checkNullHandle(Result(VORL_CALL* function)(VorlHandle, Rest...), const std::string& name) {
  return callWithNullHandle(function, name, std::index_sequence_for<Rest...>{});
}

// Exports without a handle are not part of this check.
template <class Function>
bool checkNullHandle(Function, const std::string&) {
  return false;
}

TEST(NullHandle, EveryHandleExportReportsCode2AndReturnsItsNullResult) {
  int checked = 0;
#define VORL_EXPORT(ordinal, result, name, arguments) checked += checkNullHandle(&name, #name);
#include "vorl_exports.inc"
#undef VORL_EXPORT
  EXPECT_GT(checked, 20);
  VorlErrorLogClear();
}

TEST(NullHandle, DeletingANullVariableWritesNullAgainAndANullAddressIsReported) {
  VorlHandle handle = nullptr;
  VorlErrorLogClear();
  VorlModelDelete(&handle);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(VorlErrorLogCount(), 0);
  VorlModelDelete(nullptr);
  EXPECT_EQ(lastReport().code, 2);
}

}  // namespace
