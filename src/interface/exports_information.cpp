// Information exports that need no model: the About text, the author text and
// the analytic depressurisation curve.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "branch/flow_relations.h"
#include "interface/export_frame.h"
#include "model/argument_checks.h"
#include "model/ideal_gas.h"

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif

#ifndef VORL_VERSION_TEXT
#error "VORL_VERSION_TEXT must hold the project version (set by the build)"
#endif

using namespace vorl;

namespace {

constexpr const char* kAboutCaption = "Brimlow";
constexpr const char* kAboutText =
    "Brimlow " VORL_VERSION_TEXT " (library vorl)\n"
    "Gas release from a breached long pipeline (Fannelop-Ryhming 1982 model)";
constexpr const char* kAuthor = "Peter Orrin";

// acosh, taken as 0 below 1 (a pressure below ambient has nothing left to
// release) and for a ratio that is not a number.
double acoshOrZero(double x) noexcept { return x >= 1.0 ? acoshByLog(x) : 0.0; }

}  // namespace

extern "C" {

VORL_API void VORL_CALL AboutBrimlow(void) {
  guarded([] {
#if defined(_WIN32)
    // No owner window: the box belongs to no host window and blocks only this call.
    MessageBoxA(nullptr, kAboutText, kAboutCaption, MB_ICONINFORMATION | MB_OK);
#else
    std::printf("%s\n%s\n", kAboutCaption, kAboutText);
    std::fflush(stdout);
#endif
  });
}

#if defined(_WIN32)
VORL_API VorlString VORL_CALL Author(void) {
  return guarded(VorlString{nullptr}, [] {
    VorlString text = SysAllocString(L"Peter Orrin");
    if (text == nullptr) throw VORLERROR(VORL_E_INTERNAL, "Author", "out of memory for the author text");
    return text;
  });
}

// A BSTR of Author; SysFreeString, as a host would call itself.
VORL_API void VORL_CALL VorlStringFree(VorlString text) {
  guarded([&] { SysFreeString(text); });
}
#else
VORL_API VorlString VORL_CALL Author(void) {
  return guarded(VorlString{nullptr}, [] {
    const std::size_t size = std::strlen(kAuthor) + 1;
    char* text = static_cast<char*>(std::malloc(size));
    if (text == nullptr) throw VORLERROR(VORL_E_INTERNAL, "Author", "out of memory for the author text");
    std::memcpy(text, kAuthor, size);
    return text;
  });
}

VORL_API void VORL_CALL VorlStringFree(VorlString text) {
  guarded([&] { std::free(text); });
}
#endif

// Closed-form pressure history of a friction-dominated isothermal blow-down:
// with beta = 2 f / (T R D) and the time scale of a closed-end blow-down
// (the one phase three uses), the pipe pressure falls from p0 to p at
// t = s (acosh(p0/pa) - acosh(p/pa)).
VORL_API void VORL_CALL AnalyticComparison(double length, double temperature, double fanning,
                                           double diameter, double molecularWeight,
                                           double initialPressure, double ambientPressure,
                                           double* pressures, double* times, int count) {
  guarded([&] {
    constexpr const char* kTag = "AnalyticComparison";
    checkArgument(VORL_E_INVALID_COMPARISON_COUNT, count, kTag);
    if (pressures == nullptr || times == nullptr) throw VORLERROR(VORL_E_MISSING_DATA, kTag, "an output array is null");
    checkArgument(VORL_E_INVALID_COMPARISON_LENGTH, length, kTag);
    checkArgument(VORL_E_INVALID_COMPARISON_TEMPERATURE, temperature, kTag);
    checkArgument(VORL_E_INVALID_COMPARISON_FANNING, fanning, kTag);
    checkArgument(VORL_E_INVALID_COMPARISON_DIAMETER, diameter, kTag);
    const IG gas(molecularWeight);  // 13 "IGCTOR" unless above 0
    if (!std::isfinite(molecularWeight)) {
      throw VORLERROR(VORL_E_NOT_POSITIVE, "IGCTOR",
                      "molecular weight " + numberText(molecularWeight) + " kg/kmol is not finite");
    }
    checkArgument(VORL_E_INVALID_COMPARISON_INITIAL_PRESSURE, initialPressure, kTag);
    checkArgument(VORL_E_INVALID_COMPARISON_AMBIENT_PRESSURE, ambientPressure, kTag);
    const double beta = 2.0 * fanning / (temperature * gas.gasConstant() * diameter);
    // The closed blow-down's time scale in the comparison's own arithmetic,
    // so that its times stay exactly as published.
    const double timeScale =
        length * std::sqrt(kClosedBlowDownNumerator * beta * length / kClosedBlowDownDenominator);
    const double c0 = acoshOrZero(initialPressure / ambientPressure);
    for (int i = 0; i < count; ++i) {
      const double p = initialPressure -
                       (initialPressure - ambientPressure) * static_cast<double>(i) / (count - 1);
      pressures[i] = p;
      times[i] = (c0 - acoshOrZero(p / ambientPressure)) * timeScale;
    }
  });
}

}  // extern "C"
