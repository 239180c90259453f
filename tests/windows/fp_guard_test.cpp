// Hosts unmask floating-point traps: an export must neither trap nor change the host's control words or flags
// (raw state read on x86 and x86-64 only).
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "interface/fp_guard.h"
#include "vorl.h"

#if defined(_WIN32)
#include <float.h>
#endif

namespace {

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__i386__) || defined(__x86_64__))

// The raw state: x87 control and status words, SSE control and status.
struct FpState {
  unsigned short x87Control;
  unsigned short x87Status;
  unsigned int mxcsr;
};

bool operator==(const FpState& a, const FpState& b) {
  // Status bits 0-7: exception flags, stack fault, error summary.
  return a.x87Control == b.x87Control && (a.x87Status & 0xFF) == (b.x87Status & 0xFF) && a.mxcsr == b.mxcsr;
}

std::ostream& operator<<(std::ostream& out, const FpState& state) {
  char text[96];
  std::snprintf(text, sizeof text, "x87 control %#06x, x87 status %#06x, mxcsr %#010x",
                static_cast<unsigned>(state.x87Control), static_cast<unsigned>(state.x87Status & 0xFF),
                state.mxcsr);
  return out << text;
}

FpState readFpState() {
  FpState state{};
  __asm__ __volatile__("fnstcw %0" : "=m"(state.x87Control));
  __asm__ __volatile__("fnstsw %0" : "=m"(state.x87Status));
  __asm__ __volatile__("stmxcsr %0" : "=m"(state.mxcsr));
  return state;
}

// A host unmasking invalid, divide-by-zero and overflow (Windows: _controlfp_s); all restored at the end.
class HostWithTraps {
 public:
  HostWithTraps() {
    std::fegetenv(&saved_);
    std::feclearexcept(FE_ALL_EXCEPT);
#if defined(_WIN32)
    unsigned int current = 0;
    _controlfp_s(&current, _MCW_EM & ~(_EM_INVALID | _EM_ZERODIVIDE | _EM_OVERFLOW), _MCW_EM);
#elif defined(__GLIBC__)
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
  }
  ~HostWithTraps() { std::fesetenv(&saved_); }
  HostWithTraps(const HostWithTraps&) = delete;
  HostWithTraps& operator=(const HostWithTraps&) = delete;

 private:
  std::fenv_t saved_;
};

TEST(FloatingPointState, ExportsThatComputeNotANumberNeitherTrapNorChangeTheHostState) {
  HostWithTraps host;
  const FpState before = readFpState();
  ASSERT_EQ(before.mxcsr & 0x0280u, 0u) << "the host could not unmask invalid and zero divide: " << before;

  VorlHandle model = VorlModelCreateSimple(16.043);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(readFpState(), before) << "after VorlModelCreateSimple";
  // A bore of 0: the steady flow divides the inflow by an area of 0 before
  // the friction parameter refuses the bore (a logged error, code 13).
  VorlPipeDiameterSet(model, 0.0);
  EXPECT_EQ(readFpState(), before) << "after VorlPipeDiameterSet(0)";
  // Roughness 0 as well: the friction law takes the logarithm of 0/0.
  VorlPipeRoughnessSet(model, 0.0);
  EXPECT_EQ(readFpState(), before) << "after VorlPipeRoughnessSet(0)";
  EXPECT_TRUE(std::isnan(VorlFanning(model)));
  EXPECT_EQ(readFpState(), before) << "after VorlFanning";
  // Molecular weight 0: a gas constant of R/0.
  VorlHandle noGas = VorlModelCreateSimple(0.0);
  EXPECT_EQ(readFpState(), before) << "after VorlModelCreateSimple(0)";
  VorlModelDelete(&noGas);
  VorlModelDelete(&model);
  EXPECT_EQ(readFpState(), before) << "after VorlModelDelete";
}

// The guard computes in the default environment and hands back the caller's control words and pending flags exactly.
TEST(FloatingPointState, GuardComputesInTheDefaultEnvironmentAndGivesTheCallersBack) {
  for (const bool callerFlagPending : {false, true}) {
    SCOPED_TRACE(callerFlagPending ? "inexact pending in the caller" : "no flag pending in the caller");
    HostWithTraps host;
    std::fesetround(FE_UPWARD);
    if (callerFlagPending) {
      volatile double one = 1.0;
      volatile long double longOne = 1.0L;
      volatile double third = one / 3.0;
      volatile long double longThird = longOne / 3.0L;
      (void)third;
      (void)longThird;
    }
    const FpState before = readFpState();
    ASSERT_EQ((before.x87Status & 0x20) != 0, callerFlagPending) << before;

    volatile double zero = 0.0;
    volatile long double longZero = 0.0L;
    double quotient = 0.0;
    long double longQuotient = 0.0L;
    try {
      const vorl::FpGuard guard;
      const FpState inside = readFpState();
      EXPECT_EQ(inside.mxcsr, 0x1F80u) << "SSE: all masked, round to nearest, no flags: " << inside;
      EXPECT_EQ(inside.x87Control & 0x3F, 0x3F) << "x87 exceptions masked: " << inside;
      EXPECT_EQ(inside.x87Control & 0x0C00, 0) << "x87 rounds to nearest: " << inside;
      quotient = zero / zero;              // SSE on x86-64
      longQuotient = longZero / longZero;  // x87
      throw 13;
    } catch (int) {
    }
    EXPECT_TRUE(std::isnan(quotient));
    EXPECT_TRUE(std::isnan(longQuotient));
    EXPECT_EQ(readFpState(), before);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
  }
}

#endif

}  // namespace
