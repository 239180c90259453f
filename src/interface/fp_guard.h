#pragma once

// The floating-point environment of an exported call.
//
// Some hosts, spreadsheets among them, unmask floating-point exceptions, so
// that an invalid operation or a division by zero traps. The library computes
// with infinities and values that are not a number on purpose (the infinite
// marker, a bore of 0 before the check that reports it), so an export must not
// trap in such a host, and it must not leave the host's floating-point state
// changed either.
//
// An FpGuard is held for the length of each exported call (the export frame
// makes one). On entry it saves the caller's control and status words and
// computes in the default environment: every exception masked, rounding to
// nearest, no flush of subnormals to zero, no SSE flags pending (the x87
// precision is left as the host set it). On exit it restores the caller's
// control words and exception flags exactly: flags raised inside the call do
// not reach the host. It costs a few tens of nanoseconds a call.
//
// On x86 and x86-64 it works on the x87 control and status words and on the
// SSE MXCSR register directly, which is what the compilers' own code uses
// whatever the C runtime; elsewhere it uses <cfenv>.

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__i386__) || defined(__x86_64__))
#define VORL_FP_GUARD_X86 1
#else
#define VORL_FP_GUARD_X86 0
#include <cfenv>
#endif

namespace vorl {

class FpGuard {
 public:
#if VORL_FP_GUARD_X86
  FpGuard() noexcept {
    __asm__ __volatile__("fnstcw %0" : "=m"(x87Control_));
    __asm__ __volatile__("fnstsw %0" : "=m"(x87Status_));
    __asm__ __volatile__("stmxcsr %0" : "=m"(mxcsr_));
    // Round to nearest (RC = 00), all six exceptions masked, precision kept.
    // x87 flags the caller has pending stay: masked, they cannot trap, and
    // clearing them (fnclex) costs more than the rest of the guard.
    const unsigned short control =
        static_cast<unsigned short>((x87Control_ & ~kX87RoundingMask) | kX87ExceptionMasks);
    const unsigned int mxcsr = kMxcsrDefault;
    __asm__ __volatile__("fldcw %0" : : "m"(control) : "memory");
    __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr) : "memory");
  }

  ~FpGuard() {
    __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr_) : "memory");
    unsigned short status;
    __asm__ __volatile__("fnstsw %0" : "=m"(status));
    if ((status & kX87StatusRestored) == (x87Status_ & kX87StatusRestored)) {
      // The call raised no x87 flag the caller did not have.
      __asm__ __volatile__("fldcw %0" : : "m"(x87Control_) : "memory");
    } else if ((x87Status_ & kX87FlagsMask) == 0) {
      // Clear what the call raised before the caller's masks come back: a
      // pending flag under an unmasked exception would trap at the caller's
      // next x87 instruction.
      __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(x87Control_) : "memory");
    } else {
      // The caller had flags pending and the call raised others: put back the
      // caller's control word and flags as they were. The environment is read
      // first so that the register tags (a result in st(0)) stay as they are.
      X87Environment environment;
      __asm__ __volatile__("fnstenv %0" : "=m"(environment));
      environment.control = x87Control_;
      environment.status =
          static_cast<unsigned short>((environment.status & ~kX87StatusRestored) |
                                      (x87Status_ & kX87StatusRestored));
      __asm__ __volatile__("fldenv %0" : : "m"(environment) : "memory");
    }
  }
#else
  FpGuard() noexcept {
    std::feholdexcept(&saved_);
    std::fesetround(FE_TONEAREST);
  }
  ~FpGuard() { std::fesetenv(&saved_); }
#endif

  FpGuard(const FpGuard&) = delete;
  FpGuard& operator=(const FpGuard&) = delete;

 private:
#if VORL_FP_GUARD_X86
  // The x87 environment as fnstenv stores it in 32-bit protected mode (28 bytes).
  struct X87Environment {
    unsigned short control;
    unsigned short unused1;
    unsigned short status;
    unsigned short unused2;
    unsigned int rest[5];
  };
  static constexpr unsigned short kX87ExceptionMasks = 0x003F;
  static constexpr unsigned short kX87RoundingMask = 0x0C00;
  // Exception flags (bits 0-5), stack fault (6) and error summary (7).
  static constexpr unsigned short kX87FlagsMask = 0x003F;
  static constexpr unsigned short kX87StatusRestored = 0x00FF;
  // All exceptions masked, round to nearest, no flush to zero, no flags.
  static constexpr unsigned int kMxcsrDefault = 0x1F80;

  unsigned short x87Control_;
  unsigned short x87Status_;
  unsigned int mxcsr_;
#else
  std::fenv_t saved_;
#endif
};

}  // namespace vorl
