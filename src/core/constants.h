#pragma once

namespace vorl {

// 1e128 stands for an infinite time or an undefined value (a flux, a Mach
// number, a ratio); a value strictly above the threshold counts as infinite.
constexpr double kInfinite = 1e128;
constexpr double kInfiniteThreshold = 0.9 * 1e128;

inline bool isInfinite(double value) noexcept { return value > kInfiniteThreshold; }

// A breach closer to an end than this fraction of the pipe counts as at the end.
constexpr double kEndFraction = 1e-5;
constexpr double kAlmostOne = 1.0 - kEndFraction;

constexpr double kUniversalGasConstant = 8314.34;  // J/(kmol K)
constexpr double kStandardGravity = 9.80665;       // m/s2

// A step smaller than this fraction of the variable it advances (the
// disturbed length, q, the far-end pressure) is negligible: it would not move
// the state, and would repeat one state without end. A pressure within it of
// a limit counts as on the limit.
constexpr double kNegligibleRatio = 1e-13;

}  // namespace vorl
