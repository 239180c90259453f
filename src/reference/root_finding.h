#pragma once

#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace vorl::reference {

// Brent's method on a bracket [lo, hi] across which f changes sign (f(lo) and
// f(hi) given): inverse quadratic interpolation where it makes progress,
// bisection where it does not, so it always converges. Returns the root to
// within `tolerance` in the argument.
template <class Function>
double brentRoot(Function&& f, double lo, double hi, double fLo, double fHi, double tolerance) {
  constexpr int kMaxIterations = 200;
  if (fLo == 0.0) return lo;
  if (fHi == 0.0) return hi;
  if ((fLo > 0.0) == (fHi > 0.0)) throw std::logic_error("brentRoot: the bracket does not enclose a sign change");
  double a = lo, b = hi, fa = fLo, fb = fHi;
  double c = b, fc = fb, d = b - a, e = d;
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    if ((fb > 0.0) == (fc > 0.0)) {
      c = a;
      fc = fa;
      d = e = b - a;
    }
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }
    const double tol = 2.0 * std::numeric_limits<double>::epsilon() * std::fabs(b) + 0.5 * tolerance;
    const double half = 0.5 * (c - b);
    if (std::fabs(half) <= tol || fb == 0.0) return b;
    if (std::fabs(e) >= tol && std::fabs(fa) > std::fabs(fb)) {
      const double s = fb / fa;
      double p, q;
      if (a == c) {
        p = 2.0 * half * s;
        q = 1.0 - s;
      } else {
        const double qa = fa / fc, r = fb / fc;
        p = s * (2.0 * half * qa * (qa - r) - (b - a) * (r - 1.0));
        q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0) q = -q;
      p = std::fabs(p);
      if (2.0 * p < std::fmin(3.0 * half * q - std::fabs(tol * q), std::fabs(e * q))) {
        e = d;
        d = p / q;
      } else {
        d = half;
        e = d;
      }
    } else {
      d = half;
      e = d;
    }
    a = b;
    fa = fb;
    b += std::fabs(d) > tol ? d : (half > 0.0 ? tol : -tol);
    fb = f(b);
  }
  return b;
}

// A bracket of a sign change of f: from `start` in steps that double from
// `step` (negative to search downwards) until f changes sign from its value
// at `start`. Returns the bracket ordered low to high.
template <class Function>
std::pair<double, double> bracketBeyond(Function&& f, double start, double step) {
  constexpr int kMaxWidenings = 80;
  const double fStart = f(start);
  if (fStart == 0.0) return {start, start};
  double previous = start;
  for (int widening = 0; widening < kMaxWidenings; ++widening) {
    const double next = previous + step;
    const double fNext = f(next);
    if (!std::isfinite(fNext)) throw std::runtime_error("bracketBeyond: the function left its domain");
    if ((fNext > 0.0) != (fStart > 0.0) || fNext == 0.0)
      return step > 0.0 ? std::make_pair(previous, next) : std::make_pair(next, previous);
    previous = next;
    step *= 2.0;
  }
  throw std::runtime_error("bracketBeyond: no sign change found");
}

// The root beyond `start` (see bracketBeyond) by Brent's method, for a
// monotone f with a root on that side.
template <class Function>
double rootBeyond(Function&& f, double start, double step, double tolerance) {
  const auto [lo, hi] = bracketBeyond(f, start, step);
  if (lo == hi) return lo;
  return brentRoot(f, lo, hi, f(lo), f(hi), tolerance);
}

// Newton's method kept inside a bracket [lo, hi] across which f changes
// sign: a step that would leave the bracket, or not shrink the residual
// enough, is replaced by bisection. `slope(x)` may be an estimate of f'(x)
// of the right sign; with the exact slope of a linear f one step lands.
template <class Function, class Slope>
double safeguardedNewton(Function&& f, Slope&& slope, double lo, double hi, double start, double tolerance) {
  constexpr int kMaxIterations = 200;
  double fLo = f(lo);
  if (fLo == 0.0) return lo;
  const bool risingFromLo = fLo < 0.0;
  double x = std::fmin(std::fmax(start, lo), hi);
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    const double fx = f(x);
    if (fx == 0.0) return x;
    if ((fx < 0.0) == risingFromLo) lo = x; else hi = x;
    const double d = slope(x);
    double next = x - fx / d;
    if (!(next > lo && next < hi) || !std::isfinite(next)) next = 0.5 * (lo + hi);
    if (std::fabs(next - x) <= tolerance || hi - lo <= tolerance) return next;
    x = next;
  }
  return x;
}

}  // namespace vorl::reference
